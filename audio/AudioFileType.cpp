#include "audio/AudioFileType.h"

#include "audio/DataFolders.h"
#include "audio/Id3TagInfo.h"
#include "audio/InputFile.h"
#include "audio/MP3Info.h"
#include "audio/RingFilePacker.h"
#include "platform/TextCoding.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kFieldSize = 128;

constexpr uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                        0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr uint8_t kAsfContentDescriptionGuid[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66,
                                                    0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA,
                                                    0x00, 0x62, 0xCE, 0x6C};
// GUID and 64-bit size of every ASF object.
constexpr uint64_t kAsfObjectHead = 24;
// The Header Object's head, object count and two reserved bytes.
constexpr uint64_t kAsfFirstChild = 30;

} // namespace

void CopyAudioInfoField(char* field, const std::string& gbk)
{
    const size_t length = std::min(gbk.find('\0'), gbk.size());
    size_t end = 0;
    while (end < length) {
        const auto lead = static_cast<uint8_t>(gbk[end]);
        const size_t step = lead >= 0x81 && lead <= 0xFE && end + 1 < length ? 2 : 1;
        if (end + step > kFieldSize - 1)
            break;
        end += step;
    }
    std::memset(field, 0, kFieldSize);
    std::memcpy(field, gbk.data(), end);
}

void CopyAudioInfoField(char* field, const QString& text)
{
    std::string gbk;
    WideToGbk(gbk, text);
    CopyAudioInfoField(field, gbk);
}

bool IsAsfHeader(const uint8_t* head)
{
    return std::memcmp(head, kAsfHeaderGuid, 16) == 0;
}

// Walks the objects behind the ASF Header Object's head to the Content
// Description Object and takes its title and author (UTF-16LE) as GBK. Stops,
// finding nothing, at an object smaller than its head, one reaching past the
// file's end, a short read or the file's end.
bool ReadAsfDescription(const CInputFile& file, std::string& title, std::string& author)
{
    const uint64_t fileSize = file.Size();
    uint64_t pos = kAsfFirstChild;
    uint8_t head[kAsfObjectHead];
    for (;;) {
        if (!file.ReadExactly(pos, head, sizeof head))
            return false;
        const uint64_t size = qFromLittleEndian<uint64_t>(head + 16);
        if (std::memcmp(head, kAsfContentDescriptionGuid, 16) == 0) {
            // The five field lengths follow the head; the texts must lie
            // inside the object and the file.
            const uint64_t objectEnd = size > fileSize - pos ? fileSize : pos + size;
            uint8_t lengths[10];
            if (pos + kAsfObjectHead + sizeof lengths > objectEnd ||
                !file.ReadExactly(pos + kAsfObjectHead, lengths, sizeof lengths))
                return true;
            uint64_t at = pos + kAsfObjectHead + sizeof lengths;
            std::string* targets[2] = {&title, &author};
            for (int i = 0; i < 2; ++i) {
                const uint64_t wanted = qFromLittleEndian<uint16_t>(lengths + 2 * i);
                const uint64_t length = std::min(wanted, objectEnd - at);
                std::vector<uint8_t> bytes(length);
                const size_t got = file.ReadAt(at, bytes.data(), bytes.size());
                WideToGbk(*targets[i], bytes.data(), got);
                at += length;
            }
            return true;
        }
        if (size < kAsfObjectHead || size > fileSize - pos)
            return false;
        pos += size;
        if (pos == fileSize)
            return false;
    }
}

AudioFileType IdentifyAudioFile(const QString& path, char (&info)[kAudioFileInfoSize])
{
    char* const title = info + kAudioInfoTitle;
    char* const artist = info + kAudioInfoArtist;
    const bool namedMp3 = GetPathExtension(path).toLower() == QLatin1String(".mp3");
    if (namedMp3) {
        Id3TagInfo tags;
        tags.Read(path, Id3TagInfo::kAllTagKinds);
        CopyAudioInfoField(title, tags.GetTitle());
        CopyAudioInfoField(artist, tags.GetArtist());
        CMP3Info mp3;
        if (mp3.Open(path) == 0)
            return kAudioMp3Unreadable;
        if (mp3.HasFrames())
            return kAudioMp3;
    }

    RingFileHeader header;
    CRingFilePacker::InitHeader(header);
    if (CRingFilePacker::FindRingFileHeader(path, header) != 0)
        return kAudioRingContainer;

    switch (ProbeAudioContent(path, !namedMp3, 16, title, artist)) {
    case AudioContent::Ogg:
        return kAudioOgg;
    case AudioContent::Wave:
        return kAudioWave;
    case AudioContent::WindowsMedia:
        return kAudioWindowsMedia;
    case AudioContent::Mp3:
        return kAudioMp3;
    case AudioContent::CannotOpen:
    case AudioContent::Unknown:
        break;
    }
    return kAudioUnknown;
}

AudioContent ProbeAudioContent(const QString& path, bool scanMp3, size_t asfMinimum, char* title,
                               char* artist)
{
    CInputFile file;
    if (!file.Open(path))
        return AudioContent::CannotOpen;
    uint8_t head[128];
    const size_t got = file.ReadAt(0, head, sizeof head);
    if (got >= 4 && std::memcmp(head, "OggS", 4) == 0)
        return AudioContent::Ogg;
    if (got >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0)
        return AudioContent::Wave;
    if (got >= std::max<size_t>(asfMinimum, 16) && IsAsfHeader(head)) {
        std::string asfTitle;
        std::string asfAuthor;
        if (ReadAsfDescription(file, asfTitle, asfAuthor)) {
            CopyAudioInfoField(title, asfTitle);
            CopyAudioInfoField(artist, asfAuthor);
        }
        return AudioContent::WindowsMedia;
    }
    if (scanMp3) {
        CMP3Info mp3(path);
        if (mp3.HasFrames()) {
            if (mp3.HasId3v1()) {
                CopyAudioInfoField(title, mp3.GetTitle());
                CopyAudioInfoField(artist, mp3.GetArtist());
            }
            return AudioContent::Mp3;
        }
    }
    return AudioContent::Unknown;
}
