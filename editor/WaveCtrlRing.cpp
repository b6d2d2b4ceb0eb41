// The ring services of the timeline: the progress window and the two ring
// files. The work itself is the engine's (RingFiles); these stay thin so the
// ring worker can call them while the GUI thread paints. Like the open and
// save workers, the ring worker reports to the worker progress.
#include "editor/WaveCtrl.h"

#include "audio/Mixdown.h"
#include "audio/RingFiles.h"
#include "publish/ProgressDialog.h"

void CWaveCtrl::ShowProgress()
{
    IProgress* progress = WorkerProgress();
    if (!progress)
        return;
    progress->SetCeiling(0);
    progress->SetText(QString());
    progress->Show();
}

void CWaveCtrl::SetProgressText(const QString& text)
{
    if (IProgress* progress = WorkerProgress())
        progress->SetText(text);
}

void CWaveCtrl::SetProgressLimit(int percent)
{
    if (IProgress* progress = WorkerProgress())
        progress->SetCeiling(percent);
}

void CWaveCtrl::SetProgressPos(int percent)
{
    if (IProgress* progress = WorkerProgress())
        progress->SetPercent(percent);
}

void CWaveCtrl::CompleteProgress()
{
    if (IProgress* progress = WorkerProgress())
        progress->StageDone();
}

Mixdown::TakenClips CWaveCtrl::TakeRingClips() const
{
    return Mixdown::TakeClips(TrackList());
}

std::unique_ptr<CWaveDoc> CWaveCtrl::MixdownForUpload(const Mixdown::TakenClips& clips,
                                                      uint32_t selStart, uint32_t selEnd) const
{
    // The ring road sets the window's text itself: the mix reports no stages.
    return RingFiles::ToRingFileFormat(Mixdown::SelectionOf(clips, selStart, selEnd, nullptr),
                                       m_wmaFormats);
}

std::unique_ptr<CWaveDoc> CWaveCtrl::MixdownForUpload(uint32_t selStart, uint32_t selEnd) const
{
    return MixdownForUpload(TakeRingClips(), selStart, selEnd);
}

int CWaveCtrl::WriteVoxFile(const QString& path, const CWaveDoc* clip) const
{
    return clip ? RingFiles::WriteVox(path, *clip) : 0;
}

int CWaveCtrl::WriteWmaFile(const QString& path, const CWaveDoc* clip) const
{
    if (!clip)
        return 0;
    return RingFiles::WriteRingFile(path, *clip, FindFormatByRate(clip)) == S_OK ? 1 : 0;
}

const WaveFormatEx* CWaveCtrl::FindFormatByRate(const CWaveDoc* clip) const
{
    return clip ? m_wmaFormats.FindByRate(clip->GetFormat().samplesPerSec) : nullptr;
}

const WaveFormatEx* CWaveCtrl::GetHighestRateFormat() const
{
    return m_wmaFormats.Highest();
}

void CWaveCtrl::BuildWmaFormatList(const std::vector<WaveFormatEx>& offered)
{
    m_wmaFormats.Build(offered);
}
