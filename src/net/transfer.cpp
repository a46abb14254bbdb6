#include "net/transfer.h"

#include <chrono>

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
    ok &= curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, plan.totalTimeoutMs) == CURLE_OK;
    if (!plan.rawPath.empty()) {
        const Text& target = proxiedHttp(plan) ? plan.rawAbsolute : plan.rawPath;
        ok &= curl_easy_setopt(handle, CURLOPT_REQUEST_TARGET, target.c_str()) == CURLE_OK;
    }
    return ok;
}

TransferOutcome performTransfer(CURL* handle, const TransferPlan& plan, BodySink& sink) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(plan.totalTimeoutMs);
    // The stall limit gives the same code as the bound on the whole request; the bound it was
    // when curl gave up at our deadline. curl counts from its own start, later than ours, but
    // in whole milliseconds on its own clock: it can end a millisecond or two before the
    // deadline, hence the margin (a stall that ends within it is counted as out of time).
    constexpr std::chrono::milliseconds kMargin(25);
    const auto outcome = [&](CURLcode rc) {
        return TransferOutcome{rc, rc == CURLE_OPERATION_TIMEDOUT && plan.totalTimeoutMs > 0 &&
                                       Clock::now() + kMargin >= deadline};
    };
    if (!manualFollowing(plan)) {
        return outcome(curl_easy_perform(handle));
    }
    bool post = plan.post;
    for (long hops = 0;; ++hops) {
        const CURLcode rc = curl_easy_perform(handle);
        if (rc != CURLE_OK) {
            return outcome(rc);
        }
        long code = 0;
        char* next = nullptr;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code);
        curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &next);
        if (next == nullptr || code < 300 || code >= 400 || code == 304) {
            return outcome(rc);
        }
        if (hops >= plan.maxRedirects) {
            return outcome(CURLE_TOO_MANY_REDIRECTS);
        }
        if (plan.totalTimeoutMs > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return {CURLE_OPERATION_TIMEDOUT, true};
            }
            curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
        }
        const Text target(next);
        const WebScheme scheme = webScheme(target);
        if (scheme == WebScheme::Http) {
            curl_easy_setopt(handle, CURLOPT_PROXY, plan.proxy.c_str());
        } else if (scheme == WebScheme::Https) {
            curl_easy_setopt(handle, CURLOPT_PROXY, "");
        } else {
            return outcome(CURLE_UNSUPPORTED_PROTOCOL);
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
