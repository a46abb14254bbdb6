#include "net/fetch_page_winhttp.h"

#include <curl/curl.h>

#include <memory>

#include "net/curl_handles.h"
#include "net/net_limits.h"
#include "net/request_headers.h"
#include "net/request_target.h"
#include "net/response_headers.h"
#include "net/transfer.h"
#include "text/encoding.h"
#include "text/regex_object.h"

namespace pel {

namespace {

struct UrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// Whether the URL splits into an http or https scheme, a host and the rest.
bool urlParses(const Text& url, bool& secure) {
    std::unique_ptr<CURLU, UrlCleanup> parts(curl_url());
    if (!parts ||
        curl_url_set(parts.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
        return false;
    }
    char* scheme = nullptr;
    if (curl_url_get(parts.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) {
        return false;
    }
    const Text name(scheme);
    curl_free(scheme);
    char* host = nullptr;
    if (curl_url_get(parts.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return false;
    }
    const bool hasHost = host[0] != '\0';
    curl_free(host);
    secure = name == "https";
    return hasHost && (secure || name == "http");
}

bool setLong(CURL* h, CURLoption option, long value) {
    return curl_easy_setopt(h, option, value) == CURLE_OK;
}

bool setText(CURL* h, CURLoption option, const Text& value) {
    return curl_easy_setopt(h, option, value.c_str()) == CURLE_OK;
}

// A transfer failure before the final response's header block: either the request never
// went out (no connection, refused, not resolved, TLS failed, send failed), or it went out
// and no answer came (time-out, nothing, a broken answer, a redirect that led nowhere).
bool requestWentOut(CURL* h, CURLcode rc, const net::HeaderCollector& collector) {
    if (collector.sawResponse()) {
        return true;
    }
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(h, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    return pretransfer > 0 && rc != CURLE_SEND_ERROR;
}

Text charsetDecoded(const Bytes& body, const Text& page) {
    static const Text kPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
    RegexObject regex;
    if (!regex.execute(kPattern, leftBytes(page, 1024))) {
        return page;
    }
    const Text charset = regex.subMatch(1, 1);
    if (charset.empty() || charset == "gbk" || charset == "gb2312") {
        return page;
    }
    Text decoded;
    if (!decodeToGbk(body, charset, decoded)) {
        return page;
    }
    return textFromBytes(decoded);
}

}  // namespace

Text fetchPageWinHttp(WinHttpRequest& request) {
    static const Text k701 = gbk("701 解析URL地址失败!");
    static const Text k702 = gbk("702 创建WinHttp会话失败!");
    static const Text k705 = gbk("705 设置超时时间失败!");
    static const Text k707 = gbk("707 设置代理凭证失败!");
    static const Text k708 = gbk("708 禁止自动设置Cookies失败!");
    static const Text k709 = gbk("709 重定向设置失败!");
    static const Text k710 = gbk("710 设置协议头失败!");
    static const Text k711 = gbk("711 发送请求失败!");
    static const Text k712 = gbk("712 服务器未响应!");
    static const Text k713 = gbk("713 读取数据失败!");
    static const char* const kVerbs[] = {"GET", "POST", "HEAD", "PUT"};
    const NetLimits limits;

    const net::RequestTarget target = net::requestTarget(request.url);
    bool secure = false;
    if (!urlParses(target.curlUrl, secure)) {
        request.statusText = k701;
        return {};
    }
    net::EasyHandle handle(curl_easy_init());
    if (!handle) {
        request.statusText = k702;
        return {};
    }
    CURL* h = handle.get();
    const net::TransferPlan plan{
        !request.noRedirect, limits.maxRedirects, request.proxy,      secure,
        request.method == 1, target.rawPath,      target.rawAbsolute, request.totalTimeoutMs};
    net::HeaderCollector collector(plan.follow);
    net::BodySink sink;
    sink.maxBytes = limits.maxBodyBytes;
    const int method = (request.method < 0 || request.method > 3) ? 0 : request.method;
    const Bytes body = request.postText;

    if (!net::applyCommonOptions(h) || !setText(h, CURLOPT_URL, target.curlUrl) ||
        !net::applyMethod(h, kVerbs[method], body) || !net::applyTransferPlan(h, plan) ||
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &net::HeaderCollector::onHeader) != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_HEADERDATA, &collector) != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &net::BodySink::write) != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink) != CURLE_OK) {
        request.statusText = k702;
        return {};
    }

    // The same bound for each phase: resolve and connect together, then sending and
    // receiving as "no byte for this long".
    const long timeoutMs =
        request.timeoutSeconds > 0 ? static_cast<long>(request.timeoutSeconds) * 1000 : 30000;
    if (!setLong(h, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs) ||
        !setLong(h, CURLOPT_LOW_SPEED_LIMIT, 1L) ||
        !setLong(h, CURLOPT_LOW_SPEED_TIME, (timeoutMs + 999) / 1000)) {
        request.statusText = k705;
        return {};
    }

    if (!request.serverUser.empty() && !request.serverPassword.empty() &&
        !(setLong(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
          setText(h, CURLOPT_USERNAME, request.serverUser) &&
          setText(h, CURLOPT_PASSWORD, request.serverPassword))) {
        request.statusText = k707;
        return {};
    }
    if (!request.proxyUser.empty() && !request.proxyPassword.empty() &&
        !(setLong(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
          setText(h, CURLOPT_PROXYUSERNAME, request.proxyUser) &&
          setText(h, CURLOPT_PROXYPASSWORD, request.proxyPassword))) {
        request.statusText = k707;
        return {};
    }
    // Given cookies switch the handle's own cookie engine on for this request (cookies set
    // during redirects go back); without them the handle keeps no cookies at all.
    if (request.cookies && !setText(h, CURLOPT_COOKIEFILE, "")) {
        request.statusText = k708;
        return {};
    }
    if (request.noRedirect && !setLong(h, CURLOPT_FOLLOWLOCATION, 0L)) {
        request.statusText = k709;
        return {};
    }

    net::HeaderList headerList;
    const Text block = net::winHttpHeaderBlock(request.headers, request.cookies);
    if (!net::winHttpHeaderList(block, headerList) ||
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get()) != CURLE_OK) {
        request.statusText = k710;
        return {};
    }

    const CURLcode rc = net::performTransfer(h, plan, sink).rc;
    bool readFailed = false;
    if (rc != CURLE_OK || !collector.finalComplete()) {
        if (!collector.finalComplete()) {
            request.statusText = requestWentOut(h, rc, collector) ? k712 : k711;
            return {};
        }
        // The answer arrived and its body broke off: the bytes so far are kept, and the
        // failure stays visible in the status.
        readFailed = true;
        request.statusText = k713;
    }

    const Text raw = collector.block();
    if (!readFailed) {
        const Text firstLine = raw.substr(0, raw.find("\r\n"));
        request.statusText = substrAt(firstLine, 10, static_cast<int>(firstLine.size()));
    }
    request.responseHeaders = net::normaliseSetCookie(raw);
    if (net::appendCookieItems(request.responseHeaders, request.cookiesOut) > 0) {
        request.cookiesOut.resize(request.cookiesOut.size() - 2);
    }
    bool hasLocation = false;
    Text location = net::lastLocation(request.responseHeaders, hasLocation);
    if (hasLocation) {
        request.redirectLocation = std::move(location);
    }

    request.responseBody = std::move(sink.body);
    return charsetDecoded(request.responseBody, textFromBytes(request.responseBody));
}

}  // namespace pel
