// The thread starter: detached threads that are counted, waited for and never let an
// exception out; and the exit path that abandons the state while threads still run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>

#include <pthread.h>

#include "core/detached_thread.h"
#include "core/shutdown.h"
#include "core/status_banner.h"
#include "support/app_fixture.h"

namespace pel {
namespace {

using namespace std::chrono_literals;
using testing::AppFixture;
using testing::waitUntil;

// Entries are plain function pointers; they talk to the test through the state's counters.
// chapterCount opens the gate, chaptersDone sums the parameters seen.
void waitForGateThenAdd(AppState& app, int param) {
    while (app.download.chapterCount.load() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    app.download.chaptersDone += param;
}

void throwAfterCounting(AppState& app, int) {
    app.download.emptyChapters += 1;
    throw std::runtime_error("worker failure");
}

TEST(StartThread, RunsEntriesWithTheirParameterAndCountsThemUntilTheyReturn) {
    AppFixture f;
    AppState& app = f.app();
    for (int param : {1, 10, 100}) {
        app.startThread(waitForGateThenAdd, param);
    }
    EXPECT_EQ(app.threads.liveThreads(), 3);
    EXPECT_FALSE(app.threads.waitForThreads(20ms));
    EXPECT_EQ(app.download.chaptersDone.load(), 0);

    app.download.chapterCount = 1;
    EXPECT_TRUE(app.threads.waitForThreads(10s));
    EXPECT_EQ(app.threads.liveThreads(), 0);
    EXPECT_EQ(app.download.chaptersDone.load(), 111);
}

TEST(StartThread, AnExceptionInsideAnEntryEndsOnlyThatThread) {
    AppFixture f;
    AppState& app = f.app();
    for (int i = 0; i < 4; ++i) {
        app.startThread(throwAfterCounting, i);
    }
    ASSERT_TRUE(app.threads.waitForThreads(10s));
    EXPECT_EQ(app.download.emptyChapters.load(), 4);
    EXPECT_EQ(app.threads.liveThreads(), 0);
    // The starter still works afterwards.
    app.download.chapterCount = 1;
    app.startThread(waitForGateThenAdd, 5);
    ASSERT_TRUE(app.threads.waitForThreads(10s));
    EXPECT_EQ(app.download.chaptersDone.load(), 5);
}

// Stores the size of the calling thread's stack in chaptersDone (in KiB).
void recordStackKiB(AppState& app, int) {
    pthread_attr_t attr;
    size_t bytes = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getstacksize(&attr, &bytes);
        pthread_attr_destroy(&attr);
    }
    app.download.chaptersDone = static_cast<int>(bytes / 1024);
}

TEST(StartThread, ThreadsGetTheSmallStackNotTheLibraryDefault) {
    AppFixture f;
    AppState& app = f.app();
    app.startThread(recordStackKiB, 0);
    ASSERT_TRUE(app.threads.waitForThreads(10s));
    EXPECT_EQ(static_cast<size_t>(app.download.chaptersDone.load()), kThreadStackBytes / 1024);
}

TEST(StartThread, ReportsAThreadThatCouldNotBeMadeAndDoesNotCountIt) {
    AppFixture f([](AppSettings& s) {
        s.threadStarter = testing::refusingStarter([](int n) { return n == 2; });
    });
    AppState& app = f.app();
    EXPECT_TRUE(app.startThread(waitForGateThenAdd, 1));
    EXPECT_FALSE(app.startThread(waitForGateThenAdd, 10));
    EXPECT_TRUE(app.startThread(waitForGateThenAdd, 100));
    EXPECT_FALSE(app.startThread(nullptr, 0));
    EXPECT_EQ(app.threads.liveThreads(), 2);
    app.download.chapterCount = 1;
    ASSERT_TRUE(app.threads.waitForThreads(10s));
    EXPECT_EQ(app.download.chaptersDone.load(), 101);  // the refused entry never ran

    app.threads.shuttingDown = true;
    EXPECT_FALSE(app.startThread(waitForGateThenAdd, 1000));
}

TEST(StartThread, WaitingWithNothingStartedSucceedsAtOnce) {
    AppFixture f;
    EXPECT_TRUE(f.app().threads.waitForThreads(0ms));
    EXPECT_EQ(f.app().threads.liveThreads(), 0);
}

TEST(Shutdown, StopsARunningBannerEarlyAndLeavesTheWindowAlone) {
    // Steps of 50 ms: the whole banner would take about 14 s.
    AppFixture f([](AppSettings& s) { s.bannerStepMs = 50; });
    AppState& app = f.app();
    showBanner(app, "bye");
    ASSERT_TRUE(waitUntil([&] { return f.window().textsOf(Control::StatusLabel).size() >= 2; }));

    app.threads.shuttingDown = true;
    ASSERT_TRUE(app.threads.waitForThreads(5s));
    EXPECT_LT(f.window().textsOf(Control::StatusLabel).size(), 100u);
    // The banner did not reach its end, so it did not hide anything.
    EXPECT_TRUE(f.window().isVisible(Control::ProgressFrame));
    EXPECT_TRUE(f.window().isVisible(Control::StatusLabel));
}

TEST(Shutdown, NoThreadStartsOnceShuttingDown) {
    AppFixture f;
    AppState& app = f.app();
    app.threads.shuttingDown = true;
    app.download.chapterCount = 1;
    app.startThread(waitForGateThenAdd, 7);
    showBanner(app, "late");
    EXPECT_EQ(app.threads.liveThreads(), 0);
    EXPECT_TRUE(app.threads.waitForThreads(0ms));
    EXPECT_EQ(app.download.chaptersDone.load(), 0);
    EXPECT_TRUE(f.window().writes().empty());
}

// The end of a run when the window closes while work still runs: a short wait, then the
// process ends with the window's exit status, without destroying the state that the
// remaining threads use.
TEST(ShutdownDeathTest, FinishingWithThreadsStuckExitsWithTheRunsStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto window = std::make_unique<RecordingWindow>();
            auto shell = std::make_unique<RecordingShell>();
            AppSettings settings;
            settings.bannerStepMs = 5;
            auto app = std::make_unique<AppState>(*window, *shell, settings);
            for (int i = 0; i < 8; ++i) {
                showBanner(*app, "running");
            }
            app->startThread(waitForGateThenAdd, 1);  // never let through
            finishRun(std::move(app), 3, 20ms);
            std::_Exit(9);  // finishRun must not return while a thread still runs
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(Shutdown, FinishingWithNothingRunningDestroysTheStateAndReturnsTheStatus) {
    RecordingWindow window;
    RecordingShell shell;
    AppSettings settings;
    settings.bannerStepMs = 1;
    settings.bannerSteps = 3;
    auto app = std::make_unique<AppState>(window, shell, settings);
    showBanner(*app, "short");
    ASSERT_TRUE(app->threads.waitForThreads(5s));
    EXPECT_EQ(finishRun(std::move(app), 5, 1s), 5);
    EXPECT_EQ(app, nullptr);
}

}  // namespace
}  // namespace pel
