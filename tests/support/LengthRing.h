#pragma once

#include "tests/support/DecodedSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <string>

// Library rings of lengths about the upload's 55-s limit, made by ffmpeg at
// test time as a user's tool would make them: a 440 Hz tone, mono wmav2 in
// ASF, whose last codec frame ffmpeg pads with silence. The upload takes 55 s
// and the longest codec frame of any rate more (64 ms): 55.05 s, which
// decodes to at most 55.040 s, passes at every rate; 56 s passes at none.
struct LengthRing
{
    QString name; // the library name, the file being name + ".kox"
    QString path;
    int rate = 0;
    double seconds = 0; // the tone's length asked of ffmpeg
    bool accepted = false;
    double probedSeconds = -1; // the container's duration as ffprobe reads it
    qint64 decodedSamples = -1;

    // ffprobe's figures, for the test's log.
    std::string Describe() const
    {
        return QStringLiteral("%1 Hz, %2 s asked: container %3 s, %4 samples decoded (%5 s)")
            .arg(rate)
            .arg(seconds)
            .arg(probedSeconds)
            .arg(decodedSamples)
            .arg(double(decodedSamples) / rate, 0, 'f', 3)
            .toStdString();
    }

    // One ring of every length at rate in folder; empty when a tool failed.
    static QList<LengthRing> MakeAll(const QString& folder, int rate)
    {
        QList<LengthRing> rings;
        for (const auto& [seconds, accepted] :
             {std::pair{54.9, true}, {55.0, true}, {55.05, true}, {56.0, false}}) {
            LengthRing ring;
            ring.rate = rate;
            ring.seconds = seconds;
            ring.accepted = accepted;
            ring.name = QStringLiteral("%1Hz %2ms").arg(rate).arg(qRound(seconds * 1000));
            ring.path = folder + u'/' + ring.name + QStringLiteral(".kox");
            const QString source = QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                                       .arg(rate)
                                       .arg(seconds);
            QByteArray probed;
            if (!TestEnvironment::RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                                     source, "-ac", "1", "-c:a", "wmav2", "-b:a",
                                                     "96k", "-f", "asf", ring.path}) ||
                !TestEnvironment::RunTool("ffprobe",
                                          {"-v", "error", "-show_entries", "format=duration",
                                           "-of", "csv=p=0", ring.path},
                                          &probed))
                return {};
            ring.probedSeconds = probed.trimmed().toDouble();
            ring.decodedSamples = DecodedSamples(ring.path);
            rings << ring;
        }
        return rings;
    }
};
