#pragma once

#include "audio/WaveDoc.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class IProgress;

// Opens any audio file the programs read (WAV, ring files and containers,
// MP3, WMA/ASF, Ogg) into a new clip: identifies it, unpacks containers,
// decodes through FFmpeg or the external Ogg decoder, and reads the WAV.
// Runs on a worker thread; everything it needs comes in by value, and its
// working files live in workFolder, which belongs to this one job.
namespace AudioFileLoader {

struct Result
{
    std::unique_ptr<CWaveDoc> clip; // none when the open failed
    QStringList messages;           // what to tell the user, in order
};

Result Load(const QString& source, const QString& workFolder, uint32_t startMs,
            IProgress* progress);

} // namespace AudioFileLoader
