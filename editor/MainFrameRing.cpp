// The frame's ring road: the ring commands on the GUI thread (selection,
// dialogs, login) and the worker that builds a ring's files; the fee step and
// the upload are the publishing client's (CRingPublisher). The worker mixes the selection taken
// when the job started and reads the tracks, so the timeline is held busy from the moment a
// command accepts a job until the job has ended; it reaches the widgets only through calls onto
// the GUI thread.
#include "editor/MainFrame.h"

#include "audio/WaveDataReader.h"
#include "audio/WaveDoc.h"
#include "audio/WaveFormat.h"
#include "audio/WmaToWavConverter.h"
#include "editor/WaveCtrl.h"
#include "platform/FileReplace.h"
#include "platform/IMessageSink.h"
#include "platform/WorkingFolder.h"
#include "publish/BrowserDlg.h"
#include "publish/ListMyRing.h"
#include "publish/LoginDialog.h"
#include "publish/RingContentDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/RingJobGlobals.h"
#include "publish/RingPublisher.h"
#include "publish/RingUploadDialog.h"
#include "publish/ServiceProtocol.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>

namespace {

const QString kRingFileName = QStringLiteral("~URING.kox");
const QString kVoxFileName = QStringLiteral("~URING.vox");
const QString kDecodedFileName = QStringLiteral("~VAZOZEDU.wav");
const QString kRingFormatFailed = QStringLiteral("生成铃音格式文件时失败");

} // namespace

const QString& CMainFrame::kRingWriteFailed = CRingPublisher::kRingWriteFailed;
const QString CMainFrame::kVoxWriteFailed = QStringLiteral("生成铃音数据文件失败！");

void CMainFrame::SetMessageSink(IMessageSink* messages)
{
    m_messages = messages ? messages : m_ownMessages.get();
    m_publisher->SetMessageSink(*m_messages);
}

void CMainFrame::SetQuestionBox(IQuestionBox* questions)
{
    m_questions = questions ? questions : m_ownQuestions.get();
    m_publisher->SetQuestionBox(*m_questions);
}

void CMainFrame::SetUrlOpener(IUrlOpener* urls)
{
    m_urls = urls ? urls : m_ownUrls.get();
    m_publisher->SetUrlOpener(*m_urls);
}

void CMainFrame::CreatePublisher()
{
    m_publisher = new CRingPublisher(*m_messages, *m_questions, *m_urls, this);
    m_publisher->SetLoginStep([this] { return EnsureLoggedIn(); });
    m_publisher->SetLoginLost([this] { m_loggedIn = 0; });
    m_publisher->SetDialogRunner([this](QDialog& dialog) { return RunDialog(dialog); });
    m_publisher->SetBusyPanel(m_uploadProgress);
}

