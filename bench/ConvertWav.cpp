// convert_wav IN OUT: reads IN, converts it to 8000 Hz mono 16-bit and writes
// OUT, as the ring encoders are fed. Exit status 0 on success.
#include "audio/WaveDoc.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: convert_wav IN.wav OUT.wav\n");
        return 2;
    }
    CWaveDoc source;
    if (!source.ReadWaveFile(QString::fromLocal8Bit(argv[1]), nullptr)) {
        std::fprintf(stderr, "convert_wav: cannot read %s\n", argv[1]);
        return 1;
    }
    const auto converted = source.ConvertFormat(kRingFormat);
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
