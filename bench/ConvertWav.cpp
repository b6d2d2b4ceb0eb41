// convert_wav [--rss] [--copy] [--track] IN OUT [RATE CHANNELS]: converts the
// WAV file IN to RATE Hz with CHANNELS channels, 16-bit (by default 8000 Hz
// mono, as the ring encoders are fed) and writes OUT. Exit status 0 on
// success. By default IN is read straight into the target, as both
// programs read a file that is to be converted, into a clip; --track reads
// it into one of Kelvo's in-memory tracks instead; --copy reads IN into a
// clip first and converts the clip (with --track, into a track and converts
// that, as Kelvo did before). With --rss it prints the peak resident
// memory on stderr (with --copy, that of reading and of converting apart).
#include "audio/WaveDataReader.h"
#include "audio/WaveDoc.h"
#include "audio/WaveHeader.h"
#include "voice/WaveData.h"

#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// Forgets the peak so far, so the next reading covers what follows only.
void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A field of /proc/self/status, in kB.
long StatusField(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(name), nullptr, 10);
    }
    return -1;
}

bool WriteTrack(const QString& path, const WaveData& track)
{
    uint8_t header[kWaveHeaderSize];
    FillWaveHeader(header, track.GetFormat(), track.GetSize());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(header), kWaveHeaderSize) == kWaveHeaderSize &&
           file.write(reinterpret_cast<const char*>(track.GetData()), track.GetSize()) ==
               track.GetSize();
}

} // namespace

int main(int argc, char** argv)
{
    bool reportMemory = false;
    bool copyFirst = false;
    bool intoTrack = false;
    while (argc > 1 && argv[1][0] == '-' && argv[1][1] == '-') {
        reportMemory = reportMemory || std::strcmp(argv[1], "--rss") == 0;
        copyFirst = copyFirst || std::strcmp(argv[1], "--copy") == 0;
        intoTrack = intoTrack || std::strcmp(argv[1], "--track") == 0;
        --argc;
        ++argv;
    }
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: convert_wav [--rss] [--copy] [--track] IN.wav OUT.wav "
                             "[RATE CHANNELS]\n");
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    WaveFormat target = kRingFormat;
    if (argc == 5)
        target = MakePcmFormat(static_cast<uint16_t>(std::atoi(argv[4])),
                               static_cast<uint32_t>(std::atoi(argv[3])), 16);

    bool written = false;
    if (copyFirst && intoTrack) {
        WaveData track;
        if (track.ReadWaveFile(in) != 1 || !track.HasData()) {
            std::fprintf(stderr, "convert_wav: cannot read %s\n", argv[1]);
            return 1;
        }
        if (!track.IsSameFormat(target)) {
            std::unique_ptr<WaveBuffer> samples = track.TakeBuffer();
            std::unique_ptr<WaveBuffer> converted =
                ConvertBuffer(*samples, track.GetFormat(), target);
            if (!converted) {
                std::fprintf(stderr, "convert_wav: conversion failed\n");
                return 1;
            }
            track.SetFormat(target);
            track.SetBuffer(std::move(converted));
        }
        if (reportMemory)
            std::fprintf(stderr, "reading, then converting: peak RSS %ld kB\n",
                         StatusField("VmHWM:"));
        written = WriteTrack(out, track);
    } else if (copyFirst) {
        CWaveDoc source;
        if (!source.ReadWaveFile(in, nullptr)) {
            std::fprintf(stderr, "convert_wav: cannot read %s\n", argv[1]);
            return 1;
        }
        if (reportMemory) {
            std::fprintf(stderr, "reading: peak RSS %ld kB\n", StatusField("VmHWM:"));
            ResetPeakMemory();
        }
        const long before = StatusField("VmRSS:");
        const auto converted = source.ConvertFormat(target);
        if (reportMemory)
            std::fprintf(stderr, "conversion: peak RSS %ld kB (%ld kB before it)\n",
                         StatusField("VmHWM:"), before);
        if (!converted) {
            std::fprintf(stderr, "convert_wav: conversion failed\n");
            return 1;
        }
        written = converted->WriteWaveFile(out);
    } else {
        WaveDataReader reader;
        if (reader.Open(in) != WaveWalkStatus::kOk || !reader.HasData()) {
            std::fprintf(stderr, "convert_wav: cannot read %s\n", argv[1]);
            return 1;
        }
        WaveData track;
        CWaveDoc clip;
        const bool converted = intoTrack ? track.ReadConverted(reader, target) == 1
                                         : clip.ReadConverted(reader, target) == 1;
        if (reportMemory)
            std::fprintf(stderr, "reading and converting: peak RSS %ld kB\n",
                         StatusField("VmHWM:"));
        if (!converted) {
            std::fprintf(stderr, "convert_wav: conversion failed\n");
            return 1;
        }
        written = intoTrack ? WriteTrack(out, track) : clip.WriteWaveFile(out) == 1;
    }
    if (!written) {
        std::fprintf(stderr, "convert_wav: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
