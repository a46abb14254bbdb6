#include "net/handle_pool.h"

#include <mutex>
#include <vector>

#include "net/pooled_handle.h"

namespace pel {

struct HandlePool::Impl {
    struct Idle {
        net::EasyHandle handle;
        bool cookieEngine = false;
    };
    std::size_t maxIdle = 0;
    mutable std::mutex mutex;
    std::vector<Idle> idle;  // the most recently used last: its connection is the freshest
};

HandlePool::HandlePool(std::size_t maxIdle) : impl_(std::make_unique<Impl>()) {
    impl_->maxIdle = maxIdle;
}

HandlePool::~HandlePool() = default;

std::size_t HandlePool::idleHandles() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->idle.size();
}

namespace net {

PooledHandle::PooledHandle(HandlePool* pool, bool cookieFree) : pool_(pool) {
    if (pool_ != nullptr) {
        HandlePool::Impl& impl = *pool_->impl_;
        std::lock_guard lock(impl.mutex);
        for (auto it = impl.idle.rbegin(); it != impl.idle.rend(); ++it) {
            if (!cookieFree || !it->cookieEngine) {
                handle_ = std::move(it->handle);
                cookieEngine_ = it->cookieEngine;
                impl.idle.erase(std::next(it).base());
                break;
            }
        }
    }
    if (handle_) {
        // Every option back to its default; the connections, the TLS sessions and the DNS
        // cache stay, and so do the cookies, which the caller replaces.
        curl_easy_reset(handle_.get());
    } else {
        handle_.reset(curl_easy_init());
    }
}

PooledHandle::~PooledHandle() {
    if (pool_ == nullptr || !keep_ || !handle_) {
        return;  // closed with its connections
    }
    HandlePool::Impl& impl = *pool_->impl_;
    EasyHandle surplus;
    {
        std::lock_guard lock(impl.mutex);
        if (impl.idle.size() < impl.maxIdle) {
            impl.idle.push_back({std::move(handle_), cookieEngine_});
        } else {
            surplus = std::move(handle_);
        }
    }
    // A surplus handle is closed outside the lock: closing its connections takes a while.
}

}  // namespace net

}  // namespace pel
