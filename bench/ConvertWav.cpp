// convert_wav IN OUT [RATE CHANNELS]: reads IN, converts it to RATE Hz with
// CHANNELS channels, 16-bit (by default 8000 Hz mono, as the ring encoders
// are fed) and writes OUT. Exit status 0 on success. With --rss first, it
// prints the peak resident memory of the conversion alone on stderr.
#include "audio/WaveDoc.h"

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

} // namespace

int main(int argc, char** argv)
{
    const bool reportMemory = argc > 1 && std::strcmp(argv[1], "--rss") == 0;
    if (reportMemory) {
        --argc;
        ++argv;
    }
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: convert_wav [--rss] IN.wav OUT.wav [RATE CHANNELS]\n");
        return 2;
    }
    CWaveDoc source;
    if (!source.ReadWaveFile(QString::fromLocal8Bit(argv[1]), nullptr)) {
        std::fprintf(stderr, "convert_wav: cannot read %s\n", argv[1]);
        return 1;
    }
    WaveFormat target = kRingFormat;
    if (argc == 5)
        target = MakePcmFormat(static_cast<uint16_t>(std::atoi(argv[4])),
                               static_cast<uint32_t>(std::atoi(argv[3])), 16);
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
    if (!converted->WriteWaveFile(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "convert_wav: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
