// The automatic cookie store of every fetchPage call whose `cookies` is absent: one jar for
// the process, under a lock of its own. No two threads ever share curl's cookie engine (curl
// does not support that): each request's handle gets a private copy of the jar, and what the
// responses of that request set or removed is merged back when it ends. AppState owns the
// program's jar; tests make their own.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace pel {

class CookieJar {
  public:
    // The cookies to give a request: curl's cookie-file lines (domain, subdomains flag, path,
    // secure flag, expiry, name, value, tab-separated), expired ones left out.
    std::vector<std::string> lines() const;

    // One request's changes. It was given `given` and its handle held `held` when it ended.
    // A cookie held but not given as it is (new, or set again) replaces the jar's cookie of
    // the same domain, path and name; a cookie given and no longer held (deleted or expired
    // by a response) is removed. Cookies the request did not change stay as the jar has them
    // now, even when another request changed them in the meantime.
    void merge(const std::vector<std::string>& given, const std::vector<std::string>& held);

  private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string> cookies_;  // by domain, path and name: the line
};

}  // namespace pel
