#pragma once

#include "audio/ISampleSource.h"
#include "audio/MappedTempFile.h"
#include "audio/PcmConvert.h"
#include "audio/PlayerFactory.h"
#include "audio/WaveFormat.h"
#include "audio/WavePeaks.h"
#include "platform/ColorRef.h"

#include <atomic>
#include <cstdint>
#include <memory>

class CAudioTrack;
class IMessageSink;
class WaveDataReader;
class QPainter;
class QRect;
class QString;

// One clip of PCM audio on the timeline: its format, its samples in a sample
// store, its start, its selection and recording state and its own player.
// Owns its store and player. Times are milliseconds, sizes bytes.
//
// Threads: everything on the GUI thread, except Read, which the player's
// thread calls while the GUI thread may move the read position or stop it,
// and AddRecordedBytes, which the recorder's worker calls while recording.
class CWaveDoc : public ISampleSource
{
public:
    // How ConvertFormat spreads its work. Long clips are cut into segments
    // of output frames, converted on all threads and each channel on its
    // own; by default one thread per core and segments of a fixed length, so
    // the output is the same on every machine.
    struct ConvertSplit
    {
        unsigned threads = 0;       // 0: one per core
        uint32_t segmentFrames = 0; // output frames per segment; 0: from the clip's length
    };

    explicit CWaveDoc(PlayerFactory playerFactory = DefaultPlayerFactory());
    ~CWaveDoc() override;

    CWaveDoc(const CWaveDoc&) = delete;
    CWaveDoc& operator=(const CWaveDoc&) = delete;

    void SetFormat(const WaveFormat& format); // writes both format copies
    const WaveFormat& GetFormat() const { return m_format; }
    const WaveFormatEx& GetPlaybackFormat() const override { return m_playbackFormat; }

    // Recorded bytes while recording, else the store's size, in ms (truncated).
    uint32_t GetDuration() const;
    // What GetDuration gives for bytes of format.
    static uint32_t DurationOf(const WaveFormat& format, uint64_t bytes);
    // ms to bytes, truncated, rounded down to whole sample frames.
    uint32_t MsToBytes(uint32_t ms) const;

    uint32_t GetDataSize() const override;
    bool HasData() const;

    // Replaces the store with a new one of size bytes. false when it cannot be made.
    bool CreateStore(uint32_t size);
    CMappedTempFile* GetStore() const { return m_store.get(); }
    // Stops the player first, so nothing reads a store that is going away.
    void FreeStore();

    int32_t Read(void* buffer, uint32_t wanted, uint32_t* got) override;
    uint32_t GetReadPosition() const override { return m_readPosition.load(); }
    void SetReadPosition(uint32_t bytes) { m_readPosition.store(bytes); }
    void ResetReadPosition() { m_readPosition.store(0); }

    void Play();
    // Starts playing at a timeline time; 1 when it started, 0 when the time
    // lies outside the clip or there is nothing to play.
    int PlayAt(uint32_t timelineMs);
    void StopPlayback();
    bool IsPlaying() const;
    void Mute(bool muted);
    void SetVolume(int volume); // hundredths of a decibel
    IAudioPlayer& Player() { return *m_player; }

    void SetSelected(bool selected) { m_selected = selected; }
    bool IsSelected() const { return m_selected; }

    // A new clip with the bytes between two times relative to the clip's start,
    // or none when from >= to, to lies past the duration or there are no samples.
    std::unique_ptr<CWaveDoc> CopyRange(uint32_t fromMs, uint32_t toMs) const;
    // A new clip with all of this clip's samples, starting at 0.
    std::unique_ptr<CWaveDoc> Clone() const;
    // A new clip of the same format and start that reads this clip's samples
    // without copying them: the store stays while either clip holds it. For
    // a worker that must read the clip as it is now while the GUI thread may
    // change or delete it; not for a clip being recorded (its store grows).
    std::unique_ptr<CWaveDoc> ShareSamples() const;

    // Whether the clip covers part of [fromMs, toMs) on the timeline.
    bool Overlaps(int64_t fromMs, int64_t toMs) const;
    // Same channels, rate and bits (tag, byte rate and alignment are not compared).
    bool IsSameFormat(const WaveFormat& format) const;

    uint32_t GetStart() const { return m_start; }
    void SetStart(uint32_t ms) { m_start = ms; }

    // Bytes recorded so far: the recorder's worker adds, the GUI thread reads.
    uint32_t GetRecordedBytes() const { return m_recordedBytes.load(); }
    void SetRecordedBytes(uint32_t bytes) { m_recordedBytes.store(bytes); }
    void AddRecordedBytes(uint32_t bytes) { m_recordedBytes.fetch_add(bytes); }
    bool IsRecording() const { return m_recording; }
    void SetRecording(bool recording) { m_recording = recording; }
    bool IsRecordedClip() const { return m_recordedClip; }
    void SetRecordedClip(bool recorded) { m_recordedClip = recorded; }

    CAudioTrack* GetOwnerTrack() const { return m_ownerTrack; }
    void SetOwnerTrack(CAudioTrack* track) { m_ownerTrack = track; }
    int GetIndex() const { return m_index; }
    void SetIndex(int index) { m_index = index; }

