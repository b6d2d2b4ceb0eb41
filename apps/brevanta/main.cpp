#include "editor/BrevantaApp.h"
#include "publish/MessageBoxSink.h"
#include "platform/AudioOutput.h"
#include "platform/Fonts.h"
#include "platform/QuitOnSignals.h"

#include <QApplication>
#include <QIcon>

#include <csignal>

int main(int argc, char** argv)
{
    // A file that reaches the size limit must fail its write, which the
    // program reports, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // A logout or kill leaves through the normal exit, which removes the
    // sample stores and the working folder.
    QuitOnSignals quitOnSignals;
    InstallFontSubstitutions();
    QApplication::setApplicationName(QStringLiteral("Brevanta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varenth彩铃Zuvo高级版"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/brevanta/brevanta.svg")));

    MessageBoxSink messages(QStringLiteral("Varenth彩铃Zuvo高级版"));
    CBrevantaApp brevanta(messages);
    switch (brevanta.InitInstance(QApplication::arguments().mid(1))) {
    case CBrevantaApp::Start::ExitOk:
        return 0;
    case CBrevantaApp::Start::ExitFail:
        return 1;
    case CBrevantaApp::Start::Run:
        break;
    }
    // Opening the sound device takes a moment: do it now, not at the first play.
    AudioOutput::Shared().Open();
    const int result = QApplication::exec();
    return brevanta.ExitInstance(result);
}
