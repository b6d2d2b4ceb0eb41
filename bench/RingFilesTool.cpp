// ring_files vox|kox IN.wav OUT: reads IN into a clip and writes it as a VOX
// file, or as a ring file in the listed Windows Media format of its rate, as
// the ring road does. Exit status 0 on success.
#include "audio/RingFiles.h"
#include "audio/WmaFormatList.h"
#include "audio/WmaWriter.h"

#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "vox") != 0 && std::strcmp(argv[1], "kox") != 0)) {
        std::fprintf(stderr, "usage: ring_files vox|kox IN.wav OUT\n");
        return 2;
    }
    CWaveDoc clip;
    if (!clip.ReadWaveFile(QString::fromLocal8Bit(argv[2]), nullptr)) {
        std::fprintf(stderr, "ring_files: cannot read %s\n", argv[2]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[3]);
    if (std::strcmp(argv[1], "vox") == 0)
        return RingFiles::WriteVox(out, clip) == 1 ? 0 : 1;
    CWmaFormatList formats;
    formats.Build(CWmaWriter::OfferedFormats());
    const WaveFormatEx* format = formats.FindByRate(clip.GetFormat().samplesPerSec);
    if (!format) {
        std::fprintf(stderr, "ring_files: no Windows Media format at this rate\n");
        return 1;
    }
    return RingFiles::WriteRingFile(out, clip, format) == S_OK ? 0 : 1;
}
