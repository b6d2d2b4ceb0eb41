#include "simple/KelvoRingMaker.h"

#include "audio/IProgress.h"
#include "publish/ListMyRing.h"
#include "voice/Brevanta.h"

CKelvoRingMaker::CKelvoRingMaker(CBrevanta& editor, RingSnapshot snapshot, CListMyRing& list,
                                 IProgress* observer)
    : m_editor(editor), m_snapshot(std::move(snapshot)), m_list(list), m_observer(observer)
{
}

bool CKelvoRingMaker::BuildRing()
{
    m_ring = CBrevanta::BuildRing(std::move(m_snapshot));
    return m_ring != nullptr;
}

bool CKelvoRingMaker::ReadRing(const QString& path)
{
    m_decoded = std::make_unique<WaveDataReader>();
    return m_decoded->Open(path, WaveData::kMaxSampleBytes) == WaveWalkStatus::kOk;
}

uint32_t CKelvoRingMaker::RingLengthMs() const
{
    if (m_decoded)
        return m_decoded->HasData()
                   ? WaveData::LengthOf(m_decoded->GetFormat(), m_decoded->GetSize())
                   : 0;
    return m_ring ? m_ring->GetLengthMs() : 0;
}

bool CKelvoRingMaker::WriteRingFile(const QString& path)
{
    return m_editor.SaveWma(path, m_ring.get()) == 1;
}

bool CKelvoRingMaker::ConvertToRingFormat()
{
    if (m_decoded) {
        // The file is read once, in blocks that feed the conversion.
        m_ring = std::make_unique<WaveData>();
        const bool read = m_ring->ReadConverted(*m_decoded, m_editor.GetRingFormat()) == 1;
        m_decoded.reset();
        if (!read)
            m_ring.reset();
        return read;
    }
    return m_editor.ConvertToRingFormat(m_ring.get()) == 1;
}

bool CKelvoRingMaker::WriteVox(const QString& path)
{
    return m_editor.SaveVox(path, m_ring.get()) == 1;
}

void CKelvoRingMaker::Step(const QString& text, int from, int to)
{
    m_editor.SetProgressText(text);
    if (from >= 0)
        m_editor.SetProgressPos(from);
    m_editor.SetProgressTarget(to);
    if (m_observer)
        m_observer->SetText(text);
}

void CKelvoRingMaker::FinishProgress()
{
    m_editor.FinishProgress();
}

void CKelvoRingMaker::AddToList(const QString& name)
{
    m_list.AddRing(name);
}
