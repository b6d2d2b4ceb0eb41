// The update check of the main dialog: its worker, the question it asks on
// the GUI thread and the download it fetches with.
#include "simple/KelvoDlg.h"

#include "audio/DataFolders.h"
#include "platform/IQuestionBox.h"
#include "publish/ServiceProtocol.h"
#include "simple/DeclareDialog.h"
#include "simple/UpdateCheck.h"

#include "publish/CurlShare.h"

#include <QFile>
#include <QMetaObject>
#include <QProcess>

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Body
{
    int fd = -1;
    int64_t written = 0;
    int64_t maxBytes = 0;
    const std::atomic<bool>* cancelled = nullptr;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
    auto* body = static_cast<Body*>(user);
    const size_t bytes = size * count;
    if (body->maxBytes > 0 && body->written + int64_t(bytes) > body->maxBytes)
        return 0;
    for (size_t done = 0; done < bytes;) {
        const ssize_t n = ::write(body->fd, data + done, bytes - done);
        if (n <= 0)
            return 0;
        done += size_t(n);
    }
    body->written += int64_t(bytes);
    return bytes;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Body*>(user)->cancelled->load() ? 1 : 0;
}

// A GET of url into the new file localPath over the shared session: http and
// https only, redirects followed within them, ended by a stall or a cancel.
// True only for a complete, non-empty body with a success status.
bool FetchUpdate(const QString& url, const QString& localPath, int64_t maxBytes,
                 const std::atomic<bool>& cancelled)
{
    CURL* handle = static_cast<CURL*>(NewSharedCurlHandle());
    if (!handle)
        return false;
    Body body;
    body.maxBytes = maxBytes;
    body.cancelled = &cancelled;
    body.fd = ::open(QFile::encodeName(localPath).constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (body.fd < 0) {
        curl_easy_cleanup(handle);
        return false;
    }
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, 15000L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &body);
    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    const bool closed = ::close(body.fd) == 0;
    const bool ok = result == CURLE_OK && status >= 200 && status <= 299 && body.written > 0 &&
                    closed && !cancelled;
    if (!ok)
        QFile::remove(localPath);
    return ok;
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
    const QString url =
        QString::fromStdString("http://" + ServiceHost() + "/update/update.xml");
    CUpdateCheck::Hooks hooks;
    hooks.fetch = FetchUpdate;
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
