#pragma once

#include "audio/HResult.h"
#include "audio/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Writes a ring file: an ASF file with one mono Windows Media Audio (wmav2)
// stream, titled "KOX", made from PCM chunks with explicit times.
//
// Calling order: Open(format), SetFileName, BeginWriting, WriteSample for
// each chunk, EndWriting, ReleaseAll.
//
// The decoded file holds every sample given, from the first on, followed by
// the silence that fills its last codec frame: less than one frame
// (FrameLength) longer than what was given. The file is written under a temporary
// name beside the target and renamed onto it only by a successful
// EndWriting: any failure leaves nothing at the target.
//
// One writer writes one file, on one thread at a time (any thread: it
// touches no widget).
class CWmaWriter
{
public:
    static constexpr uint16_t kWmaFormatTag = 0x161;

    CWmaWriter();
    ~CWmaWriter(); // ReleaseAll
    CWmaWriter(const CWmaWriter&) = delete;
    CWmaWriter& operator=(const CWmaWriter&) = delete;

    // The compressed formats the encoder offers: mono, 16-bit input, several
    // byte rates per sample rate. A writer opens only these.
    static const std::vector<WaveFormatEx>& OfferedFormats();
    // Samples in one codec frame of the encoder at a sample rate it is
    // offered at (0 at any other rate): what the silence of a ring file's
    // last frame may add to its decoded length, at most.
    static int FrameLength(uint32_t samplesPerSec);

    // Prepares the encoder for a wanted format; matched against the offered
    // formats by rate, channels, bits and average bytes per second. E_FAIL
    // when none matches or the encoder refuses; S_OK and nothing done when
    // the writer is open already.
    HRESULT Open(const WaveFormatEx& wanted);
    void SetFileName(const QString& path);
    // Creates the file and writes its header, tagged title "KOX" and
    // description "Powered by Quillon Tech.". E_FAIL unless opened and given
    // a name; the file-system error when the file cannot be created.
    HRESULT BeginWriting();
    // Takes byteCount bytes of PCM in the wanted format (16-bit mono) that
    // start at time (100-ns units from the start of the file). A time past
    // the end of what was given so far is reached with silence; an earlier
    // one is E_INVALIDARG. The encoder's frames are cut from a queue, so
    // chunks of any size give packets with correct times.
    HRESULT WriteSample(const uint8_t* bytes, int64_t time, uint32_t byteCount);
    // Fills the last codec frame with silence, encodes what is queued, writes
    // the trailer and renames the file onto the target. Any failure is
    // returned and leaves nothing at the target.
    HRESULT EndWriting();
    // Frees the encoder, the muxer and an unfinished file; also after a
    // failure midway. The writer can then be opened again.
    void ReleaseAll();

    // Test seam: told of every WriteSample call (time, byte count).
    using SampleObserver = std::function<void(int64_t time, uint32_t byteCount)>;
    void SetSampleObserver(SampleObserver observer) { m_observer = std::move(observer); }

private:
    struct Encoder; // FFmpeg's state, kept out of this header
    // Encodes every whole frame queued (and with flush the rest and the
    // encoder's delay) and writes the packets.
    HRESULT EncodeQueued(bool flush);
    HRESULT DrainPackets();
    HRESULT QueueSamples(const float* samples, int count);
    HRESULT QueueSilence(int64_t count);
    HRESULT Fail(HRESULT result);

    std::unique_ptr<Encoder> m_encoder;
    WaveFormatEx m_wanted;
    QString m_path;
    SampleObserver m_observer;
};
