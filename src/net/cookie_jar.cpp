#include "net/cookie_jar.h"

#include <curl/curl.h>

#include <array>
#include <mutex>

namespace pel {

struct CookieJar::Impl {
    CURLSH* share = nullptr;
    // One lock per kind of shared data; curl asks for them by curl_lock_data.
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;

    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<Impl*>(self)->locks.at(static_cast<std::size_t>(data)).lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<Impl*>(self)->locks.at(static_cast<std::size_t>(data)).unlock();
    }
};

CookieJar::CookieJar() : impl_(std::make_unique<Impl>()) {
    impl_->share = curl_share_init();
    if (impl_->share == nullptr) {
        return;  // no store: requests then go out without automatic cookies
    }
    curl_share_setopt(impl_->share, CURLSHOPT_LOCKFUNC, &Impl::lock);
    curl_share_setopt(impl_->share, CURLSHOPT_UNLOCKFUNC, &Impl::unlock);
    curl_share_setopt(impl_->share, CURLSHOPT_USERDATA, impl_.get());
    if (curl_share_setopt(impl_->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
        curl_share_cleanup(impl_->share);
        impl_->share = nullptr;
    }
}

CookieJar::~CookieJar() {
    if (impl_->share != nullptr) {
        curl_share_cleanup(impl_->share);
    }
}

void* CookieJar::shareHandle() const {
    return impl_->share;
}

}  // namespace pel
