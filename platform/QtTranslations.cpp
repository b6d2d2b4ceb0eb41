#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtTranslations()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    static const QString kName = QStringLiteral("zuvoQtTranslations");
    if (app->findChild<QTranslator*>(kName, Qt::FindDirectChildrenOnly))
        return true;
    auto* translator = new QTranslator(app);
    translator->setObjectName(kName);
    // "qt_zh_CN" gathers the catalogues of every Qt module that has one.
    if (!translator->load(QStringLiteral("qt_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
