#include "platform/AudioOutput.h"
#include "platform/CommandLine.h"
#include "platform/DesktopUrlOpener.h"
#include "platform/Fonts.h"
#include "platform/QuitOnSignals.h"
#include "publish/MessageBoxQuestion.h"
#include "publish/MessageBoxSink.h"
#include "simple/KelvoApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>

#include <csignal>
#include <memory>

namespace {

int ExitCode(CKelvoApp::Start start)
{
    return start == CKelvoApp::Start::ExitFail ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    // A file that reaches the size limit must fail its write, which the
    // program reports, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const QString caption = QStringLiteral("Varenth彩铃Zuvo");
    MessageBoxSink messages(caption);
    MessageBoxQuestion questions(caption);
    DesktopUrlOpener urls;

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine::Command command = CommandLine::Parse(args).command;
    if (command == CommandLine::Command::Register || command == CommandLine::Command::Unregister) {
        // Writing or removing the activation file needs no display.
        QCoreApplication core(argc, argv);
        CKelvoApp kelvo(messages, questions, urls);
        return ExitCode(kelvo.InitInstance(args));
    }

    QApplication app(argc, argv);
    // A logout or kill leaves through the normal exit, which saves the
    // volumes and removes the sample stores and the working folder.
    QuitOnSignals quitOnSignals;
    InstallFontSubstitutions();
    QApplication::setApplicationName(QStringLiteral("Kelvo"));
    QApplication::setApplicationDisplayName(caption);
    QApplication::setDesktopFileName(QStringLiteral("org.zuvo.Kelvo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvo/kelvo.svg")));

    CKelvoApp kelvo(messages, questions, urls);
    const CKelvoApp::Start start = kelvo.InitInstance(QApplication::arguments().mid(1));
    if (start != CKelvoApp::Start::Run)
        return ExitCode(start);
    // Opening the sound device takes a moment: do it now, not at the first play.
    AudioOutput::Shared().Open();
    const int result = QApplication::exec();
    return kelvo.ExitInstance(result);
}
