#include "core/app_state.h"

#include <cctype>
#include <exception>
#include <string_view>
#include <utility>

#include "core/detached_thread.h"
#include "net/fetch_page.h"
#include "text/encoding.h"

namespace pel {

AppState::AppState(Window& window, Shell& shell, AppSettings settings)
    : window(window), shell(shell), settings(std::move(settings)) {}

AppState::~AppState() {
    shuttingDown = true;
    std::unique_lock lock(threadsMutex_);
    threadsDone_.wait(lock, [this] { return liveThreads_ == 0; });
}

void AppState::startThread(ThreadEntry entry, int param) {
    if (entry == nullptr || shuttingDown) {
        return;
    }
    {
        std::lock_guard lock(threadsMutex_);
        ++liveThreads_;
    }
    const bool started = startDetachedThread([this, entry, param] {
        try {
            entry(*this, param);
        } catch (...) {
            // A thread ends by returning; whatever went wrong inside stays here.
        }
        // Notify under the lock: a waiter cannot return (and the state cannot go away)
        // before this thread has let go of the mutex, and it touches nothing after that.
        std::lock_guard lock(threadsMutex_);
        --liveThreads_;
        threadsDone_.notify_all();
    });
    if (!started) {
        // No thread could be made: the entry does not run, and nothing waits for it.
        std::lock_guard lock(threadsMutex_);
        --liveThreads_;
        threadsDone_.notify_all();
    }
}

bool AppState::waitForThreads(std::chrono::milliseconds timeout) {
    std::unique_lock lock(threadsMutex_);
    return threadsDone_.wait_for(lock, timeout, [this] { return liveThreads_ == 0; });
}

int AppState::liveThreads() const {
    std::lock_guard lock(threadsMutex_);
    return liveThreads_;
}

Bytes AppState::fetch(const Text& url, int method) {
    FetchOptions options;
    options.method = method;
    options.cookieJar = &cookieJar;
    options.limits = settings.net;
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

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

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
    if (!startsWithIgnoringCase(url, "http://") && !startsWithIgnoringCase(url, "https://")) {
        return;
    }
    if (hasControlBytes(url)) {
        return;
    }
    app.shell.openUrl(gbkToUtf8(url));
}

}  // namespace pel
