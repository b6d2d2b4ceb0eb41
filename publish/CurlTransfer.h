#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

class RequestCancel;

// What every request of the ring client shares, whatever it sends or fetches:
// the split of its URL, the curl options that keep it to http and https and
// bound its connect, and the wait that notices a stall or a cancel at once.
namespace CurlTransfer {

using Clock = std::chrono::steady_clock;

struct UrlParts
{
    bool https = false;
    std::string server;
    std::string object; // path and query
    uint16_t port = 0;
};

// Puts "http://" in front of a URL that starts with neither "http://" nor
// "https://" (in any case) and splits it. Null on success; otherwise the
// failure's text ("URL地址解析错误！", "URL地址中主机名丢失！"). Any thread.
const char* SplitURL(std::string& url, UrlParts& parts);

// http and https only, no signals, the connect bound of connectMs.
void SetCommonOptions(CURL* easy, long connectMs);

struct End
{
    enum class Abort { None, Cancelled, Stalled };
    CURLcode result = CURLE_OK;
    Abort abort = Abort::None;
};

// Runs the transfer of easy to its end on the calling thread, in short waits,
// so a stall (no byte moved for stallSeconds, counted from lastMoved, which
// the caller's callbacks keep) ends it and a cancel wakes it at once. The
// callbacks run on this thread.
End Run(CURL* easy, Clock::time_point& lastMoved, RequestCancel* cancel, long stallSeconds);

// Follows the heads of a reply line by line as curl hands them over: each
// head (a redirect's too) starts with its status line and ends with an empty
// line, and an interim (1xx) head is not the reply.
struct HeadReader
{
    bool interim = false;   // the head being read is a 1xx one
    bool headEnded = false; // the final reply's head came whole
    // True when line ended the final reply's head.
    bool Feed(std::string_view line);
};

// Text of at most 1024 bytes, for error texts.
std::string Truncated(std::string text);

} // namespace CurlTransfer
