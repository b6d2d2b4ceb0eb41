#include "publish/RingPublisher.h"

#include "audio/DataFolders.h"
#include "audio/WmaWriter.h"
#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "publish/HTTPFormClient.h"
#include "publish/MonthOrderDialog.h"
#include "publish/OnGui.h"
#include "publish/RequestCancel.h"
#include "publish/RingJob.h"
#include "publish/ServiceCall.h"
#include "publish/ServiceProtocol.h"
#include "publish/SimpleProgress.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>

const QString CRingPublisher::kRingWriteFailed = QStringLiteral("写入铃音文件失败！");
const QString CRingPublisher::kUploading = QStringLiteral("请稍候，程序正在上传彩铃...");

CRingPublisher::CRingPublisher(IMessageSink& messages, IQuestionBox& questions, IUrlOpener& urls,
                               QWidget* window)
    : QObject(window), m_messages(&messages), m_questions(&questions), m_urls(&urls),
      m_window(window)
{
}

CRingPublisher::~CRingPublisher()
{
    Close();
}

QString CRingPublisher::LibraryPathFor(const QString& name, int* replaced)
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

void CRingPublisher::LoginLost()
{
    if (m_loginLost)
        m_loginLost();
}

bool CRingPublisher::QueryRingFee()
{
    for (;;) {
        if (!m_loginStep || !m_loginStep())
            return false;
        const Answer answer = AskFee();
        if (answer != Answer::LoginLost)
            return answer == Answer::GoOn;
    }
}

CRingPublisher::Answer CRingPublisher::AskFee()
{
    // The request runs on a worker while this waits painting, bounded by the
    // form client's deadline.
    CServiceCall call;
    QEventLoop loop;
    connect(&call, &CServiceCall::Finished, &loop, &QEventLoop::quit);
    if (!call.Start(MakeFeeQueryRequest()))
        return Answer::Stop;
    loop.exec();
    const ServiceReply& reply = call.Reply();
    if (IsLoginLost(reply.status)) {
        LoginLost();
        m_messages->ShowMessage(LoginLostMessage(reply.response, reply.charset));
        return Answer::LoginLost;
    }
    const auto goOnIf = [](bool goOn) { return goOn ? Answer::GoOn : Answer::Stop; };
    const FeeDecision fee = ClassifyFeeReply(reply.sent, reply.response, reply.charset);
    switch (fee.kind) {
    case FeeDecision::Kind::Stop:
        m_messages->ShowMessage(fee.message);
        return Answer::Stop;
    case FeeDecision::Kind::GoOn:
        return Answer::GoOn;
    case FeeDecision::Kind::AskToGoOn:
        return goOnIf(m_questions->Ask(fee.message, IQuestionBox::Buttons::OkCancel));
    case FeeDecision::Kind::OfferMonthPlan: {
        CMonthOrderDialog offer(*m_messages, *m_urls, m_window);
        offer.SetMonthlyText(fee.tokens[0]);
        offer.SetPerUseText(fee.tokens[1]);
        offer.SetExplanation(fee.tokens[2]);
        offer.SetPerUseGoOn(fee.tokens[3]);
        if (m_monthOrderSkin)
            m_monthOrderSkin(offer);
        const bool accepted = m_runDialog ? m_runDialog(offer) : offer.exec() == QDialog::Accepted;
        if (offer.LoginLost()) {
            LoginLost();
            return Answer::LoginLost;
        }
        return goOnIf(accepted && offer.GoOn());
    }
    }
    return Answer::Stop;
}

bool CRingPublisher::PrepareSelectionUpload(const QString& name, bool addToLibrary, bool share,
                                            const QString& workRing, CRingJob* job)
{
    job->SetPath(workRing);
    if (addToLibrary) {
        const QString path = LibraryPathFor(name, &job->m_replacedExisting);
        if (path.isEmpty())
            return false;
        job->SetPath(path);
        job->m_addToLibrary = 1;
    }
    if (job->m_path.isEmpty()) {
        m_messages->ShowMessage(kRingWriteFailed);
        return false;
    }
    if (!QueryRingFee())
        return false;
    job->SetName(name);
    job->SetMode(CRingJob::UploadSelection);
    job->SetShare(share ? 1 : 0);
    return true;
}

bool CRingPublisher::PrepareLibrarySave(const QString& name, CRingJob* job)
{
    const QString path = LibraryPathFor(name, &job->m_replacedExisting);
    if (path.isEmpty())
        return false;
    job->m_addToLibrary = 1;
    job->SetName(name);
    job->SetPath(path);
    job->SetMode(CRingJob::SaveToLibrary);
    return true;
}

