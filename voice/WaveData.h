#pragma once

#include "audio/ISampleSource.h"
#include "audio/WaveFormat.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class IMessageSink;
class WaveDataReader;

// One block of samples on the heap with its size in bytes.
struct WaveBuffer
{
    explicit WaveBuffer(uint32_t bytes) : data(new uint8_t[bytes == 0 ? 1 : bytes]()), size(bytes)
    {
    }
    std::unique_ptr<uint8_t[]> data;
    uint32_t size;
};

// A track of Kelvo's editor: linear PCM in memory with its format, the read
// position the player takes samples from and the played position the player
// reports. The player's thread calls Read and SetPlayedPosition; everything
// else belongs to the owner's thread, which stops the player before it frees
// or replaces the samples.
class WaveData : public ISampleSource
{
public:
    WaveData() = default;
    ~WaveData() override = default;
    WaveData(const WaveData&) = delete;
    WaveData& operator=(const WaveData&) = delete;

    // ISampleSource
    const WaveFormatEx& GetPlaybackFormat() const override { return m_formatEx; }
    uint32_t GetReadPosition() const override { return m_readPosition.load(); }
    uint32_t GetDataSize() const override { return GetSize(); }
    int32_t Read(void* destination, uint32_t count, uint32_t* got) override;
    void SetPlayedPosition(uint32_t bytes) override { m_playedPosition.store(bytes); }

    uint32_t GetPlayedPosition() const { return m_playedPosition.load(); }
    int Rewind();
    // Where the next Read starts; Read never goes past the samples' end.
    void SetReadPosition(uint32_t bytes) { m_readPosition.store(bytes); }
    uint32_t GetSize() const { return m_buffer ? m_buffer->size : 0; }
    const uint8_t* GetData() const { return m_buffer ? m_buffer->data.get() : nullptr; }
    const WaveFormat& GetFormat() const { return m_format; }
    void SetFormat(const WaveFormat& format);
    // Takes the samples over (in the current format); null frees them.
    void SetBuffer(std::unique_ptr<WaveBuffer> buffer);
    void Free();
    // Hands the samples over; the track is left without data.
    std::unique_ptr<WaveBuffer> TakeBuffer();
    // A buffer is attached, even one of 0 bytes.
    bool HasData() const { return m_buffer != nullptr; }
    bool IsSilentDefault() const { return m_silentDefault; }
    // Length in ms of the bytes, rounded down; 0 without data.
    uint32_t GetLengthMs() const;
    // What GetLengthMs gives for bytes of format.
    static uint32_t LengthOf(const WaveFormat& format, uint64_t bytes);
    // ms of this format in bytes, whole frames.
    uint32_t MsToBytes(uint32_t ms) const;
    bool IsSameFormat(const WaveFormat& format) const;
    // Six minutes of 8000 Hz 8-bit mono silence.
    void MakeSilence();

    // The most bytes of samples a track takes from a file (after G.711
    // expansion): 1 GiB, about 100 minutes of CD audio. The whole track lives
    // in memory, so larger files are refused before anything is allocated.
    static constexpr uint64_t kMaxSampleBytes = uint64_t{1} << 30;

    // Reads a WAV file; 1 on success, 0 when it cannot be read (a file not
    // starting with "RIFF" is told to messages when given) or its samples
    // would pass kMaxSampleBytes (tooLong, when given, then receives the PCM
    // format they would have). A file without data, or refused for its
    // size, leaves the previous samples as they were.
    int ReadWaveFile(const QString& path, IMessageSink* messages = nullptr,
                     std::optional<WaveFormat>* tooLong = nullptr);
    // A-law and mu-law become 16-bit PCM; 1 for PCM after that, 0 otherwise.
    int ExpandG711();
    // A new track in target (8 or 16 bits), or null. This track is unchanged.
    std::unique_ptr<WaveData> ConvertFormat(const WaveFormat& target) const;
    // The samples of a WAV file read to be converted: they go from the file
    // through the conversion in blocks, and the track holds only the result,
    // the one ReadWaveFile and then ConvertBuffer (every frame kept) give.
    // Samples of target's channels, rate and bits are read as they are, in
    // their own format. 1 read, 0 without samples or when they cannot be
    // read or converted (the track's samples are then unchanged).
    int ReadConverted(const WaveDataReader& reader, const WaveFormat& target);

private:
    WaveFormat m_format;
    WaveFormatEx m_formatEx;
    std::unique_ptr<WaveBuffer> m_buffer;
    std::atomic<uint32_t> m_readPosition{0};
    std::atomic<uint32_t> m_playedPosition{0};
    bool m_silentDefault = false;
};

// The conversion of WaveData::ConvertFormat on a bare buffer, keeping every
// produced frame; null when the formats cannot be converted.
std::unique_ptr<WaveBuffer> ConvertBuffer(const WaveBuffer& buffer, const WaveFormat& source,
                                          const WaveFormat& target);
