#include "editor/FrameRingMaker.h"

#include "audio/WaveDoc.h"
#include "audio/WaveFormat.h"
#include "editor/WaveCtrl.h"
#include "publish/ListMyRing.h"
#include "publish/RingJobGlobals.h"

CFrameRingMaker::CFrameRingMaker(CWaveCtrl& ctrl, Mixdown::TakenClips clips, uint32_t selStart,
                                 uint32_t selEnd)
    : m_ctrl(ctrl), m_clips(std::move(clips)), m_selStart(selStart), m_selEnd(selEnd)
{
}

CFrameRingMaker::~CFrameRingMaker() = default;

bool CFrameRingMaker::BuildRing()
{
    m_ring = m_ctrl.MixdownForUpload(m_clips, m_selStart, m_selEnd);
    // The mix is made: the shared samples are no longer needed.
    m_clips.clear();
    return m_ring != nullptr;
}

bool CFrameRingMaker::ReadRing(const QString& path)
{
    m_decoded = std::make_unique<WaveDataReader>();
    return m_decoded->Open(path) == WaveWalkStatus::kOk;
}

uint32_t CFrameRingMaker::RingLengthMs() const
{
    if (m_decoded)
        return m_decoded->HasData()
                   ? CWaveDoc::DurationOf(m_decoded->GetFormat(), m_decoded->GetSize())
                   : 0;
    return m_ring ? m_ring->GetDuration() : 0;
}

bool CFrameRingMaker::WriteRingFile(const QString& path)
{
    return m_ctrl.WriteWmaFile(path, m_ring.get()) != 0;
}

bool CFrameRingMaker::ConvertToRingFormat()
{
    if (m_decoded) {
        // The file is read once, in blocks that feed the conversion.
        m_ring = std::make_unique<CWaveDoc>();
        const bool read = m_ring->ReadConverted(*m_decoded, kRingFormat) == 1;
        m_decoded.reset();
        if (!read)
            m_ring.reset();
        return read;
    }
    if (!m_ring)
        return false;
    if (m_ring->GetFormat() == kRingFormat)
        return true;
    m_ring = m_ring->ConvertFormat(kRingFormat);
    return m_ring != nullptr;
}

bool CFrameRingMaker::WriteVox(const QString& path)
{
    return m_ctrl.WriteVoxFile(path, m_ring.get()) != 0;
}

void CFrameRingMaker::Step(const QString& text, int from, int to)
{
    m_ctrl.SetProgressText(text);
    if (from >= 0)
        m_ctrl.SetProgressPos(from);
    m_ctrl.SetProgressLimit(to);
}

void CFrameRingMaker::FinishProgress()
{
    m_ctrl.CompleteProgress();
}

void CFrameRingMaker::AddToList(const QString& name)
{
    if (g_pRingList)
        g_pRingList->AddRing(name);
}
