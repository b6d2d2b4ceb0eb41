// The open and save drivers of the timeline: each job runs on a worker with
// its inputs copied and its own working folder; results come back to the GUI
// thread through queued calls.
#include "editor/WaveCtrl.h"

#include "audio/AudioFileLoader.h"
#include "audio/AudioSaver.h"
#include "audio/EditHistory.h"
#include "audio/Mixdown.h"
#include "audio/TrackAddEdit.h"
#include "audio/WaveAddEdit.h"
#include "editor/WaveSaveDialog.h"
#include "platform/IMessageSink.h"
#include "platform/WorkingFolder.h"
#include "publish/ProgressDialog.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <thread>

namespace {

const QString kOpenFilter = QStringLiteral(
    "MP3文件 (*.mp3 *.MP3);;KOX Files (*.KOX *.kox);;Windows音频文件 (*.wma *.WMA);;"
    "wav文件 (*.wav *.WAV);;ogg文件 (*.ogg *.OGG);;所有文件 (*)");

// A folder for the working files of one job inside this program's working
// folder, so two jobs at once never share one; removed with the job.
std::shared_ptr<QTemporaryDir> JobFolder()
{
    const QString base = WorkingFolder::Path();
    if (base.isEmpty())
        return nullptr;
    auto folder = std::make_shared<QTemporaryDir>(base + QStringLiteral("job-XXXXXX"));
    return folder->isValid() ? folder : nullptr;
}

} // namespace

void CWaveCtrl::StartWorker(std::function<void()> work)
{
    ReapWorkers();
    auto worker = std::make_unique<Worker>();
    Worker* raw = worker.get();
    raw->thread = std::thread([raw, work = std::move(work)] {
        work();
        raw->done = true;
    });
    m_workers.push_back(std::move(worker));
}

void CWaveCtrl::ReapWorkers()
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void CWaveCtrl::WaitForWorkers()
{
    for (auto& worker : m_workers)
        worker->thread.join();
    m_workers.clear();
}

void CWaveCtrl::ShowMessages(const QStringList& messages)
{
    for (const QString& message : messages) {
        if (m_messages)
            m_messages->ShowMessage(message);
    }
}

void CWaveCtrl::OnOpenAudio()
{
    m_menuPosition = 0;
    OnOpenAudioAtPosition();
}

void CWaveCtrl::OnOpenAudioAtPosition()
{
    if (IsBusy())
        return;
    const QString path = m_chooseFile
                             ? m_chooseFile(this)
                             : QFileDialog::getOpenFileName(this, QString(), QString(),
                                                            kOpenFilter);
    if (path.isEmpty())
        return;
    // An open from the file dialog holds the timeline until its clip is placed.
    SetBusy(true);
    StartOpen(path, true);
}

void CWaveCtrl::BrowseAudioToNewTrack()
{
    m_menuPosition = 0;
    m_openTarget = nullptr;
    OnOpenAudioAtPosition();
}

void CWaveCtrl::OpenAudioToNewTrack(const QString& path)
{
    m_menuPosition = 0;
    m_openTarget = nullptr;
    OpenAudioFile(path);
}

void CWaveCtrl::OpenAudioFile(const QString& path)
{
    StartOpen(path, false);
}

void CWaveCtrl::StartOpen(const QString& path, bool heldBusy)
{
    // The worker gets everything by value: the track it names by id may be
    // gone by the time the clip is ready.
    const uint32_t startMs = MenuTime();
    const uint64_t target = m_openTarget ? m_openTarget->GetId() : 0;
    auto folder = JobFolder();
    if (!folder) {
        if (heldBusy)
            SetBusy(false);
        ShowMessages({QStringLiteral("读取音频数据失败！")});
        return;
    }
    if (m_progress)
        m_progress->show();
    IProgress* progress = WorkerProgress();
    StartWorker([this, path, startMs, target, folder, heldBusy, progress] {
        auto result = std::make_shared<AudioFileLoader::Result>(
            AudioFileLoader::Load(path, folder->path(), startMs, progress));
        QMetaObject::invokeMethod(
            this,
            [this, result, target, heldBusy] {
                ShowMessages(result->messages);
                OnClipLoaded(std::move(result->clip), target, heldBusy);
            },
            Qt::QueuedConnection);
    });
}

void CWaveCtrl::OnClipLoaded(std::unique_ptr<CWaveDoc> clip, uint64_t targetTrackId,
                             bool heldBusy)
{
    ReapWorkers();
    if (heldBusy)
        SetBusy(false);
    if (!clip)
        return;
    if (m_saving > 0) {
        m_pendingClips.push_back({std::move(clip), targetTrackId});
        return;
    }
    PlaceClip(std::move(clip), targetTrackId);
}

