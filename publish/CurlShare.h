#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The process's one curl share: every request made through it sees the same
// cookie jar (so the service knows the logged-in user on later requests, from
// any thread) and the same cache of resolved host names. Guarded by the
// share's lock callbacks, so requests may run on several threads at once.
//
// Connections are not kept in the share: libcurl does not support a shared
// connection cache used by concurrent threads, and an upload runs on a worker
// while the GUI thread may send a request. Each request opens its own.

// One cookie of the share's jar, as curl keeps it.
struct SharedCookie
{
    std::string domain;             // host name, without a leading '.'
    bool includeSubdomains = false; // false: a host-only cookie
    std::string path;
    bool secure = false;
    bool httpOnly = false;
    int64_t expires = 0; // seconds since 1970 UTC; 0 for a session cookie
    std::string name;
    std::string value;
};

// A new curl easy handle (CURL*) attached to the share, with its cookie
// engine on; the caller frees it with curl_easy_cleanup. Null when curl
// cannot make one. Any thread; the first call initialises curl.
void* NewSharedCurlHandle();

// Initialises curl once for the process, before any other curl call (also
// the URL parser's). Any thread.
void InitialiseCurl();

// The cookies in the share's jar now, the service's login session among them:
// for handing them to another HTTP stack of the process (the web view). Any
// thread.
std::vector<SharedCookie> SharedCookies();
