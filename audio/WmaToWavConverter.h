#pragma once

#include "audio/HResult.h"
#include "audio/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CROStream;
class CWaveDoc;

// Decodes the first audio stream of an MP3, WAV, WMA or other ASF file into a
// 16-bit PCM WAV file with the source's rate and channel count, more than two
// channels mixed down to stereo (44-byte header, the layout
// CWaveDoc::ReadWaveFile reads). The source is read only
// through a CROStream over the opened regular file: no other file, protocol
// or container kind is opened, whatever the name says.
//
// One converter converts one file, on the thread that calls Convert.
class WmaToWavConverter
{
public:
    // Not an MP3, WAV or ASF stream this converter decodes, or its audio is
    // corrupt or empty.
    static constexpr HRESULT kUnreadableSource = MakeFailure(0x80040201);
    // The source holds no audio stream.
    static constexpr HRESULT kNoAudioStream = MakeFailure(0x80040202);
    // The decoded audio would pass the byte limit Convert was given.
    static constexpr HRESULT kTooLong = MakeFailure(0x80040203);

    // The most bytes of samples a WAV file holds (its RIFF length fits
    // 32 bits).
    static constexpr uint64_t kMaxDataBytes = UINT32_MAX - 36;

    WmaToWavConverter();
    ~WmaToWavConverter();
    WmaToWavConverter(const WmaToWavConverter&) = delete;
    WmaToWavConverter& operator=(const WmaToWavConverter&) = delete;

    // S_OK when wavPath holds the decoded audio. An empty path is
    // E_INVALIDARG; a source that cannot be opened gives CROStream::Open's
    // result; a source without decodable audio kUnreadableSource or
    // kNoAudioStream; audio of more than maxDataBytes bytes kTooLong (the
    // format it decodes to is then known). A wavPath that exists as anything
    // but a regular file (a symlink, FIFO, device or folder) is refused with
    // E_INVALIDARG and left alone.
    //
    // The WAV file is created when the first audio frame has decoded; from
    // then on an old file at wavPath is gone. The new one is written under a
    // temporary name beside it and renamed onto wavPath only when complete,
    // so a failed write, a read error (HResultFromErrno) or kTooLong leaves
    // nothing at wavPath.
    //
    // Corrupt frames are skipped. A stream that ends early, turns unreadable
    // or gives no audio for a few MB gives the audio up to there: only a
    // source without any audio is refused.
    HRESULT Convert(const QString& sourcePath, const QString& wavPath,
                    uint64_t maxDataBytes = kMaxDataBytes);
    // The same decoding straight into a new sample store, which clip adopts
    // (with the PCM format) only when the decoding succeeded; on failure
    // clip is left as it was. The samples are the bytes Convert's data chunk
    // holds.
    HRESULT ConvertToClip(const QString& sourcePath, CWaveDoc& clip);
    // The 16-bit PCM format of the last conversion that succeeded or ended
    // with kTooLong.
    const WaveFormat& GetPcmFormat() const { return m_pcmFormat; }

    // The container's tags as FFmpeg reads them (ID3v2.2 to 2.4 and ID3v1 of
    // an MP3, an ASF file's descriptions), keys lower-case, texts UTF-8.
    // false when the source does not open as one of the containers read.
    static bool ReadTags(const QString& sourcePath,
                         std::vector<std::pair<std::string, std::string>>& tags);

private:
    std::unique_ptr<CROStream> m_stream;
    int m_streamIndex = -1; // the decoded stream's index in the source
    WaveFormat m_pcmFormat; // the format record of the WAV file
};