void CWaveCtrl::PlaceClip(std::unique_ptr<CWaveDoc> clip, uint64_t targetTrackId)
{
    // The target may have gone while the file was opening: then a new track.
    CAudioTrack* track = nullptr;
    for (const auto& held : m_tracks) {
        if (targetTrackId != 0 && held->GetId() == targetTrackId)
            track = held.get();
    }
    // Opening a file into an unchanged project leaves nothing unsaved.
    const bool wasClean = m_history && m_history->IsClean();
    std::unique_ptr<CEditRecord> record;
    CWaveDoc* raw = clip.get();
    if (!track) {
        track = AddNewTrack();
        record = std::make_unique<CTrackAddEdit>(track);
    } else {
        record = std::make_unique<CWaveAddEdit>(raw);
    }
    clip->SetIndex(-1);
    track->AddClip(std::move(clip));
    record->SetOwner(this);
    AddRecord(std::move(record));
    if (wasClean)
        m_history->MarkClean();
    RebuildPlayList();
    Invalidate();
    emit clipAdded();
}

void CWaveCtrl::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void CWaveCtrl::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    OpenAudioToNewTrack(urls.first().toLocalFile());
}

std::vector<CAudioTrack*> CWaveCtrl::TrackList() const
{
    std::vector<CAudioTrack*> tracks;
    for (const auto& track : m_tracks)
        tracks.push_back(track.get());
    return tracks;
}

std::unique_ptr<CWaveDoc> CWaveCtrl::MixdownAll(IProgress* progress) const
{
    return Mixdown::All(TrackList(), GetProjectLength(), progress);
}

std::unique_ptr<CWaveDoc> CWaveCtrl::MixdownSelection(IProgress* progress) const
{
    return Mixdown::Selection(TrackList(), m_selStart, m_selEnd, progress);
}

bool CWaveCtrl::SaveAs()
{
    if (IsBusy() || !HasAudio())
        return false;
    SaveOptions options;
    const uint32_t selection = m_selEnd - m_selStart;
    bool chosen = false;
    if (m_chooseSave) {
        chosen = m_chooseSave(this, selection, GetProjectLength(), &options);
    } else {
        CWaveSaveDialog dialog(this, m_messages);
        dialog.setDirectory(m_saveFolder.isEmpty() ? QDir::homePath() : m_saveFolder);
        dialog.SetSelectionLength(static_cast<int>(selection));
        dialog.SetTotalLength(static_cast<int>(GetProjectLength()));
        chosen = dialog.exec() == QDialog::Accepted;
        options = dialog.Options();
    }
    if (!chosen)
        return false;
    auto folder = JobFolder();
    if (!folder) {
        ShowMessages({QStringLiteral("保存文件失败！")});
        return false;
    }
    // The worker reads the tracks: edits wait until it is done.
    SetBusy(true);
    ++m_saving;
    if (m_progress)
        m_progress->show();
    IProgress* progress = WorkerProgress();
    // What the worker mixes is fixed here; the tracks stay while it is busy.
    const std::vector<CAudioTrack*> tracks = TrackList();
    const uint32_t projectMs = GetProjectLength();
    const uint32_t selStart = m_selStart;
    const uint32_t selEnd = m_selEnd;
    StartWorker([this, options, folder, progress, tracks, projectMs, selStart, selEnd] {
        std::unique_ptr<CWaveDoc> mix =
            options.selectedPart ? Mixdown::Selection(tracks, selStart, selEnd, progress)
                                 : Mixdown::All(tracks, projectMs, progress);
        auto result = std::make_shared<AudioSaver::Result>();
        if (mix)
            *result = AudioSaver::Save(*mix, options, folder->path(), progress);
        else if (progress)
            progress->StageDone();
        mix.reset();
        const bool wholeProject = !options.selectedPart;
        QMetaObject::invokeMethod(
            this,
            [this, result, wholeProject] {
                ReapWorkers();
                // Edits waited for the save: the history still names what it wrote.
                if (result->saved) {
                    m_saveFolder = QFileInfo(result->path).absolutePath();
                    if (wholeProject && m_history)
                        m_history->MarkClean();
                }
                SetBusy(false);
                --m_saving;
                ShowMessages(result->messages);
                emit saveFinished(result->saved);
                if (m_saving == 0) {
                    std::vector<PendingClip> pending;
                    pending.swap(m_pendingClips);
                    for (PendingClip& waiting : pending)
                        PlaceClip(std::move(waiting.clip), waiting.targetTrackId);
                }
            },
            Qt::QueuedConnection);
    });
    return true;
}

IProgress* CWaveCtrl::WorkerProgress() const
{
    return m_workerProgress ? m_workerProgress : m_progress;
}
