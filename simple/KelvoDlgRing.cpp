// Kelvo's ring road: the ring commands on the GUI thread (selection check,
// dialogs, replace question, login and fee) and the worker that builds the
// ring's files and uploads them (CRingJobRunner with Kelvo's maker). A
// command claims the long-job flag that the editor's open shares as soon as
// its check passes, so nothing changes the music or the voice while it asks;
// the selection is checked again when the job takes its bytes, before the
// worker starts. The worker reads nothing of the editor that can change; it
// reaches the widgets only through calls onto the GUI thread.
#include "simple/KelvoDlg.h"

#include "platform/IMessageSink.h"
#include "platform/WorkingFolder.h"
#include "publish/ListMyRing.h"
#include "publish/RingJobRunner.h"
#include "publish/RingPublisher.h"
#include "publish/RingUploadDialog.h"
#include "simple/KelvoRingMaker.h"
#include "simple/RingContentDialog.h"
#include "simple/RingContentSaveToDialog.h"
#include "simple/SelectionFields.h"
#include "voice/Brevanta.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int64_t kShortestSelectionMs = 5000;
constexpr int64_t kLongestSelectionMs = 50000;

const QString kRingFileName = QStringLiteral("~URING.kox");
const QString kVoxFileName = QStringLiteral("~URING.vox");
const QString kDecodedFileName = QStringLiteral("~VAZOZEDU.wav");

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
    if (!m_editor->IsMusicLoaded()) {
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

bool CKelvoDlg::ClaimRingCommand(bool checkSelection)
{
    if (m_closed || m_busy.load() || (checkSelection && !CheckRingSelection()))
        return false;
    // Held from here: an open or a recording now waits or is refused, so the
    // checked music and voice are what the job takes.
    return m_editor->BeginRingJob();
}

void CKelvoDlg::OnSaveRing()
{
    if (!ClaimRingCommand(true))
        return;
    Kelvo::CRingContentSaveToDialog dialog(m_messages, this);
    CRingJob job;
    if (!RunDialog(dialog) || !m_publisher->PrepareLibrarySave(dialog.Name(), &job)) {
        m_editor->EndRingJob();
        return;
    }
    job.SetContent(dialog.Content());
    StartRingJob(job);
}

void CKelvoDlg::OnUploadRing()
{
    if (!ClaimRingCommand(true))
        return;
    Kelvo::CRingContentDialog dialog(m_messages, this);
    CRingJob job;
    if (!RunDialog(dialog) ||
        !m_publisher->PrepareSelectionUpload(dialog.Name(), dialog.AddToLibrary(), dialog.Share(),
                                             RingWorkFile(kRingFileName), &job)) {
        m_editor->EndRingJob();
        return;
    }
    job.SetContent(dialog.Content());
    StartRingJob(job);
}

void CKelvoDlg::UploadRingFile(const QString& name, const QString& path)
{
    if (!ClaimRingCommand(false))
        return;
    CRingUploadDialog dialog(m_messages, this);
    dialog.SetName(name);
    Kelvo::CRingContentSaveToDialog::ApplyDialogSkin(dialog);
    CRingJob job;
    if (!RunDialog(dialog) ||
        !m_publisher->PrepareFileUpload(dialog.Name(), path, dialog.Share(), &job)) {
        m_editor->EndRingJob();
        return;
    }
    StartRingJob(job);
}

bool CKelvoDlg::QueryRingFee()
{
    return m_publisher->QueryRingFee();
}

void CKelvoDlg::StartRingJob(const CRingJob& job)
{
    // The selection may have been moved while the command asked: what the
    // job takes passes the check again, or nothing is made.
    const bool fromSelection = job.m_mode != CRingJob::UploadFile;
    if (m_closed || (fromSelection && !CheckRingSelection())) {
        m_editor->EndRingJob();
        return;
    }
    if (m_ringThread.joinable())
        m_ringThread.join();
    m_ringJob = job;
    m_ringSnapshot = fromSelection ? m_editor->TakeRingSnapshot(job.m_content) : RingSnapshot();
    m_editor->ShowProgress();
    m_ringThread = std::thread(&CKelvoDlg::RingJobThreadProc, this);
}

int CKelvoDlg::RingJobThreadProc(CKelvoDlg* dialog)
{
    dialog->GenerateRing();
    return 0;
}

void CKelvoDlg::GenerateRing()
{
    const CRingJob job = m_ringJob;
    const bool hadVoice = m_ringSnapshot.voice != nullptr;
    CKelvoRingMaker maker(*m_editor, std::move(m_ringSnapshot), *m_ringLibrary, m_ringSteps);
    const CRingJobRunner::Wording wording{
        QStringLiteral("开始生成铃音数据..."),   60, QStringLiteral("保存文件..."), 60, 100,
        QStringLiteral("生成铃音格式文件时失败")};
    const CRingJobRunner runner(
        *m_publisher, wording,
        {RingWorkFile(kVoxFileName), RingWorkFile(kDecodedFileName), RingWorkFile(kRingFileName)});
    const CRingJobRunner::Outcome outcome = runner.Run(job, maker);
    if (hadVoice && (outcome.kept || outcome.uploaded))
        m_publisher->RunOnGui([this] { MarkVoiceKept(); });
    m_editor->EndRingJob();
    QMetaObject::invokeMethod(this, &CKelvoDlg::FinishRingJob, Qt::QueuedConnection);
}

void CKelvoDlg::FinishRingJob()
{
    if (m_ringThread.joinable())
        m_ringThread.join();
}
