// The frame's ring road: the ring commands on the GUI thread (selection,
// dialogs, login, fee) and the worker that builds a ring's files and uploads
// them. The worker mixes the selection taken when the job started and reads
// the tracks, so the timeline is held busy from the moment a command accepts
// a job until the job has ended; it reaches the widgets only through calls
// onto the GUI thread.
#include "editor/MainFrame.h"

#include "audio/DataFolders.h"
#include "audio/WaveDoc.h"
#include "audio/WaveFormat.h"
#include "audio/WmaToWavConverter.h"
#include "audio/WmaWriter.h"
#include "editor/WaveCtrl.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "platform/WorkingFolder.h"
#include "publish/BrowserDlg.h"
#include "publish/HTTPFormClient.h"
#include "publish/ListMyRing.h"
#include "publish/LoginDialog.h"
#include "publish/MonthOrderDialog.h"
#include "publish/RequestCancel.h"
#include "publish/RingContentDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/RingJobGlobals.h"
#include "publish/RingUploadDialog.h"
#include "publish/ServiceCall.h"
#include "publish/ServiceProtocol.h"
#include "publish/SimpleProgress.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <cstdio>

namespace {

constexpr uint32_t kShortestRingMs = 5000;
constexpr uint32_t kLongestRingMs = 55000;

const QString kRingFileName = QStringLiteral("~URING.kox");
const QString kVoxFileName = QStringLiteral("~URING.vox");
const QString kDecodedFileName = QStringLiteral("~VAZOZEDU.wav");

// The longest ring file of the library that is uploaded (ms): a ring saved
// from a selection of the longest length decodes up to one codec frame
// longer (the silence that fills its last frame), and that ring is accepted.
uint32_t LongestRingFileMs(uint32_t samplesPerSec)
{
    const int frame = CWmaWriter::FrameLength(samplesPerSec);
    if (frame <= 0)
        return kLongestRingMs;
    return kLongestRingMs +
           static_cast<uint32_t>((int64_t{frame} * 1000 + samplesPerSec - 1) / samplesPerSec);
}

// Removes a working file left by an earlier job, so it is never taken for
// this job's output. false when it is still there.
bool RemoveStale(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return QFile::remove(path);
}

// A new empty file beside target that the ring is written to first; empty
// when none can be made.
QString TemporaryBeside(const QString& target)
{
    QTemporaryFile file(QFileInfo(target).absolutePath() + QStringLiteral("/.ring-XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    // The ring is the user's file like any other: readable by others as a
    // file saved by the user's tools is, not private to the program.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return file.fileName();
}

// Puts the written ring in place of target (atomically replacing an old one).
bool RenameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
           0;
}

} // namespace

const QString CMainFrame::kRingWriteFailed = QStringLiteral("写入铃音文件失败！");
const QString CMainFrame::kVoxWriteFailed = QStringLiteral("生成铃音数据文件失败！");

void CMainFrame::SetMessageSink(IMessageSink* messages)
{
    m_messages = messages ? messages : m_ownMessages.get();
}

void CMainFrame::SetUrlOpener(IUrlOpener* urls)
{
    m_urls = urls ? urls : m_ownUrls.get();
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
    if (!EnsureLoggedIn())
        return false;
    // The request runs on a worker while this waits painting, bounded by the
    // form client's deadline.
    CServiceCall call;
    QEventLoop loop;
    connect(&call, &CServiceCall::Finished, &loop, &QEventLoop::quit);
    if (!call.Start(MakeFeeQueryRequest()))
        return false;
    loop.exec();
    const ServiceReply& reply = call.Reply();
    if (IsLoginLost(reply.status)) {
        m_loggedIn = 0;
        m_messages->ShowMessage(LoginLostMessage(reply.response, reply.charset));
        return false;
    }
    const FeeDecision fee = ClassifyFeeReply(reply.sent, reply.response, reply.charset);
    switch (fee.kind) {
    case FeeDecision::Kind::Stop:
        m_messages->ShowMessage(fee.message);
        return false;
    case FeeDecision::Kind::GoOn:
        return true;
    case FeeDecision::Kind::AskToGoOn:
        return m_questions->Ask(fee.message, IQuestionBox::Buttons::OkCancel);
    case FeeDecision::Kind::OfferMonthPlan: {
        CMonthOrderDialog offer(*m_messages, *m_urls, this);
        offer.SetMonthlyText(fee.tokens[0]);
        offer.SetPerUseText(fee.tokens[1]);
        offer.SetExplanation(fee.tokens[2]);
        offer.SetPerUseGoOn(fee.tokens[3]);
        const bool goOn = RunDialog(offer) && offer.GoOn();
        if (offer.LoginLost())
            m_loggedIn = 0;
        return goOn;
    }
    }
    return false;
}

QString CMainFrame::LibraryPathFor(const QString& name, int* replaced)
{
    const QString folder = GetMyRingDir(*m_messages);
    if (folder.isEmpty())
        return QString();
    const QString path = folder + name + QStringLiteral(".kox");
    *replaced = 0;
    if (QFileInfo::exists(path)) {
        if (!m_questions->Ask(QStringLiteral("『%1』已经存在，\r\n要替换它吗？").arg(name)))
            return QString();
        *replaced = 1;
    }
    return path;
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
        const QString path = LibraryPathFor(dialog.Name(), &job.m_replacedExisting);
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
    const QString path = LibraryPathFor(dialog.Name(), &job.m_replacedExisting);
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
    m_ringCancel = std::make_shared<RequestCancel>();
    WaveCtrl()->ShowProgress();
    m_ringThread = std::thread([this, taken = m_ringJob] { RunRingJob(taken); });
}

void CMainFrame::FinishRingJob()
{
    if (m_ringThread.joinable())
        m_ringThread.join();
    m_ringCancel.reset();
    g_bRingJobBusy = 0;
    if (!m_closing) {
        WaveCtrl()->SetBusy(false);
        emit ringJobFinished();
    }
}

void CMainFrame::OnGui(const std::function<void()>& f)
{
    if (m_closing)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, &f] {
            if (!m_closing)
                f();
        },
        Qt::BlockingQueuedConnection);
}