bool CRingPublisher::PrepareFileUpload(const QString& name, const QString& path, bool share,
                                       CRingJob* job)
{
    if (!QueryRingFee())
        return false;
    job->SetMode(CRingJob::UploadFile);
    job->SetName(name);
    job->SetPath(path);
    job->SetShare(share ? 1 : 0);
    return true;
}

void CRingPublisher::RunOnGui(const std::function<void()>& f)
{
    OnGui(this, m_closing, f);
}

void CRingPublisher::TellFromWorker(const QString& text)
{
    RunOnGui([this, &text] { m_messages->ShowMessage(text); });
}

bool CRingPublisher::UploadRing(const QString& name, const QString& ringPath,
                                const QString& voxPath, bool share)
{
    for (;;) {
        const Answer answer = SendRing(name, ringPath, voxPath, share);
        if (answer != Answer::LoginLost)
            return answer == Answer::GoOn;
        // The files are made and the user's choices stand: once logged in
        // again they go up as they are.
        bool again = false;
        RunOnGui([this, &again] { again = m_loginStep && m_loginStep(); });
        if (!again)
            return false;
    }
}

CRingPublisher::Answer CRingPublisher::SendRing(const QString& name, const QString& ringPath,
                                                const QString& voxPath, bool share)
{
    auto cancel = std::make_shared<RequestCancel>();
    {
        std::lock_guard<std::mutex> lock(m_cancelMutex);
        if (m_closing)
            return Answer::Stop;
        m_cancel = cancel;
    }
    RunOnGui([this] { OnUploadStarted(); });

    CHTTPFormClient client;
    client.SetCancel(cancel);
    client.SetProgressHandler([this](unsigned percent) {
        // Not waited for: the bar may lag, the upload never does.
        QMetaObject::invokeMethod(
            this, [this, percent] { OnUploadProgress(static_cast<int>(percent)); },
            Qt::QueuedConnection);
    });
    bool doneTold = false;
    client.SetDoneHandler([this, &doneTold] {
        doneTold = true;
        RunOnGui([this] { OnUploadFinished(); });
    });
    const bool sent =
        SendServiceRequest(client, MakeUploadRequest(name, ringPath, voxPath, share));
    if (!doneTold)
        RunOnGui([this] { OnUploadFinished(); });
    {
        std::lock_guard<std::mutex> lock(m_cancelMutex);
        m_cancel.reset();
    }
    if (IsLoginLost(client.GetStatus())) {
        RunOnGui([this] { LoginLost(); });
        TellFromWorker(LoginLostMessage(client.GetResponse(), client.GetResponseCharset()));
        return Answer::LoginLost;
    }
    // Every reply is shown, the empty one too: the user must learn how the
    // upload ended.
    TellFromWorker(UploadReplyMessage(sent, client.GetResponse()));
    return sent && ReplyStartsWithOk(client.GetResponse()) ? Answer::GoOn : Answer::Stop;
}

void CRingPublisher::Close()
{
    std::lock_guard<std::mutex> lock(m_cancelMutex);
    m_closing = true;
    if (m_cancel)
        m_cancel->Cancel();
}

void CRingPublisher::OnUploadStarted()
{
    if (!m_panel)
        return;
    m_panel->SetText(kUploading);
    m_panel->SetPos(0);
    m_panel->show();
    m_panel->raise();
}

void CRingPublisher::OnUploadProgress(int percent)
{
    if (m_panel && m_panel->isVisible())
        m_panel->SetPos(percent);
}

void CRingPublisher::OnUploadFinished()
{
    if (m_panel)
        m_panel->hide();
}

uint32_t CRingPublisher::LongestRingFileMs()
{
    // A ring file may be longer than its selection by the silence of its
    // last codec frame. One allowance for every rate, the longest frame of
    // any, so a ring made by another tool at a rate of short frames is not
    // refused for a few ms that the same length at 32 kHz may have.
    static const uint32_t longest = [] {
        int64_t frameMs = 0;
        for (const WaveFormatEx& format : CWmaWriter::OfferedFormats()) {
            const int64_t rate = format.samplesPerSec;
            const int frame = CWmaWriter::FrameLength(format.samplesPerSec);
            if (rate > 0 && frame > 0)
                frameMs = std::max(frameMs, (int64_t{frame} * 1000 + rate - 1) / rate);
        }
        return kLongestRingMs + static_cast<uint32_t>(frameMs);
    }();
    return longest;
}

QString CRingPublisher::RingFileLengthProblem(uint32_t durationMs)
{
    if (durationMs >= kShortestRingMs && durationMs <= LongestRingFileMs())
        return QString();
    return QStringLiteral("彩铃的长度必须控制在 %1 - %2秒之内，该铃音文件格式不正确。")
        .arg(kShortestRingMs / 1000)
        .arg(kLongestRingMs / 1000);
}
