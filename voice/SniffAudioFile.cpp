#include "voice/SniffAudioFile.h"

#include "audio/DataFolders.h"
#include "audio/Id3TagInfo.h"
#include "audio/InputFile.h"
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

    CInputFile file;
    if (!file.Open(path))
        return kSniffCannotOpen;
    uint8_t head[128];
    const size_t got = file.ReadAt(0, head, sizeof head);
    if (got >= 4 && std::memcmp(head, "OggS", 4) == 0)
        return kSniffOgg;
    if (got >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0)
        return kSniffWave;
    if (got >= 24 && IsAsfHeader(head)) {
        std::string asfTitle;
        std::string asfAuthor;
        if (ReadAsfDescription(file, asfTitle, asfAuthor)) {
            CopyAudioInfoField(title, asfTitle);
            CopyAudioInfoField(artist, asfAuthor);
        }
        return kSniffWindowsMedia;
    }
    if (!namedMp3) {
        CMP3Info mp3(path);
        if (mp3.HasFrames()) {
            if (mp3.HasId3v1()) {
                CopyAudioInfoField(title, mp3.GetTitle());
                CopyAudioInfoField(artist, mp3.GetArtist());
            }
            return kSniffMp3;
        }
    }
    return kSniffUnknown;
}
