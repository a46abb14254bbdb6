#include "net/transfer.h"

#include "net/url_parts.h"

namespace pel::net {

namespace {

bool proxiedHttp(const TransferPlan& plan) {
    return !plan.proxy.empty() && !plan.secure;
}

bool manualFollowing(const TransferPlan& plan) {
    return plan.follow && (proxiedHttp(plan) || !plan.rawPath.empty());
}

}  // namespace

bool applyTransferPlan(CURL* handle, const TransferPlan& plan) {
    bool ok = true;
    const bool curlFollows = plan.follow && !manualFollowing(plan);
    ok &= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, curlFollows ? 1L : 0L) == CURLE_OK;
    ok &= curl_easy_setopt(handle, CURLOPT_MAXREDIRS, plan.maxRedirects) == CURLE_OK;
    // An empty proxy name also keeps curl from taking one from the environment.
    ok &= curl_easy_setopt(handle, CURLOPT_PROXY, plan.proxy.c_str()) == CURLE_OK;
    ok &= curl_easy_setopt(handle, CURLOPT_NOPROXY, "") == CURLE_OK;
    if (!plan.rawPath.empty()) {
        const Text& target = proxiedHttp(plan) ? plan.rawAbsolute : plan.rawPath;
        ok &= curl_easy_setopt(handle, CURLOPT_REQUEST_TARGET, target.c_str()) == CURLE_OK;
    }
    return ok;
}

CURLcode performTransfer(CURL* handle, const TransferPlan& plan, BodySink& sink) {
    if (!manualFollowing(plan)) {
        return curl_easy_perform(handle);
    }
    bool post = plan.post;
    for (long hops = 0;; ++hops) {
        const CURLcode rc = curl_easy_perform(handle);
        if (rc != CURLE_OK) {
            return rc;
        }
        long code = 0;
        char* next = nullptr;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code);
        curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &next);
        if (next == nullptr || code < 300 || code >= 400 || code == 304) {
            return rc;
        }
        if (hops >= plan.maxRedirects) {
            return CURLE_TOO_MANY_REDIRECTS;
        }
        const Text target(next);
        const WebScheme scheme = webScheme(target);
        if (scheme == WebScheme::Http) {
            curl_easy_setopt(handle, CURLOPT_PROXY, plan.proxy.c_str());
        } else if (scheme == WebScheme::Https) {
            curl_easy_setopt(handle, CURLOPT_PROXY, "");
        } else {
            return CURLE_UNSUPPORTED_PROTOCOL;
        }
        if (post && (code == 301 || code == 302 || code == 303)) {
            curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
            post = false;
        }
        curl_easy_setopt(handle, CURLOPT_URL, target.c_str());
        curl_easy_setopt(handle, CURLOPT_REQUEST_TARGET, nullptr);
        sink.body.clear();
    }
}

}  // namespace pel::net
