#include "editor/BrevantaApp.h"

#include "editor/AboutDlg.h"
#include "editor/MainFrame.h"
#include "editor/ResourceView.h"
#include "editor/WaveCtrl.h"
#include "platform/AppPaths.h"
#include "platform/CommandLine.h"
#include "platform/IMessageSink.h"
#include "platform/QtTranslations.h"
#include "platform/SingleInstance.h"
#include "platform/WebEngineSwitches.h"

const char* const CBrevantaApp::kInstanceName = "MERIDALE_TORQUELL_BREVANTA";

CBrevantaApp::CBrevantaApp(IMessageSink& messages, QObject* parent)
    : QObject(parent), m_messages(messages)
{
}

CBrevantaApp::~CBrevantaApp() = default;

CBrevantaApp::Start CBrevantaApp::InitInstance(const QStringList& args)
{
    // Before any web view exists: the web engine reads its switches once.
    WebEngineSwitches::Prepare();
    // Qt's own texts (standard buttons, file dialogs) in the program's language.
    InstallQtTranslations();
    const CommandLine commandLine = CommandLine::Parse(args);

    // Started to serve an object, or asked to register or unregister one:
    // Brevanta serves none, so there is nothing to do and nothing to keep running.
    if (commandLine.embedding || commandLine.automation)
        return Start::ExitOk;
    if (commandLine.command == CommandLine::Command::Register ||
        commandLine.command == CommandLine::Command::Unregister)
        return Start::ExitOk;

    const QString failure = AppPaths::MakeDataFolder();
    if (!failure.isEmpty()) {
        m_messages.ShowMessage(failure);
        return Start::ExitFail;
    }
    m_dataFolder = AppPaths::DataFolder();
    m_exeFolder = AppPaths::ProgramFolder();

    m_instance = std::make_unique<SingleInstance>(QString::fromLatin1(kInstanceName));
    if (m_instance->Claim() == SingleInstance::Result::AnotherRunning) {
        m_instance.reset();
        return Start::ExitOk;
    }

    m_frame = std::make_unique<CMainFrame>();
    m_frame->WaveCtrl()->SetMessageSink(&m_messages);
    m_frame->ResourceView()->SetMessageSink(&m_messages);
    m_frame->SetMessageSink(&m_messages);
    connect(m_frame.get(), &CMainFrame::aboutRequested, this, &CBrevantaApp::OnAppAbout);
    connect(m_instance.get(), &SingleInstance::raiseRequested, m_frame.get(),
            &CMainFrame::RestoreAndRaise);
    // The size it takes where no window manager maximises it.
    m_frame->resize(1180, 760);
    m_frame->showMaximized();

    if (!commandLine.fileName.isEmpty())
        m_frame->OpenFileInEditor(commandLine.fileName);
    return Start::Run;
}

int CBrevantaApp::ExitInstance(int loopResult)
{
    m_frame.reset();
    m_instance.reset(); // frees the instance name for the next start
    return loopResult;
}

void CBrevantaApp::OnAppAbout()
{
    CAboutDlg about(m_frame.get());
    about.exec();
}
