// Kelvo's ring road: the ring commands on the GUI thread (selection check,
// dialogs, replace question, login and fee) and the worker that builds the
// ring's files and uploads them. The command claims the long-job flag that
// the editor's open shares and takes the selection's bytes before the worker
// starts, so the worker reads nothing of the editor that can change; it
// reaches the widgets only through calls onto the GUI thread.
#include "simple/KelvoDlg.h"

#include "audio/DataFolders.h"
#include "audio/IProgress.h"
#include "audio/WaveFormat.h"
#include "audio/WmaToWavConverter.h"
#include "audio/WmaWriter.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "platform/WorkingFolder.h"
#include "publish/HTTPFormClient.h"
#include "publish/ListMyRing.h"
#include "publish/MonthOrderDialog.h"
#include "publish/RequestCancel.h"
#include "publish/RingContentDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/RingUploadDialog.h"
#include "publish/ServiceCall.h"
#include "publish/ServiceProtocol.h"
#include "publish/SimpleProgress.h"
#include "skin/SkinWin.h"
#include "skin/ThemeLocator.h"
#include "voice/Brevanta.h"
#include "voice/WaveData.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryFile>

#include <cstdio>

namespace {

constexpr uint32_t kShortestSelectionMs = 5000;
constexpr uint32_t kLongestSelectionMs = 50000;
constexpr uint32_t kShortestRingFileMs = 5000;
constexpr uint32_t kLongestRingFileMs = 55000;

const QString kRingFileName = QStringLiteral("~URING.kox");
const QString kVoxFileName = QStringLiteral("~URING.vox");
const QString kDecodedFileName = QStringLiteral("~VAZOZEDU.wav");
const QString kReadFailed = QStringLiteral("读取音频数据失败！");
const QString kRingFormatFailed = QStringLiteral("生成铃音格式文件时失败");
const QString kNoRingData = QStringLiteral("没有铃音数据！");

// "mm:ss:hh" of a time edit in ms; a missing field counts 0.
int ReadTimeText(const QString& text)
{
    const QStringList fields = text.split(u':');
    const int factors[3] = {60000, 1000, 10};
    int64_t ms = 0;
    for (int i = 0; i < 3 && i < fields.size(); ++i)
        ms += int64_t{fields[i].trimmed().toInt()} * factors[i];
    return static_cast<int>(std::clamp<int64_t>(ms, 0, INT32_MAX));
}

// The longest library ring that is uploaded (ms, counted as the track
// counts): a ring saved from the longest selection decodes up to one codec
// frame longer (the silence that fills its last frame), and it is accepted.
uint32_t LongestRingFileMs(uint32_t samplesPerSec)
{
    const int frame = CWmaWriter::FrameLength(samplesPerSec);
    if (frame <= 0)
        return kLongestRingFileMs;
    return kLongestRingFileMs +
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
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    return file.fileName();
}

// Puts the written ring in place of target (atomically replacing an old one).
bool RenameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
           0;
}

} // namespace

const QString CKelvoDlg::kRingWriteFailed = QStringLiteral("写入铃音文件失败！");

void CKelvoDlg::WireRingRoad()
{
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

bool CKelvoDlg::RunRingDialog(QDialog& dialog)
{
    if (m_runRingDialog)
        return m_runRingDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
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
    // The six minutes of silence of an editor without a song are no music.
    if (!m_editor->IsMusicLoaded() || m_editor->GetMusic().IsSilentDefault()) {
        m_messages.ShowMessage(QStringLiteral("未加载彩铃音乐。"));
        return false;
    }
    const int length = m_lengthEdit ? ReadTimeText(m_lengthEdit->text()) : 0;
    if (length == 0) {
        m_messages.ShowMessage(QStringLiteral("请用鼠标选择一段需要作为彩铃的音乐。"));
        return false;
    }
    if (uint32_t(length) < kShortestSelectionMs || uint32_t(length) > kLongestSelectionMs) {
        m_messages.ShowMessage(
            QStringLiteral("彩铃的长度必须控制在 5 - 50秒之内，请重新选择铃音范围。"));
        return false;
    }
    return true;
}

QString CKelvoDlg::LibraryPathFor(const QString& name, int* existed)
{
    const QString folder = GetMyRingDir(m_messages);
    if (folder.isEmpty())
        return QString();
    const QString path = folder + name + QStringLiteral(".kox");
    *existed = 0;
    if (QFileInfo::exists(path)) {
        if (!m_questions.Ask(QStringLiteral("『%1』已经存在，\r\n要替换它吗？").arg(name)))
            return QString();
        *existed = 1;
    }
    return path;
}

void CKelvoDlg::OnSaveRing()
{
    if (m_closed || m_busy.load() || !CheckRingSelection())
        return;
    CRingContentSaveToDialog dialog(m_messages, this);
    if (!RunRingDialog(dialog))
        return;
    CRingJob job;
    const QString path = LibraryPathFor(dialog.Name(), &job.m_replacedExisting);
    if (path.isEmpty())
        return;
    job.m_addToLibrary = 1;
    job.SetName(dialog.Name());
    job.SetPath(path);
    job.SetMode(CRingJob::SaveToLibrary);
    StartRingJob(job, CBrevanta::kRingMix);
}

void CKelvoDlg::OnUploadRing()
{
    if (m_closed || m_busy.load() || !CheckRingSelection())
        return;
    CRingContentDialog dialog(m_messages, this);
    if (!RunRingDialog(dialog))
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
        m_messages.ShowMessage(kRingWriteFailed);
        return;
    }
    if (!QueryRingFee())
        return;
    job.SetName(dialog.Name());
    job.SetMode(CRingJob::UploadSelection);
    job.SetShare(dialog.Share() ? 1 : 0);
    StartRingJob(job, CBrevanta::kRingMix);
}

