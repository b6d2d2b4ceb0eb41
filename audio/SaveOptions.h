#pragma once

#include <QString>

// What the save dialog chose and the save driver carries out. The dialog
// fills it on OK; the timeline keeps a copy for its save worker.
struct SaveOptions
{
    static constexpr int kWav = 0;     // WAV in the mix's own format
    static constexpr int kRingWav = 1; // WAV in the ring format: 8000 Hz, mono, 16-bit
    static constexpr int kMp3 = 2;     // MP3 through the external encoder

    int saveType = kWav;
    int selectedPart = 0; // 1: only the selection is saved, 0: the whole mix
    QString outputPath;   // the full path chosen in the dialog
    int writeTag = 0;     // 1: ID3 tags are written into the MP3
    QString title;
    QString artist;
    QString album;
    QString year;
    QString copyright;
    QString comment;
    QString genre;
    // Extra encoder options, each with a leading space (" -b 128 -m m");
    // empty for the encoder's defaults.
    QString encoderOptions;
};
