// Kelvo's ring road: the ring commands on the GUI thread (selection check,
// dialogs, replace question, login and fee) and the worker that builds the
// ring's files and uploads them. The command claims the long-job flag that
// the editor's open shares and takes the selection's bytes before the worker
// starts, so the worker reads nothing of the editor that can change; it
// reaches the widgets only through calls onto the GUI thread.
#include "simple/KelvoDlg.h"

#include "audio/DataFolders.h"
#include "audio/IProgress.h"
#include "audio/WaveDataReader.h"
#include "audio/WaveFormat.h"
#include "audio/WmaToWavConverter.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "platform/FileReplace.h"
#include "platform/WorkingFolder.h"
#include "publish/ListMyRing.h"
#include "publish/RingPublisher.h"
#include "publish/RingUploadDialog.h"
#include "simple/RingContentDialog.h"
#include "simple/RingContentSaveToDialog.h"
#include "simple/SelectionFields.h"
#include "voice/Brevanta.h"
#include "voice/WaveData.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int64_t kShortestSelectionMs = 5000;
constexpr int64_t kLongestSelectionMs = 50000;

const QString kRingFileName = QStringLiteral("~URING.kox");
const QString kVoxFileName = QStringLiteral("~URING.vox");
const QString kDecodedFileName = QStringLiteral("~VAZOZEDU.wav");
const QString kReadFailed = QStringLiteral("读取音频数据失败！");
const QString kRingFormatFailed = QStringLiteral("生成铃音格式文件时失败");
const QString kNoRingData = QStringLiteral("没有铃音数据！");

} // namespace

void CKelvoDlg::WireRingRoad()
{
    m_publisher = new CRingPublisher(m_messages, m_questions, m_urls, this);
    m_publisher->SetLoginStep([this] { return EnsureLoggedIn(); });
    m_publisher->SetLoginLost([this] { m_loggedIn = 0; });
    m_publisher->SetDialogRunner([this](QDialog& dialog) { return RunDialog(dialog); });
    m_publisher->SetMonthOrderSkin(&Kelvo::CRingContentSaveToDialog::ApplyDialogSkin);
    m_publisher->SetBusyPanel(m_busyPanel);
    for (int id : {114, 119, 1019}) {
        auto* button = qobject_cast<QPushButton*>(Control(id));
        if (!button)
            continue;
        connect(button, &QPushButton::clicked, this,
                id == 114 ? &CKelvoDlg::OnSaveRing : &CKelvoDlg::OnUploadRing);
    }
    m_ringLibrary->SetUploadHandler(
        [this](const QString& name, const QString& path) { UploadRingFile(name, path); });
}

QString CKelvoDlg::RingWorkFile(const QString& name) const
{
    return m_ringWorkFolder.isEmpty() ? WorkingFolder::FilePath(name) : m_ringWorkFolder + name;
}

bool CKelvoDlg::IsRingJobRunning() const
{
    return m_ringThread.joinable();
}