void CKelvoDlg::UploadRingFile(const QString& name, const QString& path)
{
    if (m_closed || m_busy.load())
        return;
    CRingUploadDialog dialog(m_messages, this);
    dialog.SetName(name);
    if (!RunRingDialog(dialog) || !QueryRingFee())
        return;
    CRingJob job;
    job.SetMode(CRingJob::UploadFile);
    job.SetName(dialog.Name());
    job.SetPath(path);
    job.SetShare(dialog.Share() ? 1 : 0);
    StartRingJob(job, -1);
}

bool CKelvoDlg::QueryRingFee()
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
        m_messages.ShowMessage(LoginLostMessage(reply.response, reply.charset));
        return false;
    }
    const FeeDecision fee = ClassifyFeeReply(reply.sent, reply.response, reply.charset);
    switch (fee.kind) {
    case FeeDecision::Kind::Stop:
        m_messages.ShowMessage(fee.message);
        return false;
    case FeeDecision::Kind::GoOn:
        return true;
    case FeeDecision::Kind::AskToGoOn:
        return m_questions.Ask(fee.message, IQuestionBox::Buttons::OkCancel);
    case FeeDecision::Kind::OfferMonthPlan: {
        CMonthOrderDialog offer(m_messages, m_urls, this);
        ApplySkin(ThemeLocator::Find(QStringLiteral("skin/dlgstyle/theme.ini")), &offer);
        offer.SetMonthlyText(fee.tokens[0]);
        offer.SetPerUseText(fee.tokens[1]);
        offer.SetExplanation(fee.tokens[2]);
        offer.SetPerUseGoOn(fee.tokens[3]);
        const bool goOn = RunRingDialog(offer) && offer.GoOn();
        if (offer.LoginLost())
            m_loggedIn = 0;
        return goOn;
    }
    }
    return false;
}

void CKelvoDlg::StartRingJob(const CRingJob& job, int content)
{
    // Claimed here, before the worker exists, with the flag the editor's open
    // shares: a command or an open in between already sees it. A job of an
    // earlier command that got in first (while this one asked) wins.
    if (m_closed || !m_editor->BeginRingJob())
        return;
    if (m_ringThread.joinable())
        m_ringThread.join();
    m_ringJob = job;
    m_ringSnapshot = content >= 0 ? m_editor->TakeRingSnapshot(content) : RingSnapshot();
    m_ringCancel = std::make_shared<RequestCancel>();
    m_editor->ShowProgress();
    m_ringThread = std::thread(&CKelvoDlg::RingJobThreadProc, this);
}

int CKelvoDlg::RingJobThreadProc(CKelvoDlg* dialog)
{
    dialog->GenerateRing();
    return 0;
}

void CKelvoDlg::OnGui(const std::function<void()>& f)
{
    // Nothing is shown or listed once the dialog is closing.
    if (m_ringStopping.load())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, &f] {
            if (!m_ringStopping.load())
                f();
        },
        Qt::BlockingQueuedConnection);
}

