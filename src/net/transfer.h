// Running one prepared request: redirects and the proxy, shared by both clients. Internal to
// the HTTP layer.
#pragma once

#include <curl/curl.h>

#include "net/curl_handles.h"
#include "text/text.h"

namespace pel::net {

struct TransferPlan {
    bool follow = true;  // follow redirects
    long maxRedirects = 10;
    Text proxy;               // host:port, empty for a direct connection
    bool secure = false;      // the first URL is https
    bool post = false;        // a POST: 301, 302 and 303 continue as GET
    Text rawPath;             // request target of the first hop, see requestTarget()
    Text rawAbsolute;         // the same for a request through a proxy
    long totalTimeoutMs = 0;  // bound on the whole request, every hop together; 0: none
};

struct TransferOutcome {
    CURLcode rc = CURLE_OK;
    bool outOfTime = false;  // stopped by totalTimeoutMs
};

// Sets the redirect, proxy and request-target options. A proxy serves every scheme of an
// https request, but only the http hops of an http request; redirects of the latter, and of a
// request with its own target (valid for the first hop only), are then followed here, one
// hop at a time.
bool applyTransferPlan(CURL* handle, const TransferPlan& plan);

// curl_easy_perform with the hop-by-hop following that applyTransferPlan chose, each hop
// given what is left of the time bound. The sink ends holding the body of the last response.
TransferOutcome performTransfer(CURL* handle, const TransferPlan& plan, BodySink& sink);

}  // namespace pel::net
