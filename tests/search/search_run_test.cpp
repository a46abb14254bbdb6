// The search run: what starts a search, the progress label, and the end of a search.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "app/window_events.h"
#include "core/fixed_texts.h"
#include "search/search_run.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

using namespace std::chrono_literals;
using testing::AppFixture;

Text progress(int n) {
    return gbk("正在搜索：") + std::to_string(n) + "/6";
}

const Text& failureBanner() {
    static const Text text = gbk("搜索失败 技能冷却中");
    return text;
}

std::vector<Text> progressTextsOf(const RecordingWindow& window) {
    std::vector<Text> texts = window.textsOf(Control::StatusLabel);
    std::erase(texts, failureBanner());
    return texts;
}

TEST(StartSearch, AnEmptyBoxOrThePlaceholderStartsNothing) {
    for (const Text& box : {Text{}, searchPlaceholder()}) {
        AppFixture f;
        AppState& app = f.app();
        f.window().recordUserText(Control::SearchBox, box);
        {
            std::lock_guard lock(app.search.thumbnailMutex);
            app.search.resultListHtml = "<img old>";
        }
        app.search.searchProgress = 7;

        startSearch(app);
        onSearchBoxKey(app, 13);

        EXPECT_EQ(app.threads.liveThreads(), 0);
        EXPECT_TRUE(f.window().writes().empty());
        EXPECT_EQ(app.search.searchProgress.load(), 7);
        std::lock_guard lock(app.search.thumbnailMutex);
        EXPECT_EQ(app.search.resultListHtml, "<img old>");
    }
}

TEST(AdvanceSearchProgress, CountsUpAndAtTheSeventhValueHidesTheDisplayAndReportsFailure) {
    AppFixture f;
    AppState& app = f.app();
    app.search.searchProgress = 1;
    f.window().setVisible(Control::ProgressFrame, true);
    f.window().setVisible(Control::StatusLabel, true);
    f.window().setVisible(Control::DisclaimerLabel, true);

    for (int n = 2; n <= 6; ++n) {
        advanceSearchProgress(app);
        EXPECT_EQ(f.window().text(Control::StatusLabel), progress(n));
        EXPECT_TRUE(f.window().isVisible(Control::ProgressFrame));
        EXPECT_EQ(app.threads.liveThreads(), 0);
    }
    advanceSearchProgress(app);
    EXPECT_EQ(app.search.searchProgress.load(), 7);
    EXPECT_EQ(progressTextsOf(f.window()).back(), progress(7));
    EXPECT_EQ(app.bannerText.get(), failureBanner());

    ASSERT_TRUE(f.waitIdle(10s));
    std::vector<Text> texts = f.window().textsOf(Control::StatusLabel);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), failureBanner()), 273);
    EXPECT_FALSE(f.window().isVisible(Control::ProgressFrame));
    EXPECT_FALSE(f.window().isVisible(Control::StatusLabel));
}

TEST(AdvanceSearchProgress, NoBannerWhenAResultPageHidTheDisclaimer) {
    AppFixture f;
    AppState& app = f.app();
    app.search.searchProgress = 1;
    f.window().setVisible(Control::DisclaimerLabel, false);
    for (int i = 0; i < 6; ++i) {
        advanceSearchProgress(app);
    }
    EXPECT_EQ(app.threads.liveThreads(), 0);
    EXPECT_TRUE(app.bannerText.get().empty());
    EXPECT_FALSE(f.window().isVisible(Control::ProgressFrame));
    EXPECT_FALSE(f.window().isVisible(Control::StatusLabel));
    std::vector<Text> expected;
    for (int n = 2; n <= 7; ++n) {
        expected.push_back(progress(n));
    }
    EXPECT_EQ(progressTextsOf(f.window()), expected);
}

