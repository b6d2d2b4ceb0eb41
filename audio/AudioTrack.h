#pragma once

#include "audio/ITrackPad.h"
#include "audio/WaveDoc.h"

#include <QPainter>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// One row of the timeline: its clips in order and its control pad. Owns both.
// Every clip's index equals its position in the list. GUI thread only.
class CAudioTrack
{
public:
    // COLORREF values (0x00BBGGRR) of the clips of the current and other tracks.
    static constexpr uint32_t kCurrentColor = 0x00A87359;
    static constexpr uint32_t kNormalColor = 0x0041347C;

    explicit CAudioTrack(std::unique_ptr<ITrackPad> pad = nullptr);
    ~CAudioTrack();

    CAudioTrack(const CAudioTrack&) = delete;
    CAudioTrack& operator=(const CAudioTrack&) = delete;

    // Unique within the process; lets a worker name a track that may be gone
    // by the time it finishes.
    uint64_t GetId() const { return m_id; }
    int GetIndex() const { return m_index; }
    void SetIndex(int index) { m_index = index; }
    bool IsCurrent() const { return m_current; }
    void SetCurrent(bool current) { m_current = current; }

    // Takes the clip. A negative index appends it and numbers it; an index
    // inside the list inserts it there and renumbers the clips behind it; an
    // index at or past the end appends it keeping its index.
    void AddClip(std::unique_ptr<CWaveDoc> clip);
    // Stops the clip and hands it back to the caller; none when it is not here.
    std::unique_ptr<CWaveDoc> RemoveClip(CWaveDoc* clip);

    // ms: the end of the last clip, 0 when empty.
    uint32_t GetLength() const;
    // The first clip in list order whose start <= ms <= its end, or none.
    CWaveDoc* ClipAt(int64_t ms) const;
    bool HasClipInRange(int64_t fromMs, int64_t toMs) const;
    CWaveDoc* GetSelectedClip() const;
    void DeselectAll();

    void StopAll();
    // Muted (by its pad, or by another track's solo): not heard and not mixed.
    void SetMute(bool muted);
    bool IsMuted() const { return m_muted; }
    void SetVolume(int volume); // hundredths of a decibel

    // Draws the row frame and the clips into row; scrollX in pixels. Returns
    // the clip count. A muted row shows as a solid band under its clips.
    int Draw(QPainter& painter, const QRect& row, int scrollX, int msPerPixel) const;

    ITrackPad* GetControlPad() const { return m_pad.get(); }
    int GetClipCount() const { return static_cast<int>(m_clips.size()); }
    CWaveDoc* GetClip(int index) const;

private:
    void Renumber();

    uint64_t m_id;
    int m_index = 0;
    bool m_current = false;
    std::vector<std::unique_ptr<CWaveDoc>> m_clips;
    std::unique_ptr<ITrackPad> m_pad;
    // Read by mixing workers while the pads may change it.
    std::atomic<bool> m_muted{false};
};