void CKelvoDlg::TellFromWorker(const QString& text)
{
    OnGui([this, &text] { m_messages.ShowMessage(text); });
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

    // Makes a track the ring format and writes it as the VOX file.
    const auto writeVox = [&](WaveData& track) {
        RingStep(QStringLiteral("正在转换铃音格式..."), 60, 85);
        if (m_editor->ConvertToRingFormat(&track) != 1) {
            TellFromWorker(kRingFormatFailed);
            return false;
        }
        RingStep(QStringLiteral("正在生成铃音文件..."), 85, 100);
        if (m_editor->SaveVox(voxPath, &track) != 1) {
            TellFromWorker(kRingFormatFailed);
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
            RingStep(QStringLiteral("分析铃音数据..."), -1, 40);
            WaveData track;
            if (WmaToWavConverter().Convert(job.m_path, decodedPath) != S_OK ||
                !track.ReadWaveFile(decodedPath)) {
                TellFromWorker(kReadFailed);
                return;
            }
            const uint32_t length = track.GetLengthMs();
            if (length < kShortestRingFileMs ||
                length > LongestRingFileMs(track.GetFormat().samplesPerSec)) {
                TellFromWorker(
                    QStringLiteral("彩铃的长度必须控制在 %1 - %2秒之内，该铃音文件格式不正确。")
                        .arg(kShortestRingFileMs / 1000)
                        .arg(kLongestRingFileMs / 1000));
                return;
            }
            ok = writeVox(track);
            return;
        }

        const bool save = job.m_mode == CRingJob::SaveToLibrary;
        RingStep(save ? QStringLiteral("开始生成铃音数据...") : QStringLiteral("分析铃音数据..."),
                 -1, save ? 60 : 40);
        const std::unique_ptr<WaveData> ring = CBrevanta::BuildRing(std::move(snapshot));
        if (!ring) {
            TellFromWorker(kNoRingData);
            return;
        }
        if (save)
            RingStep(QStringLiteral("保存文件..."), 60, 100);
        else
            RingStep(QStringLiteral("生成试听文件..."), 40, 60);
        // A library ring goes in place only once everything it needs is
        // written: a failure leaves the old ring and the list as they were.
        written = job.m_addToLibrary ? TemporaryBeside(job.m_path) : job.m_path;
        if (written.isEmpty() || m_editor->SaveWma(written, ring.get()) != 1) {
            TellFromWorker(kRingWriteFailed);
            return;
        }
        if (!save && !writeVox(*ring))
            return;
        if (job.m_addToLibrary) {
            if (!RenameOver(written, job.m_path)) {
                TellFromWorker(kRingWriteFailed);
                return;
            }
            written.clear();
            kept = true;
            if (!job.m_replacedExisting) {
                const QString name = job.m_name;
                OnGui([this, name] { m_ringLibrary->AddRing(name); });
            }
        }
        ok = !save;
    }();

    if (!written.isEmpty() && job.m_addToLibrary)
        QFile::remove(written);
    m_editor->FinishProgress();
    bool uploaded = false;
    if (ok && !m_ringStopping.load()) {
        OnGui([this] { OnUploadBusy(); });
        uploaded = UploadRing(job.m_name, job.m_path, voxPath, job.m_share);
    }
    if (hadVoice && (kept || uploaded))
        OnGui([this] { MarkVoiceKept(); });
    m_editor->EndRingJob();
    QMetaObject::invokeMethod(this, &CKelvoDlg::FinishRingJob, Qt::QueuedConnection);
}

void CKelvoDlg::FinishRingJob()
{
    if (m_ringThread.joinable())
        m_ringThread.join();
    m_ringCancel.reset();
}

bool CKelvoDlg::UploadRing(const QString& name, const QString& ringPath, const QString& voxPath,
                           int share)
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
        OnGui([this] { OnUploadDone(); });
    });
    const bool sent =
        SendServiceRequest(client, MakeUploadRequest(name, ringPath, voxPath, share != 0));
    if (!doneTold)
        OnGui([this] { OnUploadDone(); });
    if (IsLoginLost(client.GetStatus())) {
        // Logged out: the next ring command asks for the login again.
        OnGui([this] { m_loggedIn = 0; });
        TellFromWorker(LoginLostMessage(client.GetResponse(), client.GetResponseCharset()));
        return false;
    }
    // Every reply is shown, the empty one too: the user must learn how the
    // upload ended.
    TellFromWorker(UploadReplyMessage(sent, client.GetResponse()));
    return sent && ReplyStartsWithOk(client.GetResponse());
}

void CKelvoDlg::OnUploadBusy()
{
    m_busyPanel->SetText(QStringLiteral("请稍候，程序正在上传彩铃..."));
    m_busyPanel->SetPos(0);
    m_busyPanel->show();
    m_busyPanel->raise();
}

void CKelvoDlg::OnUploadProgress(int percent)
{
    if (m_busyPanel->isVisible())
        m_busyPanel->SetPos(percent);
}

void CKelvoDlg::OnUploadDone()
{
    m_busyPanel->hide();
}
