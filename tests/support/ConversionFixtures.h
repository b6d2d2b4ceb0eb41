#pragma once

// Files and sources for the conversions that read a WAV file in blocks: the
// programs' two readers and their conversions must agree on every case.
#include "audio/WaveFormat.h"
#include "audio/WaveHeader.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>
#include <QString>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ConversionFixtures {

// Full-scale noise: every tap of the filter matters and clamping happens.
inline std::vector<uint8_t> Noise(uint64_t bytes, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> values(bytes);
    for (uint8_t& value : values)
        value = static_cast<uint8_t>(random());
    return values;
}

// A WAV file of the given format (tag included) around data.
inline QString WriteWave(const QString& name, const WaveFormat& format,
                         const std::vector<uint8_t>& data)
{
    const QString path = TestEnvironment::Home() + "/" + name;
    uint8_t header[kWaveHeaderSize];
    FillWaveHeader(header, format, static_cast<uint32_t>(data.size()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    file.write(reinterpret_cast<const char*>(data.data()), qint64(data.size()));
    return path;
}

inline WaveFormat G711Format(uint16_t tag, uint16_t channels, uint32_t rate)
{
    WaveFormat format = MakePcmFormat(channels, rate, 8);
    format.formatTag = tag;
    return format;
}

struct FileCase
{
    const char* name;
    WaveFormat file; // as the file's record says
    WaveFormat target;
    uint32_t frames;
};

inline const FileCase kFiles[] = {
    {"RingFromProject", kProjectFormat, kRingFormat, 90001},
    {"ProjectFrom22k", MakePcmFormat(2, 22050, 16), kProjectFormat, 30011},
    {"EightBitStereo", MakePcmFormat(2, 11025, 8), kRingFormat, 20001},
    {"Alaw", G711Format(kWaveFormatAlaw, 2, 16000), kRingFormat, 20001},
    {"Mulaw", G711Format(kWaveFormatMulaw, 1, 11025), kProjectFormat, 10007},
    {"AlreadyTheTarget", kRingFormat, kRingFormat, 8001},
    {"EmptyData", kProjectFormat, kRingFormat, 0},
};

inline void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.name;
}

inline std::string FileCaseName(const testing::TestParamInfo<FileCase>& info)
{
    return info.param.name;
}

} // namespace ConversionFixtures
