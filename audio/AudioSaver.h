#pragma once

#include "audio/SaveOptions.h"
#include "audio/WaveDoc.h"

#include <QString>
#include <QStringList>

#include <memory>

class IProgress;

// Writes a mix as the user asked in the save dialog: WAV in the mix's format,
// WAV in the ring format, or MP3 through the external encoder with ID3 tags.
// The user's file is replaced only by a complete new one. Runs on a worker
// thread; workFolder belongs to this one job.
namespace AudioSaver {

struct Result
{
    bool saved = false;
    QString path;        // the file written (with the extension the type needs)
    QStringList messages; // what to tell the user, in order
};

// The output path with ".wav" or ".mp3" appended unless it already ends so
// (in any case).
QString OutputPath(const SaveOptions& options);

Result Save(const CWaveDoc& mix, const SaveOptions& options, const QString& workFolder,
            IProgress* progress);

} // namespace AudioSaver
