// One request's easy handle: taken from a HandlePool (reset to the defaults) or made fresh,
// and handed back when the request went well. Internal to the HTTP layer.
#pragma once

#include <curl/curl.h>

#include "net/curl_handles.h"
#include "net/handle_pool.h"

namespace pel::net {

class PooledHandle {
  public:
    // `pool` may be null: the handle then lives for this request only. A request that must
    // not see cookies asks for `cookieFree`: a handle whose cookie engine was never switched
    // on (curl_easy_reset keeps the engine, and with it a Set-Cookie would be stored and sent
    // on a redirect).
    PooledHandle(HandlePool* pool, bool cookieFree);
    // Puts the handle back when keep() was called, and closes it otherwise.
    ~PooledHandle();
    PooledHandle(const PooledHandle&) = delete;
    PooledHandle& operator=(const PooledHandle&) = delete;

    CURL* get() const { return handle_.get(); }
    explicit operator bool() const { return handle_ != nullptr; }

    // The request switched the cookie engine on.
    void noteCookieEngine() { cookieEngine_ = true; }
    // The transfer ended cleanly: the handle and its connection may serve another request.
    void keep() { keep_ = true; }

  private:
    HandlePool* pool_;
    EasyHandle handle_;
    bool cookieEngine_ = false;
    bool keep_ = false;
};

}  // namespace pel::net
