#include "support/app_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <system_error>
#include <thread>

#include "core/detached_thread.h"

namespace pel::testing {

std::filesystem::path makeTempDirectory(const std::string& prefix) {
    const char* root = std::getenv("PELNORIA_TEST_TMP");
    std::filesystem::path base = (root != nullptr && *root != '\0') ? root : "/tmp";
    std::error_code error;
    std::filesystem::create_directories(base, error);
    std::random_device random;
    for (;;) {
        std::filesystem::path dir =
            base / (prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(dir, error)) {
            return dir;
        }
        if (error) {
            ADD_FAILURE() << "cannot make a directory under " << base << ": " << error.message();
            return dir;
        }
    }
}

AppSettings testSettings(const std::filesystem::path& dir) {
    AppSettings settings = buildSettings();
    settings.programDirectory = dir;
    settings.pageDirectory = dir;
    settings.bookDirectory = dir;
    settings.bannerStepMs = 1;
    settings.chapterRetryPausesMs = {1, 2};
    settings.net.connectTimeoutMs = 2000;
    settings.net.stallSeconds = 5;
    settings.winHttpTimeoutSeconds = 5;
    return settings;
}

// Everything the app's threads may touch, in one block that can be left alive as a whole.
struct AppFixture::Parts {
    std::shared_ptr<void> keepAlive;
    std::filesystem::path dir;
    RecordingWindow window;
    RecordingShell shell;
    std::unique_ptr<AppState> app;
};

AppFixture::AppFixture(const SettingsAdjust& adjust, std::shared_ptr<void> keepAlive)
    : parts_(std::make_unique<Parts>()) {
    parts_->keepAlive = std::move(keepAlive);
    parts_->dir = makeTempDirectory();
    AppSettings settings = testSettings(parts_->dir);
    if (adjust) {
        adjust(settings);
    }
    parts_->app = std::make_unique<AppState>(parts_->window, parts_->shell, std::move(settings));
}

AppFixture::~AppFixture() {
    if (!waitIdle(std::chrono::seconds(60))) {
        parts_->app->threads.shuttingDown = true;
        if (!waitIdle(std::chrono::seconds(10))) {
            ADD_FAILURE() << parts_->app->threads.liveThreads() << " app threads still running";
            // Freeing the state under running threads would turn a failure into a crash.
            static_cast<void>(parts_.release());
            return;
        }
    }
    std::filesystem::path dir = parts_->dir;
    parts_.reset();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
}

AppState& AppFixture::app() {
    return *parts_->app;
}
RecordingWindow& AppFixture::window() {
    return parts_->window;
}
RecordingShell& AppFixture::shell() {
    return parts_->shell;
}
const std::filesystem::path& AppFixture::dir() const {
    return parts_->dir;
}

bool AppFixture::waitIdle(std::chrono::milliseconds timeout) {
    return parts_->app->threads.waitForThreads(timeout);
}

ThreadStarter refusingStarter(std::function<bool(int)> refuse) {
    auto starts = std::make_shared<std::atomic<int>>(0);
    return [starts, refuse = std::move(refuse)](std::function<void()> body) {
        if (refuse(++*starts)) {
            return false;
        }
        return startDetachedThread(std::move(body));
    };
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace pel::testing
