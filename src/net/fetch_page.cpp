#include "net/fetch_page.h"

#include <curl/curl.h>

#include "net/cookie_jar.h"
#include "net/curl_handles.h"
#include "net/handle_cookies.h"
#include "net/pooled_handle.h"
#include "net/request_headers.h"
#include "net/request_target.h"
#include "net/response_headers.h"
#include "net/transfer.h"
#include "net/url_parts.h"

namespace pel {

namespace {

// The header buffer of the response side: a block that does not fit (with its terminating
// zero) leaves the buffer as it was, 5000 blanks.
constexpr std::size_t kHeaderBufferBytes = 5000;

// The agent as a single line: curl sends it only when the block has no User-Agent line, and
// a line break in it must not start a header of its own.
Text singleLine(const Text& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

Bytes fetchPage(const Text& url, FetchOptions& options) {
    static const char* const kVerbs[] = {"GET", "POST", "HEAD"};
    const int method = (options.method < 0 || options.method > 2) ? 0 : options.method;
    const WebScheme scheme = webScheme(url);
    const bool secure = scheme == WebScheme::Https;
    const bool hasScheme = scheme != WebScheme::None;
    // Another scheme is refused, and no scheme at all means plain http.
    if (!isFetchableAddress(url)) {
        return {};  // nothing is sent: the caller's arguments stay as they were
    }
    const net::RequestTarget target = net::requestTarget(hasScheme ? url : "http://" + url);
    const Text agent = singleLine(net::fetchUserAgent(options.headers));

    // The automatic store is used only when the caller gave no cookies of its own; with
    // cookies given, nothing is sent from it and nothing is stored in it.
    CookieJar* const jar = options.cookies ? nullptr : options.cookieJar;
    net::PooledHandle handle(options.handlePool, jar == nullptr);
    if (!handle) {
        return {};
    }
    CURL* h = handle.get();

    Text block = options.headers;
    net::mergeFetchHeaders(block, url, options.cookies);
    Bytes body;
    if (method != 0) {
        body = options.postBytes.empty() ? options.postText : options.postBytes;
    }

    net::HeaderCollector collector(!options.noRedirect);
    net::BodySink sink;
    sink.maxBytes = options.limits.maxBodyBytes;
    net::HeaderList headerList;
    const net::TransferPlan plan{!options.noRedirect, options.limits.maxRedirects,
                                 options.proxy,       secure,
                                 method == 1,         target.rawPath,
                                 target.rawAbsolute,  options.limits.totalTimeoutMs};

    bool ready = net::applyCommonOptions(h) && net::fetchHeaderList(block, headerList) &&
                 net::applyMethod(h, kVerbs[method], body) && net::applyTransferPlan(h, plan);
    ready =
        ready && curl_easy_setopt(h, CURLOPT_URL, target.curlUrl.c_str()) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get()) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, options.limits.connectTimeoutMs) ==
            CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, options.limits.stallSeconds) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &net::HeaderCollector::onHeader) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_HEADERDATA, &collector) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &net::BodySink::write) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
    // A pooled handle keeps only its latest connection: at most one open socket per idle
    // handle, however many hosts its requests went to.
    ready = ready && curl_easy_setopt(h, CURLOPT_MAXCONNECTS, 1L) == CURLE_OK;
    if (ready && !options.limits.caFile.empty()) {
        ready = curl_easy_setopt(h, CURLOPT_CAINFO, options.limits.caFile.c_str()) == CURLE_OK;
    }
    // The handle's own cookie engine gets a private copy of the jar.
    std::vector<std::string> given;
    if (ready && jar != nullptr) {
        given = jar->lines();
        handle.noteCookieEngine();
        ready = net::giveCookies(h, given);
    }
    if (!ready) {
        return {};  // nothing was sent: the caller's arguments stay as they were
    }

    options.headers = block;
    if (method != 0) {
        options.postBytes = body;
    }

    // A failed transfer still hands back what arrived: the body so far, and the header block
    // when one came in. Only a clean one leaves its handle, and its connection, for reuse.
    const net::TransferOutcome outcome = net::performTransfer(h, plan, sink);
    if (jar != nullptr) {
        jar->merge(given, net::heldCookies(h));
    }
    if (outcome.rc == CURLE_OK) {
        handle.keep();
    }
    if (outcome.outOfTime) {
        // A page still arriving at the bound is no page: the caller retries it like any
        // other failed fetch.
        sink.body.clear();
    }

    const Text raw = collector.block();
    if (!raw.empty() && raw.size() < kHeaderBufferBytes) {
        options.responseHeaders = net::normaliseSetCookie(raw);
    } else {
        options.responseHeaders.assign(kHeaderBufferBytes, ' ');
    }
    options.cookiesOut.clear();
    if (net::appendCookieItems(options.responseHeaders, options.cookiesOut) > 0) {
        options.cookiesOut.resize(options.cookiesOut.size() - 2);
    }
    return std::move(sink.body);
}

}  // namespace pel
