#include "publish/HTTPDownloadTask.h"

#include "publish/CurlShare.h"
#include "publish/CurlTransfer.h"
#include "publish/DownloadBodyWriter.h"
#include "publish/HTTPFormClient.h"
#include "publish/RequestCancel.h"

#include <curl/curl.h>

#include <algorithm>
#include <string_view>

namespace {

const char kNoName[] = "未提供合法的文件名！";
const char kStatusError[] = "文件在下载时出现错误！";

constexpr size_t kChunk = 4096;

struct EasyDeleter
{
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

// What the callbacks of one download share with the loop that waits for it.
struct Transfer
{
    CURL* easy = nullptr;
    CDownloadBodyWriter* writer = nullptr;
    std::atomic<int64_t>* received = nullptr;
    std::atomic<int64_t>* contentLength = nullptr;
    const CHTTPDownloadTask::ProgressHandler* progress = nullptr;
    CurlTransfer::HeadReader head;
    CurlTransfer::Clock::time_point lastMoved;
};

size_t OnHeader(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    transfer->lastMoved = CurlTransfer::Clock::now();
    if (transfer->head.Feed(line)) {
        curl_off_t length = -1;
        curl_easy_getinfo(transfer->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        *transfer->contentLength = length > 0 ? static_cast<int64_t>(length) : 0;
    }
    return size * count;
}

size_t OnWrite(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    transfer->lastMoved = CurlTransfer::Clock::now();
    long status = 0;
    curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
    // The page of a refused request is no material.
    if (status >= 300)
        return bytes;
    for (size_t at = 0; at < bytes; at += kChunk) {
        const size_t piece = std::min(kChunk, bytes - at);
        if (!transfer->writer->Write(data + at, piece))
            return 0; // curl ends the transfer with a write error
        *transfer->received += static_cast<int64_t>(piece);
        if (*transfer->progress)
            (*transfer->progress)(*transfer->received, *transfer->contentLength);
    }
    return bytes;
}

} // namespace

CHTTPDownloadTask::CHTTPDownloadTask(std::string url)
    : m_url(std::move(url)), m_cancel(std::make_shared<RequestCancel>())
{
}

CHTTPDownloadTask::~CHTTPDownloadTask() = default;

void CHTTPDownloadTask::Cancel()
{
    m_cancel->Cancel();
}

bool CHTTPDownloadTask::IsCancelled() const
{
    return m_cancel->IsCancelled();
}

bool CHTTPDownloadTask::ParseURL()
{
    CurlTransfer::UrlParts parts;
    const char* error = CurlTransfer::SplitURL(m_url, parts);
    m_https = parts.https;
    m_server = parts.server;
    m_object = parts.object;
    m_port = parts.port;
    if (error)
        m_errorText = error;
    return !error;
}

bool CHTTPDownloadTask::Download()
{
    m_errorText.clear();
    m_status = 0;
    m_received = 0;
    m_contentLength = 0;
    if (!ParseURL())
        return false;
    if (m_name.empty()) {
        m_errorText = kNoName;
        return false;
    }
    std::unique_ptr<CURL, EasyDeleter> easy(static_cast<CURL*>(NewSharedCurlHandle()));
    if (!easy) {
        m_errorText = curl_easy_strerror(CURLE_OUT_OF_MEMORY);
        return false;
    }

    CDownloadBodyWriter writer(m_localPath, m_maxBytes);
    Transfer transfer;
    transfer.easy = easy.get();
    transfer.writer = &writer;
    transfer.received = &m_received;
    transfer.contentLength = &m_contentLength;
    transfer.progress = &m_progress;

    const CHTTPFormClient::Timeouts timeouts = CHTTPFormClient::GetTimeouts();
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, m_url.c_str());
    CurlTransfer::SetCommonOptions(handle, timeouts.connectMs);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, static_cast<long>(kChunk));
    // Reload: no cache between us and the service may answer.
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    if (m_maxBytes > 0)
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_maxBytes));
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnWrite);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);

    const CurlTransfer::End end =
        CurlTransfer::Run(handle, transfer.lastMoved, m_cancel.get(), timeouts.stallSeconds);
    curl_slist_free_all(headers);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    m_status = transfer.head.headEnded ? status : 0;

    // Every failure below leaves no file: the writer removes what it made.
    if (end.abort == CurlTransfer::End::Abort::Cancelled) {
        m_errorText = "download cancelled";
        return false;
    }
    if (end.abort == CurlTransfer::End::Abort::Stalled) {
        m_errorText = "no data moved for " + std::to_string(timeouts.stallSeconds) + " s";
        return false;
    }
    if (end.result != CURLE_OK) {
        if (end.result == CURLE_WRITE_ERROR && !writer.GetErrorText().empty())
            m_errorText = CurlTransfer::Truncated(writer.GetErrorText());
        else
            m_errorText = CurlTransfer::Truncated(errorBuffer[0] ? errorBuffer
                                                                 : curl_easy_strerror(end.result));
        return false;
    }
    // The connection can drop inside the head and still end "without error".
    if (!transfer.head.headEnded) {
        m_errorText = "reply ended inside its headers";
        return false;
    }
    if (status >= 300) {
        m_errorText = kStatusError;
        return false;
    }
    const int64_t announced = m_contentLength;
    if (announced > 0 && writer.Written() != announced) {
        m_errorText = "body of " + std::to_string(writer.Written()) + " bytes, announced " +
                      std::to_string(announced);
        return false;
    }
    if (!writer.Finish()) {
        m_errorText = CurlTransfer::Truncated(writer.GetErrorText());
        return false;
    }
    return true;
}