bool CMainFrame::RunDialog(QDialog& dialog)
{
    if (m_runDialog)
        return m_runDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

QString CMainFrame::RingWorkFile(const QString& name) const
{
    return m_ringWorkFolder.isEmpty() ? WorkingFolder::FilePath(name) : m_ringWorkFolder + name;
}

bool CMainFrame::IsRingJobRunning() const
{
    return g_bRingJobBusy != 0;
}

void CMainFrame::WaitForRingJob()
{
    while (m_ringThread.joinable())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool CMainFrame::CheckRingSelection()
{
    const uint32_t length = WaveCtrl()->GetSelectionLength();
    constexpr uint32_t kShortestRingMs = CRingPublisher::kShortestRingMs;
    constexpr uint32_t kLongestRingMs = CRingPublisher::kLongestRingMs;
    if (length == 0) {
        m_messages->ShowMessage(QStringLiteral("请用鼠标选择一段需要作为彩铃的音乐。"));
        return false;
    }
    if (length < kShortestRingMs || length > kLongestRingMs) {
        m_messages->ShowMessage(
            QStringLiteral("彩铃的长度必须控制在 %1 - %2秒之内，请重新选择铃音范围。")
                .arg(kShortestRingMs / 1000)
                .arg(kLongestRingMs / 1000));
        return false;
    }
    return true;
}

bool CMainFrame::EnsureLoggedIn()
{
    if (!m_loggedIn) {
        CLoginDialog dialog(*m_messages, this);
        if (RunDialog(dialog) && dialog.IsLoggedIn()) {
            m_loggedIn = 1;
            m_mobile = dialog.Mobile();
        }
    }
    return m_loggedIn != 0;
}

bool CMainFrame::QueryRingFee()
{
    return m_publisher->QueryRingFee();
}

void CMainFrame::OnRingUpload()
{
    if (g_bRingJobBusy || !CheckRingSelection())
        return;
    CRingContentDialog dialog(*m_messages, this);
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
        m_messages->ShowMessage(kRingWriteFailed);
        return;
    }
    if (!QueryRingFee() || g_bRingJobBusy)
        return;
    job.SetMode(CRingJob::UploadSelection);
    job.SetName(dialog.Name());
    job.SetShare(dialog.Share() ? 1 : 0);
    StartRingJob(job);
}

void CMainFrame::OnSaveAsRing()
{
    if (g_bRingJobBusy || !CheckRingSelection())
        return;
    CRingContentSaveToDialog dialog(*m_messages, this);
    if (!RunDialog(dialog))
        return;
    CRingJob job;
    const QString path = m_publisher->LibraryPathFor(dialog.Name(), &job.m_replacedExisting);
    if (path.isEmpty())
        return;
    job.m_addToLibrary = 1;
    job.SetMode(CRingJob::SaveToLibrary);
    job.SetName(dialog.Name());
    job.SetPath(path);
    StartRingJob(job);
}

void CMainFrame::UploadRingFile(const QString& name, const QString& path)
{
    if (g_bRingJobBusy)
        return;
    CRingUploadDialog dialog(*m_messages, this);
    dialog.SetName(name);
    if (!RunDialog(dialog) || !QueryRingFee() || g_bRingJobBusy)
        return;
    CRingJob job;
    job.SetMode(CRingJob::UploadFile);
    job.SetName(dialog.Name());
    job.SetPath(path);
    job.SetShare(dialog.Share() ? 1 : 0);
    StartRingJob(job);
}

void CMainFrame::OnRingManagement()
{
    if (!EnsureLoggedIn())
        return;
    if (!m_browser->Navigate(QString::fromStdString(ServiceUrl(ServicePath::kRingLibrary)))) {
        m_messages->ShowMessage(CBrowserDlg::kEngineMissing);
        return;
    }
    m_browser->show();
    m_browser->raise();
}

void CMainFrame::StartRingJob(const CRingJob& job)
{
    // Claimed here, before the worker exists: a second command in between
    // must already see it.
    g_bRingJobBusy = 1;
    WaveCtrl()->SetBusy(true);
    m_ringJob = job;
    // The selection can still be dragged while the job runs: the worker mixes
    // the one of this moment.
    m_ringJob.m_selStart = WaveCtrl()->GetSelectionStart();
    m_ringJob.m_selEnd = WaveCtrl()->GetSelectionEnd();
    WaveCtrl()->ShowProgress();
    m_ringThread = std::thread([this, taken = m_ringJob] { RunRingJob(taken); });
}

void CMainFrame::FinishRingJob()
{
    if (m_ringThread.joinable())
        m_ringThread.join();
    g_bRingJobBusy = 0;
    if (!m_publisher->IsClosing()) {
        WaveCtrl()->SetBusy(false);
        emit ringJobFinished();
    }
}

void CMainFrame::OnGui(const std::function<void()>& f)
{
    m_publisher->RunOnGui(f);
}

void CMainFrame::TellFromWorker(const QString& text)
{
    m_publisher->TellFromWorker(text);
}

void CMainFrame::RunRingJob(CRingJob job)
{
    CWaveCtrl* ctrl = WaveCtrl();
    const QString voxPath = RingWorkFile(kVoxFileName);
    const QString decodedPath = RingWorkFile(kDecodedFileName);
    const QString workRing = RingWorkFile(kRingFileName);
    bool upload = false;
    QString written; // a ring written under a temporary name, not yet in place
    const auto step = [ctrl](const QString& text, int from, int to) {
        ctrl->SetProgressText(text);
        if (from >= 0)
            ctrl->SetProgressPos(from);
        ctrl->SetProgressLimit(to);
    };
    // Writes a clip in the ring's format as the VOX file.
    const auto writeVox = [&](CWaveDoc* clip) {
        step(QStringLiteral("正在生成铃音文件..."), 85, 100);
        if (!ctrl->WriteVoxFile(voxPath, clip)) {
            TellFromWorker(kVoxWriteFailed);
            return false;
        }
        return true;
    };
    // Makes a clip the ring's format and writes it as the VOX file.
    const auto buildVox = [&](std::unique_ptr<CWaveDoc> clip) {
        step(QStringLiteral("正在转换铃音格式..."), 60, 85);
        if (!(clip->GetFormat() == kRingFormat)) {
            clip = clip->ConvertFormat(kRingFormat);
            if (!clip) {
                TellFromWorker(kRingFormatFailed);
                return false;
            }
        }
        return writeVox(clip.get());
    };

    [&] {
        if (voxPath.isEmpty() || !FileReplace::RemoveStale(voxPath) ||
            !FileReplace::RemoveStale(decodedPath) || !FileReplace::RemoveStale(workRing)) {
            TellFromWorker(kRingWriteFailed);
            return;
        }
        if (job.m_mode == CRingJob::UploadFile) {
            step(QStringLiteral("分析铃音数据..."), -1, 40);
            // The decoded file is read once, straight into the ring format.
            WaveDataReader decoded;
            if (WmaToWavConverter().Convert(job.m_path, decodedPath) != S_OK ||
                decoded.Open(decodedPath) != WaveWalkStatus::kOk) {
                TellFromWorker(QStringLiteral("读取音频数据失败！"));
                return;
            }
            const WaveFormat& format = decoded.GetFormat();
            const QString tooLong = CRingPublisher::RingFileLengthProblem(
                decoded.HasData() ? CWaveDoc::DurationOf(format, decoded.GetSize()) : 0,
                format.samplesPerSec);
            if (!tooLong.isEmpty()) {
                TellFromWorker(tooLong);
                return;
            }
            step(QStringLiteral("正在转换铃音格式..."), 60, 85);
            CWaveDoc clip;
            if (!clip.ReadConverted(decoded, kRingFormat)) {
                TellFromWorker(format == kRingFormat ? QStringLiteral("读取音频数据失败！")
                                                     : kRingFormatFailed);
                return;
            }
            upload = writeVox(&clip);
            return;
        }
        step(QStringLiteral("分析铃音数据..."), -1, 40);
        std::unique_ptr<CWaveDoc> clip = ctrl->MixdownForUpload(job.m_selStart, job.m_selEnd);
        if (!clip) {
            TellFromWorker(QStringLiteral("没有铃音数据！"));
            return;
        }
        step(job.m_mode == CRingJob::SaveToLibrary ? QStringLiteral("生成铃音文件...")
                                                   : QStringLiteral("生成试听文件..."),
             40, 60);
        // A library ring goes in place only once everything it needs is
        // written: a failure leaves the old ring and the list as they were.
        written = job.m_addToLibrary ? FileReplace::TemporaryBeside(job.m_path) : job.m_path;
        if (written.isEmpty() || !ctrl->WriteWmaFile(written, clip.get())) {
            TellFromWorker(kRingWriteFailed);
            return;
        }
        if (job.m_mode == CRingJob::UploadSelection && !buildVox(std::move(clip)))
            return;
        if (job.m_addToLibrary) {
            if (!FileReplace::RenameOver(written, job.m_path)) {
                TellFromWorker(kRingWriteFailed);
                return;
            }
            written.clear();
            if (!job.m_replacedExisting) {
                const QString name = job.m_name;
                OnGui([name] {
                    if (g_pRingList)
                        g_pRingList->AddRing(name);
                });
            }
        }
        upload = job.m_mode == CRingJob::UploadSelection;
    }();

    if (job.m_addToLibrary && !written.isEmpty())
        QFile::remove(written);
    ctrl->CompleteProgress();
    if (upload)
        m_publisher->UploadRing(job.m_name, job.m_path, voxPath, job.m_share != 0);
    QMetaObject::invokeMethod(this, &CMainFrame::FinishRingJob, Qt::QueuedConnection);
}
