// open_music FILE: opens a music file as Kelvo's editor does (sniff, decode
// to the working WAV when needed, read into the music track on the editor's
// worker) and exits 0 once the music is loaded, 1 when it was refused; the
// editor's message goes to stderr.
#include "platform/IMessageSink.h"
#include "voice/Brevanta.h"

#include <QApplication>

#include <atomic>
#include <cstdio>

namespace {

struct PrintedMessages : IMessageSink
{
    void ShowMessage(const QString& text) override
    {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
};

} // namespace

int main(int argc, char** argv)
{
    // The editor is a widget; no display is needed to open a file.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    PrintedMessages messages;
    std::atomic<bool> busy{false};
    bool loaded = false;
    {
        CBrevanta editor(nullptr, &messages, &busy, nullptr, nullptr);
        QObject::connect(&editor, &CBrevanta::MUSIC_LOADED, [&] { loaded = true; });
        editor.OpenFileAsync(QString::fromLocal8Bit(argv[1]));
        editor.WaitForOpen();
    }
    return loaded ? 0 : 1;
}