// A second search while the first one's workers still report: both advance the same count,
// the label never goes backwards, and the end is handled at 7 and at every step after it.
TEST(AdvanceSearchProgress, OverlappingSearchesAdvanceOneCountInOrder) {
    AppFixture f;
    AppState& app = f.app();
    app.search.searchProgress = 1;
    f.window().setVisible(Control::DisclaimerLabel, false);
    for (int i = 0; i < 3; ++i) {
        advanceSearchProgress(app);  // the first search's fast workers
    }
    app.search.searchProgress = 1;  // the second search starts

    std::vector<std::thread> workers;
    for (int i = 0; i < 9; ++i) {  // three of the first search's workers, six of the second
        workers.emplace_back([&app] { advanceSearchProgress(app); });
    }
    for (std::thread& t : workers) {
        t.join();
    }
    EXPECT_EQ(app.search.searchProgress.load(), 10);

    std::vector<Text> expected = {progress(2), progress(3), progress(4)};
    for (int n = 2; n <= 10; ++n) {
        expected.push_back(progress(n));
    }
    EXPECT_EQ(progressTextsOf(f.window()), expected);

    int hides = 0;
    for (const PropertyWrite& w : f.window().writes()) {
        hides +=
            w.control == Control::ProgressFrame && w.property == Property::Visible && w.number == 0;
    }
    EXPECT_EQ(hides, 4);  // at 7, 8, 9 and 10
}

TEST(AdvanceSearchProgress, EverySevenOrLaterStepStartsItsOwnBannerWhileTheDisclaimerShows) {
    AppFixture f;
    AppState& app = f.app();
    app.search.searchProgress = 1;
    f.window().setVisible(Control::DisclaimerLabel, true);
    for (int i = 0; i < 8; ++i) {
        advanceSearchProgress(app);  // to 9
    }
    ASSERT_TRUE(f.waitIdle(10s));
    std::vector<Text> texts = f.window().textsOf(Control::StatusLabel);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), failureBanner()), 3 * 273);
}

// The whole run with every site unreachable: six workers report and the failure banner runs.
TEST(StartSearch, ASearchWhereNoSiteAnswersEndsWithTheFailureBanner) {
    AppFixture f([](AppSettings& s) {
        for (int site = 1; site <= kSiteCount; ++site) {
            s.sites.baseUrl[site] = "http://127.0.0.1:1";
            s.sites.domainMarker[site] = "127.0.0.1:1";
        }
    });
    AppState& app = f.app();
    {
        std::lock_guard lock(app.search.thumbnailMutex);
        app.search.resultListHtml = "<img old>";
    }
    f.window().setVisible(Control::DisclaimerLabel, false);
    f.window().recordUserText(Control::SearchBox, gbk("  星辰 "));

    onSearchBoxKey(app, 13);
    {
        std::lock_guard lock(app.search.thumbnailMutex);
        EXPECT_TRUE(app.search.resultListHtml.empty());
    }
    EXPECT_TRUE(f.window().isVisible(Control::DisclaimerLabel));
    ASSERT_FALSE(progressTextsOf(f.window()).empty());
    EXPECT_EQ(progressTextsOf(f.window()).front(), progress(1));

    ASSERT_TRUE(f.waitIdle(30s));
    EXPECT_EQ(app.search.searchProgress.load(), 7);
    EXPECT_EQ(progressTextsOf(f.window()).back(), progress(7));
    EXPECT_EQ(app.bannerText.get(), failureBanner());
    EXPECT_FALSE(f.window().isVisible(Control::ProgressFrame));
    EXPECT_FALSE(f.window().isVisible(Control::StatusLabel));
}

// Workers that get no thread take their step all the same: the search still reaches its end.
TEST(StartSearch, WorkersWithoutAThreadStillBringTheSearchToItsEnd) {
    // Starts 1..6 are the six workers, site 1 first; 7 is the failure banner.
    const std::vector<int> refusedSets[] = {{2, 5}, {1, 2, 3, 4, 5, 6}};
    for (const std::vector<int>& refused : refusedSets) {
        SCOPED_TRACE(refused.size());
        AppFixture f([&](AppSettings& s) {
            for (int site = 1; site <= kSiteCount; ++site) {
                s.sites.baseUrl[site] = "http://127.0.0.1:1";
                s.sites.domainMarker[site] = "127.0.0.1:1";
            }
            s.threadStarter = testing::refusingStarter([refused](int n) {
                return std::find(refused.begin(), refused.end(), n) != refused.end();
            });
        });
        AppState& app = f.app();
        f.window().recordUserText(Control::SearchBox, gbk("星辰"));
        startSearch(app);
        ASSERT_TRUE(f.waitIdle(30s));
        EXPECT_EQ(app.search.searchProgress.load(), 7);
        EXPECT_EQ(progressTextsOf(f.window()).back(), progress(7));
        EXPECT_EQ(app.bannerText.get(), failureBanner());
        EXPECT_FALSE(f.window().isVisible(Control::ProgressFrame));
        EXPECT_FALSE(f.window().isVisible(Control::StatusLabel));
    }
}

}  // namespace
}  // namespace pel
