#pragma once

#include "audio/WaveDataReader.h"
#include "publish/IRingMaker.h"
#include "voice/RingSnapshot.h"
#include "voice/WaveData.h"

#include <memory>

class CBrevanta;
class CListMyRing;
class IProgress;

// Kelvo's part of a ring job: the ring is built from the editor's snapshot
// (or a decoded library ring, read once from its file straight into the ring
// format) as a WaveData track and written
// through the editor's ring services; the steps go to the editor's progress
// window and to the observer. Ring worker, except AddToList (GUI thread).
class CKelvoRingMaker : public IRingMaker
{
public:
    // editor and list outlive the maker; observer may be null.
    CKelvoRingMaker(CBrevanta& editor, RingSnapshot snapshot, CListMyRing& list,
                    IProgress* observer);

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
    // Only the editor's ring services, which read nothing that changes
    // during a job, and its progress setters, which take any thread.
    CBrevanta& m_editor;
    RingSnapshot m_snapshot;
    CListMyRing& m_list;
    IProgress* m_observer;
    std::unique_ptr<WaveData> m_ring;
    // A decoded library ring, until ConvertToRingFormat reads it.
    std::unique_ptr<WaveDataReader> m_decoded;
};
