#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class RequestCancel;

// Fetches one file over HTTP GET into a new local file: a material of the
// service's pages, or a file of the update check.
//
// Use: construct with the URL, set the name (a download without one fails)
// and the local path, optionally the id, start tick, progress handler, size
// limit; then Download on a thread that may block. Afterwards the error text
// says why it failed (for logs; callers show their own messages).
//
// The request goes through the process's curl share, so the service's login
// cookies ride along. Only http and https are fetched; redirects are followed
// (at most kMaxRedirects, and again only to http or https). A connect that
// takes too long, or a reply during which no byte moves for the form client's
// stall time, fails (CHTTPFormClient::Timeouts: connectMs, stallSeconds).
//
// Success needs a status below 300 and the whole body: the Content-Length
// reached, the last chunk of a chunked reply, or a clean close of a reply that
// ends by closing. A short, cut or empty body fails. The local file is created
// exclusively when the first bytes arrive (an existing file is never touched)
// and is removed again on every failure and on cancel, so only a complete
// download leaves a file.
//
// Threads: Download runs on one thread; Cancel, IsCancelled, GetReceived and
// GetContentLength may be called from any other thread meanwhile. Setters and
// the other getters belong to the thread that owns the task while no
// Download runs.
class CHTTPDownloadTask
{
public:
    static constexpr long kMaxRedirects = 5;

    // Told after each chunk of at most 4096 body bytes was written: the bytes
    // written so far and the Content-Length (0 when the reply gave none). Runs
    // on the thread of Download, inside it.
    using ProgressHandler = std::function<void(int64_t received, int64_t contentLength)>;

    explicit CHTTPDownloadTask(std::string url);
    ~CHTTPDownloadTask();
    CHTTPDownloadTask(const CHTTPDownloadTask&) = delete;
    CHTTPDownloadTask& operator=(const CHTTPDownloadTask&) = delete;

    void SetURL(const std::string& url) { m_url = url; }
    // Display name, and the name the caller gives the finished file.
    void SetName(const std::string& name) { m_name = name; }
    // The file the body is written to; it must not exist yet.
    void SetLocalPath(const std::string& path) { m_localPath = path; }
    void SetId(int id) { m_id = id; }
    void SetStartTick(uint32_t tick) { m_startTick = tick; }
    void SetProgressHandler(ProgressHandler handler) { m_progress = std::move(handler); }
    // A body longer than maxBytes fails; 0 (the default) accepts any length.
    void SetMaxBytes(int64_t maxBytes) { m_maxBytes = maxBytes; }

    // Calls the download off, from any thread, before or during Download:
    // Download then fails at once and removes what it wrote. Final.
    void Cancel();
    bool IsCancelled() const;

    // Puts "http://" in front of a URL that starts with neither "http://" nor
    // "https://" (in any case) and splits it into server, object and port.
    // False with the error text set ("URL地址解析错误！", "URL地址中主机名丢失！").
    bool ParseURL();
    // True only when the whole body is in the local file. False with the
    // error text set: "URL地址解析错误！", "URL地址中主机名丢失！", "未提供合法的文件名！",
    // "文件在下载时出现错误！" for a status of 300 or more, or the network's or
    // the file's own text (at most 1024 bytes).
    bool Download();

    const std::string& GetErrorText() const { return m_errorText; }
    const std::string& GetName() const { return m_name; }
    const std::string& GetLocalPath() const { return m_localPath; }
    const std::string& GetURL() const { return m_url; }
    int GetId() const { return m_id; }
    uint32_t GetStartTick() const { return m_startTick; }
    // The reply's Content-Length; 0 until a reply head gave one.
    int64_t GetContentLength() const { return m_contentLength; }
    // Body bytes written to the local file so far.
    int64_t GetReceived() const { return m_received; }
    // The final reply's status; 0 when none came.
    long GetStatus() const { return m_status; }
    const std::string& GetServer() const { return m_server; }
    const std::string& GetObject() const { return m_object; }
    uint16_t GetPort() const { return m_port; }
    bool IsHttps() const { return m_https; }

private:
    std::string m_errorText;
    std::string m_name;
    std::string m_localPath;
    std::string m_url;
    int m_id = -1;
    std::atomic<int64_t> m_contentLength{0};
    std::atomic<int64_t> m_received{0};
    uint32_t m_startTick = 0;
    bool m_https = false;
    std::string m_server;
    std::string m_object;
    uint16_t m_port = 0;
    long m_status = 0;
    int64_t m_maxBytes = 0;
    ProgressHandler m_progress;
    std::shared_ptr<RequestCancel> m_cancel;
};
