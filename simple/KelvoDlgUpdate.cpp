// The update check of the main dialog: its worker, the question it asks on
// the GUI thread and how its downloads are called off.
#include "simple/KelvoDlg.h"

#include "audio/DataFolders.h"
#include "platform/IQuestionBox.h"
#include "publish/HTTPDownloadTask.h"
#include "publish/ServiceProtocol.h"
#include "simple/DeclareDialog.h"
#include "simple/UpdateCheck.h"

#include <QFile>
#include <QMetaObject>
#include <QProcess>

#include <memory>
#include <mutex>

namespace {

// The download the update check runs at the moment, so that closing Kelvo
// can call it off at once instead of waiting for a slow server.
struct UpdateFetches
{
    std::mutex lock;
    CHTTPDownloadTask* running = nullptr;
    bool stopped = false;

    void Stop()
    {
        std::lock_guard<std::mutex> guard(lock);
        stopped = true;
        if (running)
            running->Cancel();
    }
};

// A GET of url into the new file localPath by the shared download task: true
// only for a complete body with a success status, at most maxBytes long.
bool FetchUpdate(UpdateFetches& fetches, const QString& url, const QString& name,
                 const QString& localPath, int64_t maxBytes, const std::atomic<bool>& cancelled)
{
    CHTTPDownloadTask task(url.toStdString());
    task.SetName(name.toStdString());
    task.SetLocalPath(QFile::encodeName(localPath).toStdString());
    task.SetMaxBytes(maxBytes);
    {
        std::lock_guard<std::mutex> guard(fetches.lock);
        if (fetches.stopped || cancelled)
            return false;
        fetches.running = &task;
    }
    const bool ok = task.Download();
    std::lock_guard<std::mutex> guard(fetches.lock);
    fetches.running = nullptr;
    return ok && !cancelled;
}

bool StartUpdater(const QString& program, const QString& workingFolder)
{
    // An argument list, never a shell; Kelvo goes on running beside it.
    return QProcess::startDetached(program, {}, workingFolder);
}

} // namespace

void CKelvoDlg::StartUpdateCheck()
{
    if (m_updateThread.joinable() || m_closed)
        return;
    const QString folder = GetUpdateDir(m_messages);
    if (folder.isEmpty())
        return;
    const QString url = QString::fromStdString("http://" + ServiceHost() + "/update/update.xml");
    CUpdateCheck::Hooks hooks;
    auto fetches = std::make_shared<UpdateFetches>();
    hooks.fetch = [fetches](const QString& url, const QString& name, const QString& path,
                            int64_t maxBytes, const std::atomic<bool>& cancelled) {
        return FetchUpdate(*fetches, url, name, path, maxBytes, cancelled);
    };
    hooks.stop = [fetches] { fetches->Stop(); };
    hooks.ask = [this](const QString& declare) {
        bool agreed = false;
        // The worker waits for the answer; the close routine keeps this
        // thread's events going while it waits for the worker.
        QMetaObject::invokeMethod(
            this, [&] { agreed = AskUpdate(declare); }, Qt::BlockingQueuedConnection);
        return agreed;
    };
    hooks.start = StartUpdater;
    m_updateCheck = std::make_unique<CUpdateCheck>(folder, url, std::move(hooks));
    m_updateThread = std::thread([this] {
        m_updateCheck->Run();
        m_updateDone = true;
    });
}

bool CKelvoDlg::AskUpdate(const QString& declare)
{
    if (m_closed || m_updateCheck->IsCancelled())
        return false;
    if (declare.isEmpty())
        return m_questions.Ask(QStringLiteral("应用程序升级已经准备完毕，是否要进行升级。"),
                               IQuestionBox::Buttons::YesNo);
    CDeclareDialog dialog(this);
    dialog.SetDeclareText(declare);
    const int result = m_runDeclare ? m_runDeclare(dialog) : dialog.exec();
    return result == QDialog::Accepted;
}
