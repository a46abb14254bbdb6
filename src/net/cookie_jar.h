// The automatic cookie store shared by every fetchPage call whose `cookies` is absent: one
// curl share handle with cookie locking. AppState owns the program's jar; tests make their own.
#pragma once

#include <memory>

namespace pel {

class CookieJar {
  public:
    CookieJar();
    ~CookieJar();
    CookieJar(const CookieJar&) = delete;
    CookieJar& operator=(const CookieJar&) = delete;

    // The CURLSH* to attach to an easy handle (kept opaque so that callers need no curl header).
    void* shareHandle() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pel
