// fetchPage: one HTTP request (GET, POST or HEAD) on libcurl, returning the raw body bytes,
// empty when nothing could be fetched. Re-entrant: every call has a handle of its own for its
// duration (from the pool when one is given, which lets calls to the same host reuse a
// connection); calls share nothing but the cookie jar.
#pragma once

#include <optional>

#include "net/net_limits.h"
#include "text/text.h"

namespace pel {

class CookieJar;
class HandlePool;

struct FetchOptions {
    int method = 0;               // 0 GET, 1 POST, 2 HEAD; anything else is GET
    Text postText;                // body when postBytes is empty
    std::optional<Text> cookies;  // absent: the jar's cookies; present (even empty): none
    Text cookiesOut;              // out: name=value items of the Set-Cookie lines, "; "-joined
    Text headers;                 // in: extra "\r\n"-separated lines; out: the block sent
    Text responseHeaders;         // out: raw header block of the final response
    bool noRedirect = false;
    Bytes postBytes;                   // in/out: body bytes, take precedence over postText
    Text proxy;                        // host:port, empty for a direct connection
    CookieJar* cookieJar = nullptr;    // the automatic store; nullptr means none
    HandlePool* handlePool = nullptr;  // handles to reuse; nullptr: a fresh one for this call
    NetLimits limits;
};

// A transfer stopped by limits.totalTimeoutMs is a failed fetch and gives an empty body; one
// that broke off (connection lost, stalled, cut at maxBodyBytes) gives the bytes so far.
Bytes fetchPage(const Text& url, FetchOptions& options);

}  // namespace pel
