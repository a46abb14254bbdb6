// Chapter pages that fail in each of the ways a site fails: a retry brings the chapter in, and
// a chapter that no retry can bring in is counted in the banner, never dropped in silence.
#include <fstream>
#include <string>

#include "e2e/fault_support.h"
#include "text/encoding.h"

namespace pel::faults {
namespace {

using demo::ChapterFault;

struct ChapterFaultCase {
    const char* label;
    ChapterFault fault;
    std::vector<int> sites;
};

std::string faultName(ChapterFault fault) {
    switch (fault) {
        case ChapterFault::Status500:
            return "Status500";
        case ChapterFault::CloseMidBody:
            return "CloseMidBody";
        case ChapterFault::Stall:
            return "Stall";
    }
    return "?";
}

class ChapterFaultTest : public FaultSuite {
  protected:
    // A stalled body gives up after two seconds; the demo stalls far longer.
    static std::unique_ptr<testing::AppFixture> shortStallApp() {
        return makeApp([](AppSettings& s) { s.net.stallSeconds = 2; });
    }
    void useFault(ChapterFault fault, int percent, int failedAttempts) {
        demo::DemoKnobs& k = sites().knobs();
        k.chapterFault = static_cast<int>(fault);
        k.stallSeconds = 30;
        k.chapterFailurePercent = percent;
        k.failedAttempts = failedAttempts;
    }
};

// Every tenth chapter fails once: the retries save the whole book and the banner reports a
// plain success.
TEST_F(ChapterFaultTest, OneFailedAttemptPerChapterIsRetriedIntoACompleteBook) {
    const demo::DemoBook& book = demo::bookByRole("everywhere");  // 12 chapters: 10 fails
    const ChapterFaultCase cases[] = {
        {"500", ChapterFault::Status500, {2, 3, 4, 5, 6}},
        {"close", ChapterFault::CloseMidBody, {2, 3, 4, 5, 6}},
        {"stall", ChapterFault::Stall, {3, 6}},
    };
    for (const ChapterFaultCase& c : cases) {
        useFault(c.fault, 10, 1);
        for (int site : c.sites) {
            SCOPED_TRACE(faultName(c.fault) + " on site " + std::to_string(site));
            auto app = shortStallApp();
            const ResultSlot slot = demo::expectedSlot(sites(), book, site);
            const long before = sites().requestCount();
            ASSERT_TRUE(runDownload(*app, site, slot));
            // The index, every chapter once and the failed chapter a second time at least.
            EXPECT_GE(sites().requestCount() - before, static_cast<long>(book.chapters.size()) + 2);
            EXPECT_EQ(gbkToUtf8(savedBook(*app, slot)), gbkToUtf8(demo::expectedBookFile(book)));
            EXPECT_EQ(outcomesShown(app->window()), std::vector<std::string>{"保存成功"});
            EXPECT_EQ(app->app().download.emptyChapters.load(), 0);
            EXPECT_FALSE(app->app().download.downloadInProgress.load());
        }
    }
}

// Chapters that fail on every attempt stay empty in the book, and the banner counts them.
TEST_F(ChapterFaultTest, ChaptersFailingEveryAttemptAreCountedInTheBanner) {
    const demo::DemoBook& book = demo::bookByRole("everywhere");
    const std::set<int> failing = failingChapters(book, 25);  // 4, 8, 12
    ASSERT_EQ(failing.size(), 3u);
    const std::string banner = "保存成功 " + std::to_string(failing.size()) + "章为空";
    const ChapterFaultCase cases[] = {
        {"500", ChapterFault::Status500, {2, 4, 5}},
        {"close", ChapterFault::CloseMidBody, {3, 6}},
        {"stall", ChapterFault::Stall, {2}},
    };
    for (const ChapterFaultCase& c : cases) {
        useFault(c.fault, 25, 1000);
        for (int site : c.sites) {
            SCOPED_TRACE(faultName(c.fault) + " on site " + std::to_string(site));
            auto app = shortStallApp();
            const ResultSlot slot = demo::expectedSlot(sites(), book, site);
            ASSERT_TRUE(runDownload(*app, site, slot));
            EXPECT_EQ(gbkToUtf8(savedBook(*app, slot)),
                      gbkToUtf8(bookWithEmptyChapters(book, failing)));
            EXPECT_EQ(outcomesShown(app->window()), std::vector<std::string>{banner});
            EXPECT_FALSE(app->app().download.downloadInProgress.load());
        }
    }
}

// Two failed attempts are within the two retries; three are not.
TEST_F(ChapterFaultTest, RetriesCoverExactlyTheConfiguredPauses) {
    const demo::DemoBook& book = demo::bookByRole("nocover");  // 7 chapters
    const std::set<int> failing = failingChapters(book, 30);
    ASSERT_FALSE(failing.empty());
    for (int attempts : {2, 3}) {
        SCOPED_TRACE(attempts);
        useFault(ChapterFault::Status500, 30, attempts);
        auto app = shortStallApp();
        const ResultSlot slot = demo::expectedSlot(sites(), book, 5);
        ASSERT_TRUE(runDownload(*app, 5, slot));
        const std::set<int> empty = attempts <= 2 ? std::set<int>{} : failing;
        EXPECT_EQ(gbkToUtf8(savedBook(*app, slot)), gbkToUtf8(bookWithEmptyChapters(book, empty)));
        EXPECT_EQ(app->app().download.emptyChapters.load(), static_cast<int>(empty.size()));
    }
}

// A book that cannot be written is reported as such, and no directory is opened for it.
TEST_F(ChapterFaultTest, BookThatCannotBeWrittenIsReportedAsASaveFailure) {
    const demo::DemoBook& book = demo::bookByRole("everywhere");
    const std::filesystem::path blocker = testing::makeTempDirectory("pelnoria-blocker") / "file";
    { std::ofstream(blocker) << "a regular file, not a directory"; }
    auto app = makeApp([&](AppSettings& s) { s.bookDirectory = blocker / "books"; });
    const ResultSlot slot = demo::expectedSlot(sites(), book, 2);
    ASSERT_TRUE(runDownload(*app, 2, slot));
    EXPECT_EQ(outcomesShown(app->window()), std::vector<std::string>{"保存失败"});
    EXPECT_TRUE(app->shell().exploredDirectories().empty());
    EXPECT_FALSE(app->app().download.downloadInProgress.load());
    std::filesystem::remove_all(blocker.parent_path());
}

}  // namespace
}  // namespace pel::faults
