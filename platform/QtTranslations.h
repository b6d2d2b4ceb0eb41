#pragma once

// Loads Qt's own Chinese (zh_CN) texts, so file dialogs, standard buttons and
// context menus speak the programs' language whatever the desktop's locale.
// Call after the application object exists; later calls do nothing. false
// when the translations are not installed (Qt's texts then stay English).
bool InstallQtTranslations();
