#include "voice/SniffAudioFile.h"

#include "audio/DataFolders.h"
#include "audio/Id3TagInfo.h"
#include "audio/MP3Info.h"

#include <cstring>
#include <string>

SniffedAudioType SniffAudioFile(const QString& path, char (&info)[kAudioFileInfoSize])
{
    char* const title = info + kAudioInfoTitle;
    char* const artist = info + kAudioInfoArtist;
    const QString extension = GetPathExtension(path).toLower();
    const bool namedMp3 = extension == QLatin1String(".mp3");
    if (namedMp3) {
        Id3TagInfo tags;
        tags.Read(path, Id3TagInfo::kAllTagKinds);
        CopyAudioInfoField(title, tags.GetTitle());
        CopyAudioInfoField(artist, tags.GetArtist());
        CMP3Info mp3;
        if (mp3.Open(path) == 0)
            return kSniffCannotOpen;
        if (mp3.HasFrames())
            return kSniffMp3;
    }
    if (extension == QLatin1String(".kox"))
        return kSniffRing;

    // The ASF walk needs a whole object header (24 bytes) before it trusts one.
    switch (ProbeAudioContent(path, !namedMp3, 24, title, artist)) {
    case AudioContent::CannotOpen:
        return kSniffCannotOpen;
    case AudioContent::Ogg:
        return kSniffOgg;
    case AudioContent::Wave:
        return kSniffWave;
    case AudioContent::WindowsMedia:
        return kSniffWindowsMedia;
    case AudioContent::Mp3:
        return kSniffMp3;
    case AudioContent::Unknown:
        break;
    }
    return kSniffUnknown;
}
