#pragma once

#include "audio/Mixdown.h"
#include "audio/WaveDataReader.h"
#include "publish/IRingMaker.h"

#include <cstdint>
#include <memory>

class CWaveCtrl;
class CWaveDoc;

// Brevanta's part of a ring job: the ring is the mix of the clips the ring
// command took ([selStart, selEnd) ms), or a decoded library ring, read once
// from its file straight into the ring format; it is written through the
// timeline's ring services and the steps go to the timeline's progress
// window. Ring worker, except AddToList (GUI thread).
class CFrameRingMaker : public IRingMaker
{
public:
    // ctrl outlives the maker; it is used only for its ring services, which
    // read no track.
    CFrameRingMaker(CWaveCtrl& ctrl, Mixdown::TakenClips clips, uint32_t selStart,
                    uint32_t selEnd);
    ~CFrameRingMaker() override;

    bool BuildRing() override;
    bool ReadRing(const QString& path) override;
    uint32_t RingLengthMs() const override;
    bool WriteRingFile(const QString& path) override;
    bool ConvertToRingFormat() override;
    bool WriteVox(const QString& path) override;
    void Step(const QString& text, int from, int to) override;
    void FinishProgress() override;
    void AddToList(const QString& name) override;

private:
    CWaveCtrl& m_ctrl;
    Mixdown::TakenClips m_clips;
    uint32_t m_selStart;
    uint32_t m_selEnd;
    std::unique_ptr<CWaveDoc> m_ring;
    // A decoded library ring, until ConvertToRingFormat reads it.
    std::unique_ptr<WaveDataReader> m_decoded;
};
