#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class CInputFile;

// What kind of audio a file holds, decided from its content before opening it.
enum AudioFileType : int {
    kAudioUnknown = 0,       // unknown or unreadable
    kAudioWindowsMedia = 1,  // ASF container
    kAudioMp3 = 2,           // MPEG audio frames found
    kAudioWave = 3,          // RIFF/WAVE
    kAudioRingContainer = 4, // see CRingFilePacker
    kAudioOgg = 5,
    kAudioMp3Unreadable = 6, // a file named ".mp3" that cannot be opened for reading
};

// The information block identification fills: GBK text, each field
// NUL-terminated within its 128 bytes.
constexpr size_t kAudioFileInfoSize = 256;
constexpr size_t kAudioInfoTitle = 0;    // title, bytes 0..127
constexpr size_t kAudioInfoArtist = 128; // artist or author, bytes 128..255

// Identifies the file at path. An ".mp3" name (any case) is tried for MPEG
// frames first, with its ID3 tags' title and artist copied into info; then
// the content decides: ring container, Ogg, RIFF/WAVE, ASF (title and author
// of its Content Description Object copied into info), and, for files not
// named ".mp3", MPEG frames (ID3v1 title and artist copied). The caller
// passes info zeroed. Never shows anything; FIFOs, devices and folders are
// not read. Any thread.
AudioFileType IdentifyAudioFile(const QString& path, char (&info)[kAudioFileInfoSize]);

// The pieces of identification that other classifiers build on.
// Copies text (as GBK) into a 128-byte field of the information block: up to
// its first NUL, at most 127 bytes, never ending in half a GBK character.
void CopyAudioInfoField(char* field, const std::string& gbk);
void CopyAudioInfoField(char* field, const QString& text);
// Whether the 16 bytes at head are the ASF Header Object's GUID.
bool IsAsfHeader(const uint8_t* head);
// Walks the objects behind the ASF Header Object's head to the Content
// Description Object and takes its title and author as GBK; false when there
// is none. Every object walk ends: small or overlong objects, short reads and
// the file's end stop it.
bool ReadAsfDescription(const CInputFile& file, std::string& title, std::string& author);

// What a file's bytes say it holds, for the identification of both programs:
// the Ogg, RIFF/WAVE and ASF signatures (ASF only from asfMinimum bytes on,
// its title and author copied into the info fields), then, when scanMp3,
// MP3 frames (with their ID3v1 title and artist).
enum class AudioContent { CannotOpen, Ogg, Wave, WindowsMedia, Mp3, Unknown };
AudioContent ProbeAudioContent(const QString& path, bool scanMp3, size_t asfMinimum, char* title,
                               char* artist);
