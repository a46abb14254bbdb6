#include "core/detached_thread.h"

#include <pthread.h>

#include <memory>
#include <utility>

namespace pel {

namespace {

class ThreadAttributes {
  public:
    ThreadAttributes() { ok_ = pthread_attr_init(&attr_) == 0; }
    ~ThreadAttributes() {
        if (ok_)
            pthread_attr_destroy(&attr_);
    }
    ThreadAttributes(const ThreadAttributes&) = delete;
    ThreadAttributes& operator=(const ThreadAttributes&) = delete;

    bool ok() const { return ok_; }
    pthread_attr_t* get() { return &attr_; }

  private:
    pthread_attr_t attr_{};
    bool ok_ = false;
};

void* runBody(void* raw) {
    // The thread owns its body from here on.
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(raw));
    (*body)();
    return nullptr;
}

}  // namespace

bool startDetachedThread(std::function<void()> body, std::size_t stackBytes) {
    ThreadAttributes attributes;
    if (!attributes.ok() ||
        pthread_attr_setdetachstate(attributes.get(), PTHREAD_CREATE_DETACHED) != 0) {
        return false;
    }
    // A size the system refuses leaves its default in place.
    pthread_attr_setstacksize(attributes.get(), stackBytes);
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    pthread_t thread;
    if (pthread_create(&thread, attributes.get(), &runBody, owned.get()) != 0) {
        return false;
    }
    owned.release();  // runBody has it now
    return true;
}

}  // namespace pel
