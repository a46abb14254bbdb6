// Idle curl easy handles kept for the next request. A handle keeps its live connections and
// TLS sessions, so the next request to the same host skips the connect and the handshake.
// Each handle serves one request at a time: it is taken out for a call and put back at its
// end, or dropped when its transfer failed. Nothing is shared between handles. AppState owns
// the program's pool; tests make their own.
#pragma once

#include <cstddef>
#include <memory>

namespace pel {

namespace net {
class PooledHandle;
}

class HandlePool {
  public:
    // At most `maxIdle` handles wait for reuse; one more coming back is closed.
    explicit HandlePool(std::size_t maxIdle);
    ~HandlePool();
    HandlePool(const HandlePool&) = delete;
    HandlePool& operator=(const HandlePool&) = delete;

    std::size_t idleHandles() const;

  private:
    friend class net::PooledHandle;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pel
