// fetchPageWinHttp: the second HTTP client. Returns the page as GBK text, decoded from the
// charset that a meta tag in its first 1024 bytes declares. Every failure is a numbered text
// in statusText ("701 ..." to "713 ..."); each gives an empty result but 713, a body that
// broke off after the answer came, which keeps the bytes that arrived.
#pragma once

#include <optional>

#include "text/text.h"

namespace pel {

struct WinHttpRequest {
    Text url;                     // with scheme
    int method = 0;               // 0 GET, 1 POST, 2 HEAD, 3 PUT; anything else is GET
    Text postText;                // sent when not empty, with every method but HEAD
    std::optional<Text> cookies;  // absent: automatic cookie handling off
    Text cookiesOut;              // in/out: Set-Cookie items are appended
    Text headers;                 // extra "\r\n"-separated lines
    Text responseHeaders;         // out
    bool noRedirect = false;
    Text serverUser;
    Text serverPassword;
    Text proxy;
    Text proxyUser;
    Text proxyPassword;
    int timeoutSeconds = 0;  // per phase; 0 or less means 30
    // The whole request, redirects included (a trickling answer never trips the phases'
    // bounds); 0 means no bound. Past it the request fails as any transfer does: 712 before
    // the answer's header block is in, 713 with the bytes so far after it.
    long totalTimeoutMs = 120000;
    Text redirectLocation;  // out
    Text statusText;        // out: "200 OK" or the numbered failure text
    Bytes responseBody;     // out
};

Text fetchPageWinHttp(WinHttpRequest& request);

}  // namespace pel
