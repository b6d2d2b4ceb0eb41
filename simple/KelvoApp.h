#pragma once

#include "audio/PlayerFactory.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class CKelvoDlg;
class CKelvoObject;
class CKelvoPageObject;
class IMessageSink;
class IQuestionBox;
class IUrlOpener;
class SingleInstance;

// Kelvo's start-up and shutdown: the switches that write or remove its D-Bus
// activation file, the data folder, the single-instance guard, its name on
// the session bus and the main dialog. GUI thread only; the switches need no
// display, so InitInstance may run under a plain QCoreApplication until the
// dialog is made.
class CKelvoApp : public QObject
{
    Q_OBJECT
public:
    enum class Start {
        Run,     // the dialog is up: run the event loop
        ExitOk,  // a switch was handled or another instance was raised
        ExitFail // start-up failed and the user was told
    };

    // Everything the dialog shows or asks goes through these; they outlive
    // the application object.
    CKelvoApp(IMessageSink& messages, IQuestionBox& questions, IUrlOpener& urls,
              QObject* parent = nullptr);
    ~CKelvoApp() override;

    // The players of the editor's tracks; before InitInstance.
    void SetPlayerFactory(PlayerFactory players) { m_players = std::move(players); }

    // args excludes the program name.
    Start InitInstance(const QStringList& args);
    // Closes the dialog through its close routine when it is still open (the
    // event loop was ended from outside), then gives up the bus name and the
    // instance name. Returns the exit code to end the process with.
    int ExitInstance(int loopResult);

    // Both end with "/". Set by InitInstance; read-only afterwards.
    const QString& GetModuleFolder() const { return m_moduleFolder; }
    const QString& GetDataFolder() const { return m_dataFolder; }

    CKelvoDlg* MainDialog() const { return m_dialog.get(); }

    // What the automation object (on the bus and in the web view) asks of
    // the program; each returns at once. The dialog is raised and the login
    // handed over with uid and ticket, which are kept here.
    void SetUserInfo(const QString& uid, const QString& ticket);
    // Starts opening path as music; anything but a regular file is refused
    // (and said so once the caller has its answer).
    void OpenFile(const QString& path);
    // The dialog closes through its close routine once no modal window and
    // no worker of it runs any more.
    void CloseApp();
    const QString& GetUid() const { return m_uid; }
    const QString& GetTicket() const { return m_ticket; }

    static const char* const kInstanceName;
    static const char* const kServiceName;
    // $XDG_DATA_HOME/dbus-1/services/org.zuvo.Kelvo.service
    static QString ActivationFilePath();
    // Writes the activation file naming program; false when it could not be
    // written (nothing half-written is left).
    static bool WriteActivationFile(const QString& program);
    // True when the file is gone afterwards.
    static bool RemoveActivationFile();

private:
    void ClaimBusName();

    IMessageSink& m_messages;
    IQuestionBox& m_questions;
    IUrlOpener& m_urls;
    PlayerFactory m_players;
    QString m_moduleFolder;
    QString m_dataFolder;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<CKelvoDlg> m_dialog;
    std::unique_ptr<CKelvoObject> m_object;
    // Owned by the dialog; a page may have it deleted through the channel.
    QPointer<CKelvoPageObject> m_pageObject;
    QString m_uid;
    QString m_ticket;
    bool m_objectRegistered = false;
    bool m_busName = false;
};
