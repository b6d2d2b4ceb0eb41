#pragma once

#include "audio/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The RIFF/WAVE walk both WAV readers share: the "RIFF" and "WAVE" tests, the
// chunk walk on 64-bit positions bounded by the file's length, the 16-byte
// format record with its consistency checks, and the first "data" chunk after
// each "fmt " chunk (sizes as they stand, a declared data size clamped to the
// bytes present). A file whose only data chunk lies before its format record
// hands that chunk over with the last record. The headers are read through a
// window of the file, so long runs of small or empty chunks cost no more than
// reading the file once. Only regular files are read.
enum class WaveWalkStatus {
    kOk,
    kCannotOpen, // missing, unreadable or not a regular file
    kNotRiff,    // no "RIFF" at the start: the readers tell the user
    kRefused     // not WAVE, a broken or inconsistent format record, or the handler said no
};

// Called for each format record with its data chunk: the open file, the data's
// offset and its size in bytes. Returning false ends the walk as kRefused.
using WaveDataHandler =
    std::function<bool(const WaveFormat& format, int fd, uint64_t offset, uint32_t size)>;

// Walks path. When a format record was seen but no data chunk at all,
// formatWithoutData (when given) receives the last record.
WaveWalkStatus WalkWaveFile(const QString& path, const WaveDataHandler& onData,
                            std::optional<WaveFormat>* formatWithoutData = nullptr);

// Whether a PCM, A-law or mu-law record describes samples that can be read as
// it says. Other tags pass here; the readers refuse them when data arrives.
bool IsConsistentWaveFormat(const WaveFormat& format);
