// What the fault suites share: one demo server per suite with its knobs reset before every
// test, the app driven through a search or a download on the recording window, and the
// outcome texts read back from the status label.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "demo/demo_sites.h"
#include "support/app_fixture.h"
#include "support/demo_expected.h"

namespace pel::faults {

class FaultSuite : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;  // every knob back to "no fault"

    static demo::DemoSites& sites() { return *sites_; }
    // An app on the suite's sites with short pauses; `adjust` runs after the site table is set.
    static std::unique_ptr<testing::AppFixture> makeApp(const testing::SettingsAdjust& adjust = {});

  private:
    static std::unique_ptr<demo::DemoSites> sites_;
};

// A loopback port that accepts connections, counts them and closes them unanswered: the
// target of addresses that must never be fetched.
class AcceptCounter {
  public:
    AcceptCounter();
    ~AcceptCounter();
    AcceptCounter(const AcceptCounter&) = delete;
    AcceptCounter& operator=(const AcceptCounter&) = delete;
    int port() const { return port_; }
    int accepted() const { return accepted_.load(); }

  private:
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<int> accepted_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Types the keyword into the search box, starts the search and waits for every thread.
// False when some thread was still running after the timeout.
bool runSearch(testing::AppFixture& fixture, const Text& keyword,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));

// Puts the slot in place as a search would have left it, selects the site, presses the
// download button and waits for every thread.
bool runDownload(testing::AppFixture& fixture, int site, const ResultSlot& slot,
                 std::chrono::milliseconds timeout = std::chrono::seconds(60));

// The status label's texts that report an outcome ("保存成功...", "保存失败", "目录获取失败",
// "搜索失败..."), each once, in the order of their first appearance.
std::vector<std::string> outcomesShown(const RecordingWindow& window);

// The saved book of the slot in the fixture's directory ("" when there is none).
std::string savedBook(const testing::AppFixture& fixture, const ResultSlot& slot);
bool bookSaved(const testing::AppFixture& fixture, const ResultSlot& slot);

std::string readFile(const std::filesystem::path& path);

// The book file the download should save when the chapters in `emptyChapters` (1-based) come
// back empty: their records are the title and two line ends.
Text bookWithEmptyChapters(const demo::DemoBook& book, const std::set<int>& emptyChapters);

// The chapters that the demo's chapter fault knobs make fail at this rate.
std::set<int> failingChapters(const demo::DemoBook& book, int percent);

// Every text the window got, decoded to UTF-8, one after another (to look for leaked bytes).
std::string everythingWritten(const RecordingWindow& window);

}  // namespace pel::faults