void CKelvoDlg::WaitForRingJob()
{
    // The worker may wait on this thread: keep its events going meanwhile.
    while (m_ringThread.joinable())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool CKelvoDlg::CheckRingSelection()
{
    ApplyFocusedEdit();
    if (!SongLoaded()) {
        m_messages.ShowMessage(QStringLiteral("未加载彩铃音乐。"));
        return false;
    }
    const int64_t length = SelectionFields::ParseMs(m_lengthEdit->text());
    if (length == 0) {
        m_messages.ShowMessage(QStringLiteral("请用鼠标选择一段需要作为彩铃的音乐。"));
        return false;
    }
    if (length < kShortestSelectionMs || length > kLongestSelectionMs) {
        m_messages.ShowMessage(
            QStringLiteral("彩铃的长度必须控制在 5 - 50秒之内，请重新选择铃音范围。"));
        return false;
    }
    return true;
}

void CKelvoDlg::OnSaveRing()
{
    if (m_closed || m_busy.load() || !CheckRingSelection())
        return;
    Kelvo::CRingContentSaveToDialog dialog(m_messages, this);
    if (!RunDialog(dialog))
        return;
    CRingJob job;
    const QString path = m_publisher->LibraryPathFor(dialog.Name(), &job.m_replacedExisting);
    if (path.isEmpty())
        return;
    job.m_addToLibrary = 1;
    job.SetName(dialog.Name());
    job.SetPath(path);
    job.SetContent(dialog.Content());
    job.SetMode(CRingJob::SaveToLibrary);
    StartRingJob(job);
}

void CKelvoDlg::OnUploadRing()
{
    if (m_closed || m_busy.load() || !CheckRingSelection())
        return;
    Kelvo::CRingContentDialog dialog(m_messages, this);
    if (!RunDialog(dialog))
        return;
    CRingJob job;
    job.SetPath(RingWorkFile(kRingFileName));
    if (dialog.AddToLibrary()) {
        const QString path = m_publisher->LibraryPathFor(dialog.Name(), &job.m_replacedExisting);
        if (path.isEmpty())
            return;
        job.SetPath(path);
        job.m_addToLibrary = 1;
    }
    if (job.m_path.isEmpty()) {
        m_messages.ShowMessage(CRingPublisher::kRingWriteFailed);
        return;
    }
    if (!QueryRingFee())
        return;
    job.SetName(dialog.Name());
    job.SetContent(dialog.Content());
    job.SetMode(CRingJob::UploadSelection);
    job.SetShare(dialog.Share() ? 1 : 0);
    StartRingJob(job);
}

void CKelvoDlg::UploadRingFile(const QString& name, const QString& path)
{
    if (m_closed || m_busy.load())
        return;
    CRingUploadDialog dialog(m_messages, this);
    dialog.SetName(name);
    Kelvo::CRingContentSaveToDialog::ApplyDialogSkin(dialog);
    if (!RunDialog(dialog) || !QueryRingFee())
        return;
    CRingJob job;
    job.SetMode(CRingJob::UploadFile);
    job.SetName(dialog.Name());
    job.SetPath(path);
    job.SetShare(dialog.Share() ? 1 : 0);
    StartRingJob(job);
}

bool CKelvoDlg::QueryRingFee()
{
    return m_publisher->QueryRingFee();
}

void CKelvoDlg::StartRingJob(const CRingJob& job)
{
    // Claimed here, before the worker exists, with the flag the editor's open
    // shares: a command or an open in between already sees it. A job of an
    // earlier command that got in first (while this one asked) wins.
    if (m_closed || !m_editor->BeginRingJob())
        return;
    if (m_ringThread.joinable())
        m_ringThread.join();
    m_ringJob = job;
    m_ringSnapshot = job.m_mode == CRingJob::UploadFile
                         ? RingSnapshot()
                         : m_editor->TakeRingSnapshot(job.m_content);
    m_editor->ShowProgress();
    m_ringThread = std::thread(&CKelvoDlg::RingJobThreadProc, this);
}

int CKelvoDlg::RingJobThreadProc(CKelvoDlg* dialog)
{
    dialog->GenerateRing();
    return 0;
}

void CKelvoDlg::RingStep(const QString& text, int from, int to)
{
    m_editor->SetProgressText(text);
    if (from >= 0)
        m_editor->SetProgressPos(from);
    m_editor->SetProgressTarget(to);
    if (m_ringSteps)
        m_ringSteps->SetText(text);
}

void CKelvoDlg::GenerateRing()
{
    const CRingJob job = m_ringJob;
    RingSnapshot snapshot = std::move(m_ringSnapshot);
    const bool hadVoice = snapshot.voice != nullptr;
    const QString voxPath = RingWorkFile(kVoxFileName);
    const QString decodedPath = RingWorkFile(kDecodedFileName);
    const QString workRing = RingWorkFile(kRingFileName);
    bool ok = false;
    bool kept = false; // the voice went into a ring that stays in the library
    QString written;   // a library ring under its temporary name, not yet in place

    // Writes a track in the ring format as the VOX file.
    const auto saveVox = [&](WaveData& track) {
        RingStep(QStringLiteral("正在生成铃音文件..."), 85, 100);
        if (m_editor->SaveVox(voxPath, &track) != 1) {
            m_publisher->TellFromWorker(kRingFormatFailed);
            return false;
        }
        return true;
    };
    // Makes a track the ring format and writes it as the VOX file.
    const auto writeVox = [&](WaveData& track) {
        RingStep(QStringLiteral("正在转换铃音格式..."), 60, 85);
        if (m_editor->ConvertToRingFormat(&track) != 1) {
            m_publisher->TellFromWorker(kRingFormatFailed);
            return false;
        }
        return saveVox(track);
    };

    [&] {
        if (voxPath.isEmpty() || !FileReplace::RemoveStale(voxPath) ||
            !FileReplace::RemoveStale(decodedPath) || !FileReplace::RemoveStale(workRing)) {
            m_publisher->TellFromWorker(CRingPublisher::kRingWriteFailed);
            return;
        }
        if (job.m_mode == CRingJob::UploadFile) {
            RingStep(QStringLiteral("分析铃音数据..."), -1, 40);
            // The decoded file is read once, straight into the ring format.
            WaveDataReader decoded;
            if (WmaToWavConverter().Convert(job.m_path, decodedPath) != S_OK ||
                decoded.Open(decodedPath, WaveData::kMaxSampleBytes) != WaveWalkStatus::kOk) {
                m_publisher->TellFromWorker(kReadFailed);
                return;
            }
            const WaveFormat& format = decoded.GetFormat();
            const QString tooLong = CRingPublisher::RingFileLengthProblem(
                decoded.HasData() ? WaveData::LengthOf(format, decoded.GetSize()) : 0,
                decoded.HasData() ? format.samplesPerSec : 0);
            if (!tooLong.isEmpty()) {
                m_publisher->TellFromWorker(tooLong);
                return;
            }
            RingStep(QStringLiteral("正在转换铃音格式..."), 60, 85);
            WaveData track;
            if (track.ReadConverted(decoded, m_editor->GetRingFormat()) != 1) {
                m_publisher->TellFromWorker(kRingFormatFailed);
                return;
            }
            ok = saveVox(track);
            return;
        }

        const bool save = job.m_mode == CRingJob::SaveToLibrary;
        RingStep(save ? QStringLiteral("开始生成铃音数据...") : QStringLiteral("分析铃音数据..."),
                 -1, save ? 60 : 40);
        const std::unique_ptr<WaveData> ring = CBrevanta::BuildRing(std::move(snapshot));
        if (!ring) {
            m_publisher->TellFromWorker(kNoRingData);
            return;
        }
        if (save)
            RingStep(QStringLiteral("保存文件..."), 60, 100);
        else
            RingStep(QStringLiteral("生成试听文件..."), 40, 60);
        // A library ring goes in place only once everything it needs is
        // written: a failure leaves the old ring and the list as they were.
        written = job.m_addToLibrary ? FileReplace::TemporaryBeside(job.m_path) : job.m_path;
        if (written.isEmpty() || m_editor->SaveWma(written, ring.get()) != 1) {
            m_publisher->TellFromWorker(CRingPublisher::kRingWriteFailed);
            return;
        }
        if (!save && !writeVox(*ring))
            return;
        if (job.m_addToLibrary) {
            if (!FileReplace::RenameOver(written, job.m_path)) {
                m_publisher->TellFromWorker(CRingPublisher::kRingWriteFailed);
                return;
            }
            written.clear();
            kept = true;
            if (!job.m_replacedExisting) {
                const QString name = job.m_name;
                m_publisher->RunOnGui([this, name] { m_ringLibrary->AddRing(name); });
            }
        }
        ok = !save;
    }();

    if (!written.isEmpty() && job.m_addToLibrary)
        QFile::remove(written);
    m_editor->FinishProgress();
    bool uploaded = false;
    if (ok && !m_publisher->IsClosing())
        uploaded = UploadRing(job.m_name, job.m_path, voxPath, job.m_share);
    if (hadVoice && (kept || uploaded))
        m_publisher->RunOnGui([this] { MarkVoiceKept(); });
    m_editor->EndRingJob();
    QMetaObject::invokeMethod(this, &CKelvoDlg::FinishRingJob, Qt::QueuedConnection);
}

void CKelvoDlg::FinishRingJob()
{
    if (m_ringThread.joinable())
        m_ringThread.join();
}

bool CKelvoDlg::UploadRing(const QString& name, const QString& ringPath, const QString& voxPath,
                           int share)
{
    return m_publisher->UploadRing(name, ringPath, voxPath, share != 0);
}
