#include "core/app_state.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>

#include "core/detached_thread.h"
#include "net/fetch_page.h"
#include "net/url_parts.h"
#include "text/encoding.h"

namespace pel {

ThreadRegistry::ThreadRegistry(ThreadStarter starter) : starter_(std::move(starter)) {}

bool ThreadRegistry::start(std::function<void()> body) {
    if (!body || shuttingDown) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        ++live_;
    }
    std::function<void()> counted = [this, body = std::move(body)] {
        try {
            body();
        } catch (...) {
            // A thread ends by returning; whatever went wrong inside stays here.
        }
        finished();
    };
    const bool started =
        starter_ ? starter_(std::move(counted)) : startDetachedThread(std::move(counted));
    if (!started) {
        finished();  // the body does not run, and nothing waits for it
    }
    return started;
}

void ThreadRegistry::finished() {
    // Notify under the lock: a waiter cannot return (and the state cannot go away) before
    // this thread has let go of the mutex, and it touches nothing after that.
    std::lock_guard lock(mutex_);
    --live_;
    done_.notify_all();
}

bool ThreadRegistry::waitForThreads(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [this] { return live_ == 0; });
}

void ThreadRegistry::waitForAllThreads() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return live_ == 0; });
}

int ThreadRegistry::liveThreads() const {
    std::lock_guard lock(mutex_);
    return live_;
}

namespace {

std::size_t idleHandleCount(const AppSettings& settings) {
    if (settings.idleHandles > 0) {
        return static_cast<std::size_t>(settings.idleHandles);
    }
    return static_cast<std::size_t>(std::max(1, settings.maxChapterWorkers) + kSiteCount);
}

}  // namespace

AppState::AppState(Window& window, Shell& shell, AppSettings settings)
    : window(window),
      shell(shell),
      settings(std::move(settings)),
      handlePool(idleHandleCount(this->settings)),
      threads(this->settings.threadStarter) {}

AppState::~AppState() {
    threads.shuttingDown = true;
    threads.waitForAllThreads();
}

bool AppState::startThread(ThreadEntry entry, int param) {
    if (entry == nullptr) {
        return false;
    }
    return threads.start([this, entry, param] { entry(*this, param); });
}

Bytes AppState::fetch(const Text& url, int method) {
    return fetch(url, method, settings.net);
}

Bytes AppState::fetch(const Text& url, int method, const NetLimits& limits) {
    FetchOptions options;
    options.method = method;
    options.cookieJar = &cookieJar;
    options.handlePool = &handlePool;
    options.limits = limits;
    return fetchPage(url, options);
}

std::filesystem::path executableDirectory() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.empty()) {
        return std::filesystem::current_path(error);
    }
    return exe.parent_path();
}

namespace {

// Control bytes have no place in an address and could split what the shell sees.
bool hasControlBytes(std::string_view text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

}  // namespace

void openInBrowser(AppState& app, const Text& url) {
    // Addresses come from downloaded pages: only web addresses may reach the shell, never a
    // file, a script or a program.
    if (!isWebAddress(url)) {
        return;
    }
    if (hasControlBytes(url)) {
        return;
    }
    app.shell.openUrl(gbkToUtf8(url));
}

}  // namespace pel
