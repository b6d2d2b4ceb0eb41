#include "simple/KelvoApp.h"

#include "audio/ErrorLog.h"
#include "platform/AppPaths.h"
#include "platform/CommandLine.h"
#include "platform/IMessageSink.h"
#include "platform/QtTranslations.h"
#include "platform/SingleInstance.h"
#include "platform/WebEngineSwitches.h"
#include "publish/BrowserDlg.h"
#include "publish/RingHtmlView.h"
#include "simple/KelvoDlg.h"
#include "simple/KelvoObject.h"
#include "simple/KelvoPageObject.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEnginePage>

const char* const CKelvoApp::kInstanceName = "MERIDALE_TORQUELL_RIVURIZUD_ZUVO";
const char* const CKelvoApp::kServiceName = "org.zuvo.Kelvo";

namespace {

// The bus reads Exec= as a shell would split it: a path with anything but
// plain characters goes in single quotes.
QString ExecWord(const QString& program)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._+-]+$"));
    if (plain.match(program).hasMatch())
        return program;
    QString quoted = program;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

} // namespace

CKelvoApp::CKelvoApp(IMessageSink& messages, IQuestionBox& questions, IUrlOpener& urls,
                     QObject* parent)
    : QObject(parent), m_messages(messages), m_questions(questions), m_urls(urls),
      m_players(DefaultPlayerFactory())
{
}

CKelvoApp::~CKelvoApp()
{
    ExitInstance(0);
}

QString CKelvoApp::ActivationFilePath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return AppPaths::WithTrailingSlash(data) + QStringLiteral("dbus-1/services/") +
           QString::fromLatin1(kServiceName) + QStringLiteral(".service");
}

bool CKelvoApp::WriteActivationFile(const QString& program)
{
    const QString path = ActivationFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString text = QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2\n")
                             .arg(QString::fromLatin1(kServiceName), ExecWord(program));
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

bool CKelvoApp::RemoveActivationFile()
{
    const QString path = ActivationFilePath();
    return QFile::remove(path) || !QFileInfo::exists(path);
}

CKelvoApp::Start CKelvoApp::InitInstance(const QStringList& args)
{
    const CommandLine commandLine = CommandLine::Parse(args);
    // Only the two registration switches do anything here: a start by the bus
    // ("Embedding", "Automation") and a file named on the command line start
    // Kelvo as any start does.
    if (commandLine.command == CommandLine::Command::Unregister)
        return RemoveActivationFile() ? Start::ExitOk : Start::ExitFail;
    if (commandLine.command == CommandLine::Command::Register)
        return WriteActivationFile(QCoreApplication::applicationFilePath()) ? Start::ExitOk
                                                                            : Start::ExitFail;

    // Before any web view exists: the web engine reads its switches once.
    WebEngineSwitches::Prepare();
    // Qt's own texts (standard buttons, file dialogs) in the program's language.
    InstallQtTranslations();
    const QString failure = AppPaths::MakeDataFolder();
    if (!failure.isEmpty()) {
        m_messages.ShowMessage(failure);
        return Start::ExitFail;
    }
    m_dataFolder = AppPaths::DataFolder();
    m_moduleFolder = AppPaths::ProgramFolder();

    m_instance = std::make_unique<SingleInstance>(QString::fromLatin1(kInstanceName));
    if (m_instance->Claim() == SingleInstance::Result::AnotherRunning) {
        m_instance.reset();
        return Start::ExitOk;
    }

    CKelvoDlg::Services services{m_messages, m_questions, m_urls, m_players};
    m_dialog = std::make_unique<CKelvoDlg>(services);
    connect(m_instance.get(), &SingleInstance::raiseRequested, m_dialog.get(),
            &CKelvoDlg::RestoreAndRaise);
    // The dialog's end is the program's end, whichever way it was closed.
    connect(
        m_dialog.get(), &QDialog::finished, QCoreApplication::instance(),
        [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    m_dialog->OnInitDialog();
    // The service's pages in the dialog's web view reach the same calls as
    // the bus, checked against the page they come from.
    m_pageObject = new CKelvoPageObject(
        *this,
        [browser = m_dialog->Browser()] {
            const CRingHtmlView* view = browser->View();
            return view ? view->page()->url() : QUrl();
        },
        m_dialog.get());
    m_dialog->Browser()->RegisterPageObject(QString::fromLatin1(CKelvoPageObject::kChannelName),
                                            m_pageObject);
    m_dialog->show();
    // A call arriving with the name must find the dialog.
    ClaimBusName();
    return Start::Run;
}

void CKelvoApp::ClaimBusName()
{
    // Without a session bus, or with the name held elsewhere, Kelvo runs on
    // without it: the bus only hands over what web pages send.
    QDBusConnection bus = QDBusConnection::sessionBus();
    CErrorLog log;
    if (!bus.isConnected()) {
        log.Write("No session bus: %s\n", qPrintable(bus.lastError().message()));
        return;
    }
    // The object first: a call arriving with the name must find it.
    m_object = std::make_unique<CKelvoObject>(*this);
    if (!bus.registerObject(QString::fromLatin1(CKelvoObject::kObjectPath), m_object.get(),
                            QDBusConnection::ExportAllSlots)) {
        log.Write("The object %s could not be registered: %s\n", CKelvoObject::kObjectPath,
                  qPrintable(bus.lastError().message()));
        m_object.reset();
        return;
    }
    m_objectRegistered = true;
    if (!bus.registerService(QString::fromLatin1(kServiceName))) {
        log.Write("The bus name %s was not granted: %s\n", kServiceName,
                  qPrintable(bus.lastError().message()));
        return;
    }
    m_busName = true;
}

int CKelvoApp::ExitInstance(int loopResult)
{
    if (m_dialog)
        m_dialog->CloseRoutine();
    if (m_busName) {
        QDBusConnection::sessionBus().unregisterService(QString::fromLatin1(kServiceName));
        m_busName = false;
    }
    if (m_objectRegistered) {
        QDBusConnection::sessionBus().unregisterObject(
            QString::fromLatin1(CKelvoObject::kObjectPath));
        m_objectRegistered = false;
    }
    m_object.reset();
    m_pageObject = nullptr;
    m_dialog.reset();
    m_instance.reset(); // frees the instance name for the next start
    return loopResult;
}

void CKelvoApp::SetUserInfo(const QString& uid, const QString& ticket)
{
    if (!m_dialog || m_dialog->IsClosed())
        return;
    m_uid = uid;
    m_ticket = ticket;
    m_dialog->RestoreAndRaise();
    m_dialog->QueueWebLogin(uid, ticket);
}

void CKelvoApp::OpenFile(const QString& path)
{
    if (!m_dialog || m_dialog->IsClosed())
        return;
    // Only stat: a FIFO or device is never opened, a folder never read.
    const QFileInfo info(path);
    if (!info.isFile()) {
        // After the answer: a message box now would hold the caller.
        QTimer::singleShot(0, m_dialog.get(),
                           [this] { m_messages.ShowMessage(QStringLiteral("打开文件失败！")); });
        return;
    }
    m_dialog->QueueOpenFile(info.absoluteFilePath());
}

void CKelvoApp::CloseApp()
{
    if (m_dialog)
        m_dialog->RequestClose();
}