    // Gives the clip format and a store already filled in that format (a
    // decoder's output); the old store goes.
    void AdoptStore(const WaveFormat& format, std::shared_ptr<CMappedTempFile> store);

    // Fills format and samples from a RIFF/WAVE file; A-law and mu-law are
    // expanded to 16-bit PCM. 1 read, 0 failed (the clip then has no store).
    // Only a file that does not start with "RIFF" is reported, through
    // messages (may be null), on the calling thread; callers report the rest.
    // Files other than regular files and inconsistent format records are
    // refused without reading.
    int ReadWaveFile(const QString& path, IMessageSink* messages);
    // ReadWaveFile for a file the caller made and no longer needs (a
    // decoder's output): PCM samples are taken where they lie, the file
    // becoming the clip's store (it is gone from path then); otherwise, or on
    // another file system, they are copied as ReadWaveFile does.
    int TakeWaveFile(const QString& path);
    // Writes format and samples as a 44-byte-header WAV file. The file is
    // written under a temporary name and renamed over path when complete, so
    // a failed write leaves an old file as it was. 1 written, 0 failed
    // (nothing to write, or a failed create, write or rename).
    int WriteWaveFile(const QString& path) const;
    // Turns an A-law or mu-law clip into 16-bit PCM in a new store (the
    // read position goes back to 0). 1 PCM, 0 any other tag.
    int NormaliseSampleFormat();

    // A new clip with the samples in the target format (bits 8 or 16, any
    // channel count, rate through libresample) and this clip's start; this
    // clip is unchanged. A stereo source going mono is mixed as
    // (L + R / 2) / 2. None for other bit depths, without samples, for a
    // format without alignment or rate, or when memory runs out.
    // Streams from the store in blocks: memory stays a few hundred KB per
    // thread whatever the clip's length. The split changes no sample by more
    // than one step of the last bit and never the frame count.
    std::unique_ptr<CWaveDoc> ConvertFormat(const WaveFormat& target) const;
    std::unique_ptr<CWaveDoc> ConvertFormat(const WaveFormat& target,
                                            const ConvertSplit& split) const;
    // The samples of a WAV file, read to be converted: they go from the file
    // through the resampler in blocks, never into a store of their own first,
    // and come out as ReadWaveFile and then ConvertFormat give them (this
    // clip's start is kept). Samples already in target are copied as they
    // are. 1 read, 0 failed or no samples (the clip then has no store).
    int ReadConverted(const WaveDataReader& reader, const WaveFormat& target);
    int ReadConverted(const WaveDataReader& reader, const WaveFormat& target,
                      const ConvertSplit& split);
    // Adds count bytes of source (from sourceOffset) onto this clip (from
    // destOffset), saturating; the count is cut to what both clips hold.
    // 1 mixed, 0 refused (other channels, rate or bits, not 8 or 16 bits, no
    // samples).
    int MixFrom(const CWaveDoc& source, uint32_t destOffset, uint32_t sourceOffset,
                uint32_t count);

    // Draws the clip in its track row: row is the row's rectangle (already
    // shrunk for the track's margins), scrollPx the row's horizontal scroll,
    // msPerPixel the zoom. Builds or reuses the peak cache; restores the
    // painter's pen, brush and composition mode. GUI thread.
    void DrawWave(QPainter& painter, const QRect& row, int scrollPx, int msPerPixel,
                  ColorRef colour);
    // Column peaks for columnCount pixel columns from firstColumn (relative
    // to the clip's left edge) at the given zoom; reads at most 16 frames per
    // column and only whole frames inside the store.
    std::unique_ptr<CWavePeaks> BuildPeaks(int firstColumn, int columnCount, int msPerPixel) const;
    // The peak cache of the last drawing, or none.
    const CWavePeaks* GetPeaks() const { return m_peaks.get(); }
    // Red, green and blue times factor (at least 1), truncated; above 254 is 255.
    static ColorRef ScaleColorUp(ColorRef colour, double factor);

private:
    std::unique_ptr<CWaveDoc> CopyBytes(uint32_t from, uint32_t to) const;
    // ConvertFormat of sourceBytes of from, read through read.
    static std::unique_ptr<CWaveDoc> ConvertSamples(const PcmSourceReader& read,
                                                    const WaveFormat& from, uint64_t sourceBytes,
                                                    const WaveFormat& target,
                                                    const ConvertSplit& split,
                                                    const PlayerFactory& playerFactory);

    WaveFormat m_format;
    WaveFormatEx m_playbackFormat;
    // Shared only with the clips ShareSamples makes; never written once the
    // clip is complete.
    std::shared_ptr<CMappedTempFile> m_store;
    std::unique_ptr<CWavePeaks> m_peaks; // dropped whenever the samples change
    CAudioTrack* m_ownerTrack = nullptr;
    std::atomic<uint32_t> m_readPosition{0};
    uint32_t m_start = 0;
    std::atomic<uint32_t> m_recordedBytes{0};
    bool m_selected = false;
    bool m_recordedClip = false;
    bool m_recording = false;
    PlayerFactory m_playerFactory;
    std::unique_ptr<IAudioPlayer> m_player;
    int m_index = -1;
};
