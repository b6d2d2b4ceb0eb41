// open_audio FILE: opens an audio file as the editor does (identify, decode,
// read into a clip) and exits 0 once the clip is ready.
#include "audio/AudioFileLoader.h"

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QTemporaryDir work;
    const AudioFileLoader::Result result =
        AudioFileLoader::Load(QString::fromLocal8Bit(argv[1]), work.path(), 0, nullptr);
    return result.clip ? 0 : 1;
}
