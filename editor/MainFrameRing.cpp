// The frame's ring road: the ring commands on the GUI thread (selection,
// dialogs, login) and the worker that builds a ring's files (CRingJobRunner
// with the frame's maker); the fee step and the upload are the publishing
// client's (CRingPublisher). What a ring of the selection mixes is taken where
// its check passes, so the dialogs, the fee step and the worker leave it as
// checked whatever is edited meanwhile; the timeline is still held busy from
// the moment a job starts until it has ended. The worker reaches the widgets
// only through calls onto the GUI thread.
#include "editor/MainFrame.h"

#include "editor/FrameRingMaker.h"
#include "editor/WaveCtrl.h"
#include "platform/IMessageSink.h"
#include "platform/WorkingFolder.h"
#include "publish/BrowserDlg.h"
#include "publish/LoginDialog.h"
#include "publish/RingContentDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/RingJobGlobals.h"
#include "publish/RingJobRunner.h"
#include "publish/RingPublisher.h"
#include "publish/RingUploadDialog.h"
#include "publish/ServiceProtocol.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {

const QString kRingFileName = QStringLiteral("~URING.kox");
const QString kVoxFileName = QStringLiteral("~URING.vox");
const QString kDecodedFileName = QStringLiteral("~VAZOZEDU.wav");

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

Mixdown::TakenClips CMainFrame::TakeRing(CRingJob* job) const
{
    job->m_selStart = WaveCtrl()->GetSelectionStart();
    job->m_selEnd = WaveCtrl()->GetSelectionEnd();
    return WaveCtrl()->TakeRingClips();
}

void CMainFrame::OnRingUpload()
{
    if (g_bRingJobBusy || !CheckRingSelection())
        return;
    CRingJob job;
    Mixdown::TakenClips taken = TakeRing(&job);
    CRingContentDialog dialog(*m_messages, this);
    // A command run from inside this one's fee step may have started a job.
    if (!RunDialog(dialog) ||
        !m_publisher->PrepareSelectionUpload(dialog.Name(), dialog.AddToLibrary(), dialog.Share(),
                                             RingWorkFile(kRingFileName), &job) ||
        g_bRingJobBusy)
        return;
    StartRingJob(job, std::move(taken));
}

void CMainFrame::OnSaveAsRing()
{
    if (g_bRingJobBusy || !CheckRingSelection())
        return;
    CRingJob job;
    Mixdown::TakenClips taken = TakeRing(&job);
    CRingContentSaveToDialog dialog(*m_messages, this);
    if (!RunDialog(dialog) || !m_publisher->PrepareLibrarySave(dialog.Name(), &job))
        return;
    StartRingJob(job, std::move(taken));
}

void CMainFrame::UploadRingFile(const QString& name, const QString& path)
{
    if (g_bRingJobBusy)
        return;
    CRingUploadDialog dialog(*m_messages, this);
    dialog.SetName(name);
    CRingJob job;
    if (!RunDialog(dialog) ||
        !m_publisher->PrepareFileUpload(dialog.Name(), path, dialog.Share(), &job) ||
        g_bRingJobBusy)
        return;
    StartRingJob(job, {});
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

void CMainFrame::StartRingJob(const CRingJob& job, Mixdown::TakenClips clips)
{
    // Claimed here, before the worker exists: a second command in between
    // must already see it.
    g_bRingJobBusy = 1;
    WaveCtrl()->SetBusy(true);
    m_ringJob = job;
    WaveCtrl()->ShowProgress();
    m_ringThread = std::thread([this, taken = m_ringJob, clips = std::move(clips)]() mutable {
        RunRingJob(taken, std::move(clips));
    });
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

void CMainFrame::RunRingJob(const CRingJob& job, Mixdown::TakenClips clips)
{
    {
        CFrameRingMaker maker(*WaveCtrl(), std::move(clips), job.m_selStart, job.m_selEnd);
        const CRingJobRunner::Wording wording{QStringLiteral("分析铃音数据..."),
                                              40,
                                              QStringLiteral("生成铃音文件..."),
                                              40,
                                              60,
                                              kVoxWriteFailed};
        const CRingJobRunner runner(*m_publisher, wording,
                                    {RingWorkFile(kVoxFileName), RingWorkFile(kDecodedFileName),
                                     RingWorkFile(kRingFileName)});
        runner.Run(job, maker);
    }
    QMetaObject::invokeMethod(this, &CMainFrame::FinishRingJob, Qt::QueuedConnection);
}
