#pragma once

#include "publish/HTTPFormFieldFile.h"
#include "publish/HTTPFormFieldText.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class HTTPRequestBody;
class RequestCancel;

// Sends one request to the ring service as an HTTP POST and keeps its reply:
// an url-encoded form (PostForm), the fields in the query string with an
// empty body (PostQuery), or a multipart/form-data upload of text and file
// parts (PostMultipart). One object serves one request: set the URL, add
// fields, send, then read the response and its charset.
//
// Bytes are passed on unchanged; the client converts no text. Every request
// goes through the process's one curl share, so cookies the service sets
// (its login session) ride on every later request of the process, from any
// thread. Redirects are not followed: a 3xx reply is a failure.
//
// A reply counts only when its head ended (the blank line came) and its whole
// body, at most kMaxResponseBytes, arrived; anything less fails the send.
//
// Threads: an object is used by one thread at a time; the sends block that
// thread until the reply is read or the request failed (or was called off
// through its RequestCancel, from any thread). Different objects may send at
// the same time on different threads.
class CHTTPFormClient
{
public:
    // Told after each chunk of at most 4096 file bytes has gone to the
    // connection: bytes counted as sent x 100 / announced body length. Only
    // text parts and file data are counted, so it stays below 100. Runs on the
    // thread that called PostMultipart, inside the send: the request waits
    // until it returns.
    using ProgressHandler = std::function<void(unsigned percent)>;
    // Told once after a multipart request, whatever its outcome, once the URL
    // split succeeded. Same thread as the progress handler.
    using DoneHandler = std::function<void()>;

    // The service's replies are a few kilobytes; a longer one fails the send.
    static constexpr int kMaxResponseBytes = 1 << 20;

    // How long a dead or dawdling service is given before the request fails
    // with the normal failure result.
    struct Timeouts
    {
        // Connecting.
        long connectMs = 30000;
        // No byte moving either way, counted from the last byte moved.
        long stallSeconds = 60;
        // A whole PostForm or PostQuery: a trickling reply must not hold a
        // waiting dialog for ever.
        long formDeadlineMs = 30000;
        // A whole PostMultipart: uploadBaseMs plus the time the body takes at
        // uploadFloorBytesPerSecond, so a slow line still gets its ring
        // through while a reply that trickles in byte by byte ends.
        long uploadBaseMs = 60000;
        long uploadFloorBytesPerSecond = 2048;
    };
    // Process-wide; applies to requests started afterwards. Any thread.
    static void SetTimeouts(const Timeouts& timeouts);
    static Timeouts GetTimeouts();

    CHTTPFormClient() = default;
    explicit CHTTPFormClient(std::string url);

    void SetURL(const std::string& url) { m_url = url; }
    // When non-empty, every request carries "User-Agent: " + agent.
    void SetUserAgent(const std::string& agent) { m_userAgent = agent; }
    void SetProgressHandler(ProgressHandler handler) { m_progress = std::move(handler); }
    void SetDoneHandler(DoneHandler handler) { m_done = std::move(handler); }
    // Lets another thread call the send off; the send then fails at once.
    void SetCancel(std::shared_ptr<RequestCancel> cancel) { m_cancel = std::move(cancel); }

    // The last failure in the service client's words, or the network or file
    // error's own text (at most 1024 bytes). For logs; callers show their own
    // messages.
    std::string GetErrorText() const { return m_errorText; }
    // The reply body; after a failure, what had been read. The body of a
    // refused request is dropped, except after 401 or 403, where it is the
    // service's word on the login.
    std::string GetResponse() const { return m_response; }
    // "utf-8" until a PostForm or PostQuery that succeeded (or was refused
    // with 401 or 403) finds a charset parameter in the reply's Content-Type:
    // then its value, lower-cased.
    std::string GetResponseCharset() const { return m_responseCharset; }
    // The reply's HTTP status; 0 when no reply head came.
    long GetStatus() const { return m_status; }

    // The charset parameter of a Content-Type value (a token or a quoted
    // string, the name in any case), lower-cased; empty when it has none.
    static std::string ContentTypeCharset(std::string_view contentType);

    // Ignored when name is empty.
    void AddTextField(const std::string& name, const std::string& value);
    // Ignored when name or filePath is empty.
    void AddFileField(const std::string& name, const std::string& filePath);

    // Puts "http://" in front of a URL that starts with neither "http://" nor
    // "https://" (in any case) and splits it into server, object and port.
    // False with the error text set when it cannot be parsed or has no host.
    bool ParseURL();

    bool PostForm();
    bool PostQuery();
    // Text fields, then file fields, each file streamed in 4096-byte reads.
    // The body's length is announced before anything is sent; a file that
    // cannot be opened, or that changes length during the send, fails the
    // request (before anything is sent, in the first case).
    bool PostMultipart();

    // 30 '-' followed by 12 random lower-case hex digits.
    std::string MakeBoundary() const;

    const std::string& GetURL() const { return m_url; }
    const std::string& GetServer() const { return m_server; }
    const std::string& GetObject() const { return m_object; }
    uint16_t GetPort() const { return m_port; }

private:
    enum class ServiceType { None, Http, Https };

    // deadlineMs bounds the whole request.
    bool Perform(const std::vector<std::string>& headers, HTTPRequestBody& body, bool readCharset,
                 long deadlineMs, const char* statusError);

    std::string m_url;
    std::string m_errorText;
    std::string m_response;
    std::string m_userAgent;
    std::vector<CHTTPFormFieldFile> m_fileFields;
    std::vector<CHTTPFormFieldText> m_textFields;
    ServiceType m_serviceType = ServiceType::None;
    std::string m_server;
    std::string m_object;
    uint16_t m_port = 0;
    std::string m_responseCharset = "utf-8";
    long m_status = 0;
    ProgressHandler m_progress;
    DoneHandler m_done;
    std::shared_ptr<RequestCancel> m_cancel;
};
