// Downloads of material from the service's pages: the link becomes a row of
// the download list and a worker; a complete body becomes a ".kox" file of
// TempFiles and a row of the materials list.
#include "simple/KelvoDlg.h"

#include "audio/DataFolders.h"
#include "platform/FileReplace.h"
#include "platform/IMessageSink.h"
#include "publish/BrowserDlg.h"
#include "publish/DownloadLink.h"
#include "publish/HTTPDownloadTask.h"
#include "publish/RingHtmlView.h"
#include "simple/DownloadPageObject.h"
#include "simple/ListDownloadCtrl.h"
#include "simple/ListResourceCtrl.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QTreeWidget>

#include <chrono>

namespace {

// Progress notices are coalesced to this rate; the row texts keep up.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr int kMaxTargetTries = 10000;

const QString kNoFileName = QStringLiteral("该下载链接没有提供合法的文件名，无法下载。");

// Moves the finished body into folder as "name.kox", or "name(n).kox" when
// that exists; a file that appeared meanwhile is never replaced. Empty on
// failure, with the body left where it was.
QString PlaceDownload(const QString& body, const QString& folder, const QString& name)
{
    for (int n = 0; n < kMaxTargetTries; ++n) {
        const QString target = n == 0 ? folder + name + QStringLiteral(".kox")
                                      : folder + name + QStringLiteral("(%1).kox").arg(n);
        switch (FileReplace::RenameNew(body, target)) {
        case FileReplace::NewName::Placed:
            return target;
        case FileReplace::NewName::Taken:
            continue;
        case FileReplace::NewName::Failed:
            return QString();
        }
    }
    return QString();
}

} // namespace

void CKelvoDlg::WireDownloads()
{
    auto* object = new CDownloadPageObject(
        [browser = m_browser] {
            const CRingHtmlView* view = browser->View();
            return view ? view->page()->url() : QUrl();
        },
        [this](const QString& link) { OnDownloadLink(link); }, this);
    m_browser->RegisterPageObject(QString::fromLatin1(CDownloadPageObject::kChannelName), object);
    m_browser->AddPageScript(CDownloadPageObject::PageScript());
}

void CKelvoDlg::OnDownloadLink(const QString& link)
{
    if (m_closed)
        return;
    const QString folder = GetTempFilesDir(m_messages);
    if (folder.isEmpty())
        return;
    const QString prefix = QString::fromLatin1(DownloadLink::kPrefix);
    const DownloadLink parsed =
        DownloadLink::Parse(link.startsWith(prefix) ? link : prefix + link);
    // A refused link still makes its row: its task fails on the empty URL or
    // name, and the failure is told like any other.
    // A refused link is still named as the grammar would name it.
    const QString name =
        parsed.valid ? parsed.name : DownloadLink::PlainName(link.section(QLatin1Char('='), -1));
    // A name that cleaned to nothing names no file and would show as 『』.
    if (name.isEmpty()) {
        TellDownload(kNoFileName);
        return;
    }
    auto task = std::make_shared<CHTTPDownloadTask>(parsed.valid ? parsed.url : std::string());
    task->SetName(name.toStdString());
    const int id = m_downloadId++;
    task->SetId(id);
    // Hidden, beside the targets: the finished body is renamed, not copied.
    task->SetLocalPath(QFile::encodeName(folder + QStringLiteral(".~download-%1-%2.part")
                                                      .arg(QCoreApplication::applicationPid())
                                                      .arg(id))
                           .toStdString());
    task->SetMaxBytes(kMaxMaterialBytes);
    task->SetStartTick(m_downloadTicks());
    auto last = std::make_shared<std::chrono::steady_clock::time_point>();
    task->SetProgressHandler([this, id, last](int64_t, int64_t) {
        const auto now = std::chrono::steady_clock::now();
        if (now - *last < kProgressInterval)
            return;
        *last = now;
        QMetaObject::invokeMethod(
            this, [this, id] { OnDownloadProgress(id); }, Qt::QueuedConnection);
    });
    m_downloads->AddTask(task);
    TellDownload(QStringLiteral("『%1』已经添加到下载队列中！").arg(name));
    // Started after the notice was posted, so its result is told after it.
    m_downloadThreads[id] = std::thread(&CKelvoDlg::DownloadThreadProc, this, task, folder);
}

void CKelvoDlg::DownloadThreadProc(std::shared_ptr<CHTTPDownloadTask> task, QString folder)
{
    const int id = task->GetId();
    const QString body = QFile::decodeName(QByteArray::fromStdString(task->GetLocalPath()));
    QString target;
    if (task->Download() && !task->IsCancelled())
        target = PlaceDownload(body, folder, QString::fromStdString(task->GetName()));
    // Download removes its own file on failure; this is for a failed move.
    if (target.isEmpty())
        QFile::remove(body);
    QMetaObject::invokeMethod(
        this,
        [this, id, target] {
            if (target.isEmpty())
                OnDownloadFailed(id);
            else
                OnDownloadFinished(id, target);
        },
        Qt::QueuedConnection);
}

void CKelvoDlg::JoinDownload(int id)
{
    const auto worker = m_downloadThreads.find(id);
    if (worker == m_downloadThreads.end())
        return;
    // It posted its result as its last step.
    worker->second.join();
    m_downloadThreads.erase(worker);
}

void CKelvoDlg::OnDownloadProgress(int id)
{
    m_downloads->UpdateProgress(id);
}

void CKelvoDlg::OnDownloadFinished(int id, const QString& target)
{
    JoinDownload(id);
    if (m_downloads->FindRow(id) < 0) {
        // Cancelled while the file was being put in place: no done follows.
        QFile::remove(target);
        return;
    }
    m_downloads->RemoveTask(id);
    m_materials->AddItem(GetPathTitle(target));
}

void CKelvoDlg::OnDownloadFailed(int id)
{
    JoinDownload(id);
    for (int row = m_downloads->FindRow(id); row >= 0; row = m_downloads->FindRow(id)) {
        const QString name = QString::fromStdString(m_downloads->TaskAt(row)->GetName());
        m_downloads->RemoveTask(id);
        if (!m_closed)
            m_downloadMessages.ShowMessage(
                QStringLiteral("在下载文件『%1』时出现错误。").arg(name));
    }
}

void CKelvoDlg::TellDownload(const QString& text)
{
    // Never a modal box inside the caller (a navigation or page callback).
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (!m_closed)
                m_downloadMessages.ShowMessage(text);
        },
        Qt::QueuedConnection);
}

void CKelvoDlg::CloseDownloads()
{
    m_downloadMessages.Clear();
    for (int row = 0; row < m_downloads->List()->topLevelItemCount(); ++row)
        if (const auto task = m_downloads->TaskAt(row))
            task->Cancel();
    // The workers only post; nothing they wait for runs on this thread.
    for (auto& worker : m_downloadThreads)
        worker.second.join();
    m_downloadThreads.clear();
}
