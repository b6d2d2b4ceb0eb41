#pragma once

#include "audio/AudioFileType.h"

#include <QString>

// What Kelvo's editor does with a file, decided before it is opened.
enum SniffedAudioType : int {
    kSniffCannotOpen = 0,   // unreadable, or an ".mp3" that cannot be opened
    kSniffUnknown = 1,      // content not recognised
    kSniffWindowsMedia = 2, // ASF header object
    kSniffMp3 = 3,          // MPEG frames found
    kSniffWave = 4,         // RIFF/WAVE, read directly
    kSniffRing = 5,         // named ".kox" (the content is not looked at)
    kSniffOgg = 6,          // "OggS"
};

// Classifies path by extension and content and fills info (passed zeroed,
// kAudioFileInfoSize bytes) with the title and artist as GBK, each cut to 127
// bytes at whole characters. Shows nothing; FIFOs, devices and folders are not
// read. Any thread.
SniffedAudioType SniffAudioFile(const QString& path, char (&info)[kAudioFileInfoSize]);