void CMainFrame::TellFromWorker(const QString& text)
{
    OnGui([this, &text] { m_messages->ShowMessage(text); });
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
    // Makes a clip the ring's format and writes it as the VOX file.
    const auto buildVox = [&](std::unique_ptr<CWaveDoc> clip) {
        step(QStringLiteral("正在转换铃音格式..."), 60, 85);
        if (!(clip->GetFormat() == kRingFormat)) {
            clip = clip->ConvertFormat(kRingFormat);
            if (!clip) {
                TellFromWorker(QStringLiteral("生成铃音格式文件时失败"));
                return false;
            }
        }
        step(QStringLiteral("正在生成铃音文件..."), 85, 100);
        if (!ctrl->WriteVoxFile(voxPath, clip.get())) {
            TellFromWorker(kVoxWriteFailed);
            return false;
        }
        return true;
    };

    [&] {
        if (voxPath.isEmpty() || !RemoveStale(voxPath) || !RemoveStale(decodedPath) ||
            !RemoveStale(workRing)) {
            TellFromWorker(kRingWriteFailed);
            return;
        }
        if (job.m_mode == CRingJob::UploadFile) {
            step(QStringLiteral("分析铃音数据..."), -1, 40);
            auto clip = std::make_unique<CWaveDoc>();
            if (WmaToWavConverter().Convert(job.m_path, decodedPath) != S_OK ||
                !clip->ReadWaveFile(decodedPath, nullptr)) {
                TellFromWorker(QStringLiteral("读取音频数据失败！"));
                return;
            }
            const uint32_t duration = clip->GetDuration();
            if (duration < kShortestRingMs ||
                duration > LongestRingFileMs(clip->GetFormat().samplesPerSec)) {
                TellFromWorker(
                    QStringLiteral("彩铃的长度必须控制在 %1 - %2秒之内，该铃音文件格式不正确。")
                        .arg(kShortestRingMs / 1000)
                        .arg(kLongestRingMs / 1000));
                return;
            }
            upload = buildVox(std::move(clip));
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
        written = job.m_addToLibrary ? TemporaryBeside(job.m_path) : job.m_path;
        if (written.isEmpty() || !ctrl->WriteWmaFile(written, clip.get())) {
            TellFromWorker(kRingWriteFailed);
            return;
        }
        if (job.m_mode == CRingJob::UploadSelection && !buildVox(std::move(clip)))
            return;
        if (job.m_addToLibrary) {
            if (!RenameOver(written, job.m_path)) {
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
    if (upload && !m_closing) {
        OnGui([this] { OnUploadStarted(); });
        UploadRing(job, voxPath);
    }
    QMetaObject::invokeMethod(this, &CMainFrame::FinishRingJob, Qt::QueuedConnection);
}

bool CMainFrame::UploadRing(const CRingJob& job, const QString& voxPath)
{
    CHTTPFormClient client;
    client.SetCancel(m_ringCancel);
    client.SetProgressHandler([this](unsigned percent) {
        QMetaObject::invokeMethod(
            this, [this, percent] { OnUploadProgress(static_cast<int>(percent)); },
            Qt::QueuedConnection);
    });
    bool doneTold = false;
    client.SetDoneHandler([this, &doneTold] {
        doneTold = true;
        OnGui([this] { OnUploadFinished(); });
    });
    const bool sent = SendServiceRequest(
        client, MakeUploadRequest(job.m_name, job.m_path, voxPath, job.m_share != 0));
    if (!doneTold)
        OnGui([this] { OnUploadFinished(); });
    if (IsLoginLost(client.GetStatus())) {
        // Logged out: the next ring command asks for the login again.
        OnGui([this] { m_loggedIn = 0; });
        TellFromWorker(LoginLostMessage(client.GetResponse(), client.GetResponseCharset()));
        return false;
    }
    // Every reply is shown, the empty one too: the user must learn how the
    // upload ended.
    TellFromWorker(UploadReplyMessage(sent, client.GetResponse()));
    return sent;
}

void CMainFrame::OnUploadStarted()
{
    m_uploadProgress->SetText(QStringLiteral("请稍候，程序正在上传彩铃..."));
    m_uploadProgress->SetPos(0);
    m_uploadProgress->show();
    m_uploadProgress->raise();
}

void CMainFrame::OnUploadProgress(int percent)
{
    if (m_uploadProgress->isVisible())
        m_uploadProgress->SetPos(percent);
}

void CMainFrame::OnUploadFinished()
{
    m_uploadProgress->hide();
}
