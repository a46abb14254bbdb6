// Hostile and broken sites end to end: a site that never answers, pages of 50 MB on one line,
// bytes that are no characters, links to other schemes. The search always ends, nothing
// crashes, and every download either saves the book or says why not.
#include <sys/resource.h>

#include <fstream>
#include <string>

#include "core/fixed_texts.h"
#include "download/download_start.h"
#include "e2e/fault_support.h"
#include "net/fetch_page.h"
#include "search/result_page.h"
#include "text/encoding.h"

namespace pel::faults {
namespace {

const demo::DemoBook& kBook = demo::bookByRole("everywhere");

class SearchFaultTest : public FaultSuite {
  protected:
    // Short limits on both clients, so that a silent site costs seconds, not minutes; long
    // enough for the healthy sites to answer on a loaded machine under the race detector.
    static std::unique_ptr<testing::AppFixture> shortLimitApp() {
        return makeApp([](AppSettings& s) {
            s.net.connectTimeoutMs = 3000;
            s.net.stallSeconds = 3;
            s.winHttpTimeoutSeconds = 3;
        });
    }

    // The search ended the way it must: progress at 7, the progress display hidden.
    static void expectSearchEnded(testing::AppFixture& app) {
        EXPECT_EQ(app.app().search.searchProgress.load(), 7);
        EXPECT_FALSE(app.window().isVisible(Control::ProgressFrame));
        EXPECT_EQ(gbkToUtf8(app.window().textsOf(Control::StatusLabel).back()), "正在搜索：7/6");
    }

    static void expectSlot(testing::AppFixture& app, int site, const ResultSlot& want) {
        const ResultSlot got = app.app().search.resultSlots[site].get();
        EXPECT_EQ(gbkToUtf8(got.name), gbkToUtf8(want.name));
        EXPECT_EQ(gbkToUtf8(got.author), gbkToUtf8(want.author));
        EXPECT_EQ(gbkToUtf8(got.introduction), gbkToUtf8(want.introduction));
        EXPECT_EQ(got.coverUrl, want.coverUrl);
        EXPECT_EQ(got.bookUrl, want.bookUrl);
    }

    // A finished download reported itself: one outcome, and a plain success only with the
    // whole book on disk.
    static void expectReportedDownload(testing::AppFixture& app, const ResultSlot& slot,
                                       const Text& wholeBook) {
        const std::vector<std::string> outcomes = outcomesShown(app.window());
        ASSERT_EQ(outcomes.size(), 1u);
        const std::string& outcome = outcomes.front();
        EXPECT_TRUE(outcome == "目录获取失败" || outcome.rfind("保存成功", 0) == 0) << outcome;
        if (outcome == "保存成功") {
            EXPECT_EQ(gbkToUtf8(savedBook(app, slot)), gbkToUtf8(wholeBook));
        }
        EXPECT_FALSE(app.app().download.downloadInProgress.load());
    }
};

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(SearchFaultTest, SiteThatNeverAnswersDoesNotHoldTheSearch) {
    // Site 4 goes through the second client, site 3 through fetchPage, site 1 is UTF-8.
    for (int hung : {3, 4, 1}) {
        SCOPED_TRACE(hung);
        sites().knobs().hangSite = hung;
        auto app = shortLimitApp();
        ASSERT_TRUE(runSearch(*app, kBook.name, std::chrono::seconds(20)));
        expectSearchEnded(*app);
        EXPECT_TRUE(app->app().search.resultSlots[hung].get().bookUrl.empty());
        const int other = hung == 3 ? 2 : 3;
        expectSlot(*app, other, demo::expectedSlot(sites(), kBook, other));
        EXPECT_TRUE(outcomesShown(app->window()).empty());  // the others' hits were shown
        sites().knobs().hangSite = 0;
    }
}

TEST_F(SearchFaultTest, DownloadFromASiteThatStopsAnsweringIsReported) {
    auto app = shortLimitApp();
    const ResultSlot slot = demo::expectedSlot(sites(), kBook, 6);
    sites().knobs().hangSite = 6;
    ASSERT_TRUE(runDownload(*app, 6, slot, std::chrono::seconds(20)));
    sites().knobs().hangSite = 0;
    EXPECT_EQ(outcomesShown(app->window()), std::vector<std::string>{"目录获取失败"});
    EXPECT_FALSE(bookSaved(*app, slot));
}

// 50 MB of markup on one line ahead of the real pages: under the body cap the pages are still
// read; the search ends and the download finishes or reports. Site 5 reads its pages through
// the matcher, site 4 its search page through the second client.
TEST_F(SearchFaultTest, PagesOfFiftyMegabytesOnOneLine) {
    const long peakBefore = peakResidentKiB();
    const struct {
        int site;
        int pages;
    } cases[] = {{5, demo::kSearchPageForm | demo::kIndexPageForm}, {4, demo::kSearchPageForm}};
#if defined(__SANITIZE_THREAD__)
    // Under the race detector the flow matters, not the size: a smaller page keeps it quick.
    sites().knobs().hugePageBytes = 8L << 20;
#endif
    for (const auto& c : cases) {
        SCOPED_TRACE(c.site);
        sites().knobs().hugePageSite = c.site;
        sites().knobs().hugePages = c.pages;
        // The default limits: a 50 MB answer takes the server a moment to start.
        auto app = makeApp();
        ASSERT_TRUE(runSearch(*app, kBook.name));
        expectSearchEnded(*app);
        for (int other = 1; other <= 6; ++other) {
            if (other != c.site) {
                expectSlot(*app, other, demo::expectedSlot(sites(), kBook, other));
            }
        }
        const ResultSlot slot = demo::expectedSlot(sites(), kBook, c.site);
        auto downloader = makeApp();
        ASSERT_TRUE(runDownload(*downloader, c.site, slot));
        expectReportedDownload(*downloader, slot, demo::expectedBookFile(kBook));
    }
#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
    // Each huge page is held a few times over (body, text, its UTF-8 form for the matcher);
    // far less than a gigabyte for pages read one after another.
    EXPECT_LT(peakResidentKiB() - peakBefore, 1L << 20);
#else
    static_cast<void>(peakBefore);
#endif
}

// Past the 64 MiB cap a page is a broken one: the site yields nothing and the download says
// its index could not be read.
TEST_F(SearchFaultTest, PagesBeyondTheBodyCapAreCutOff) {
    sites().knobs().hugePageSite = 3;
    sites().knobs().hugePageBytes = 80L << 20;
    auto app = shortLimitApp();
    ASSERT_TRUE(runSearch(*app, kBook.name));
    expectSearchEnded(*app);
    EXPECT_TRUE(app->app().search.resultSlots[3].get().bookUrl.empty());
    expectSlot(*app, 2, demo::expectedSlot(sites(), kBook, 2));

    sites().knobs().hugePages = demo::kIndexPageForm;
    const ResultSlot slot = demo::expectedSlot(sites(), kBook, 3);
    auto downloader = shortLimitApp();
    ASSERT_TRUE(runDownload(*downloader, 3, slot));
    EXPECT_EQ(outcomesShown(downloader->window()), std::vector<std::string>{"目录获取失败"});
}

// Bytes that are no characters pass through as cut (GBK pages) or become "?" (UTF-8 pages),
// and the book is saved with them.
TEST_F(SearchFaultTest, InvalidByteSequencesAreKeptAsCutAndTheBookIsSaved) {
    static const Text kStop = gbk("。");
    for (int site = 1; site <= 6; ++site) {
        SCOPED_TRACE(site);
        sites().knobs().invalidBytesSite = site;
        auto app = shortLimitApp();
        ASSERT_TRUE(runSearch(*app, kBook.name));
        expectSearchEnded(*app);
        ResultSlot want = demo::expectedSlot(sites(), kBook, site);
        if (site == 1) {
            want.introduction = replaceText(want.introduction, kStop, "?" + kStop);
        } else if (want.introduction != noIntroText()) {
            want.introduction = demo::withInvalidBytes(want.introduction);
        }
        expectSlot(*app, site, want);
        if (site == 1) {
            continue;  // its book is fetched by the browser
        }
        auto downloader = shortLimitApp();
        ASSERT_TRUE(runDownload(*downloader, site, want));
        EXPECT_EQ(outcomesShown(downloader->window()), std::vector<std::string>{"保存成功"});
        EXPECT_EQ(savedBook(*downloader, want),
                  demo::withInvalidBytes(demo::expectedBookFile(kBook)));
    }
}

// A site that writes its links without a scheme (search hit, book, cover, index, chapter and
// download addresses): they go out as plain http, and the book is found and downloaded.
TEST_F(SearchFaultTest, LinksWithoutASchemeAreFetchedAsHttp) {
    const auto withoutScheme = [](const Text& url) {
        return url.rfind("http://", 0) == 0 ? url.substr(7) : url;
    };
    for (int site = 1; site <= 6; ++site) {
        SCOPED_TRACE(site);
        // Site 5's index pattern itself reads chapter links that begin with "http://".
        const int forms =
            demo::kSearchPageForm | demo::kBookPageForm | (site == 5 ? 0 : demo::kIndexPageForm);
        sites().setHostileLinks(site, sites().domainMarker(site), forms);
        auto app = shortLimitApp();
        ASSERT_TRUE(runSearch(*app, kBook.name));
        expectSearchEnded(*app);
        ResultSlot want = demo::expectedSlot(sites(), kBook, site);
        const ResultSlot got = app->app().search.resultSlots[site].get();
        EXPECT_EQ(gbkToUtf8(got.name), gbkToUtf8(want.name));
        EXPECT_EQ(gbkToUtf8(got.introduction), gbkToUtf8(want.introduction));
        EXPECT_EQ(withoutScheme(got.coverUrl), withoutScheme(want.coverUrl));
        EXPECT_EQ(got.bookUrl, withoutScheme(want.bookUrl));
        {
            std::lock_guard lock(app->app().search.thumbnailMutex);
            EXPECT_NE(app->app().search.resultListHtml.find("location.href='" + decimal(site)),
                      std::string::npos);
        }
        if (site == 1) {
            continue;  // its book is a link for the browser, which gets web addresses only
        }
        auto downloader = shortLimitApp();
        ASSERT_TRUE(runDownload(*downloader, site, got));
        EXPECT_EQ(outcomesShown(downloader->window()), std::vector<std::string>{"保存成功"});
        // Compared whole, not printed: the book runs to many kilobytes.
        EXPECT_TRUE(savedBook(*downloader, got) == demo::expectedBookFile(kBook));
    }
}

// Links to a local file, to other schemes and to script: never fetched, never handed to the
// shell, escaped on the result page.
TEST_F(SearchFaultTest, LinksToOtherSchemesAreNeverFollowed) {
    AcceptCounter counter;
    const std::filesystem::path secretDir = testing::makeTempDirectory("pelnoria-secret");
    const std::filesystem::path secret = secretDir / "secret.txt";
    { std::ofstream(secret) << "TOP-SECRET-LINE"; }
    const std::string loopback = "127.0.0.1:" + std::to_string(counter.port());
    // "#" leaves the rest of each link a fragment: a fetch would read the secret file itself.
    const std::string prefixes[] = {
        "file://" + secret.string() + "#",
        "ftp://" + loopback,
        "javascript:alert(1)//\"><script>alert(2)</script>",
    };
    for (const std::string& prefix : prefixes) {
        for (int site = 1; site <= 6; ++site) {
            SCOPED_TRACE(prefix + " on site " + std::to_string(site));
            sites().setHostileLinks(site, prefix);
            auto app = shortLimitApp();
            ASSERT_TRUE(runSearch(*app, kBook.name));
            expectSearchEnded(*app);
            const ResultSlot slot = app->app().search.resultSlots[site].get();
            Text page;
            {
                std::lock_guard lock(app->app().search.thumbnailMutex);
                page = app->app().search.resultListHtml;
            }
            EXPECT_EQ(page.find("<script>"), std::string::npos);
            EXPECT_EQ(readFile(resultPagePath(app->app())).find("<script>"), std::string::npos);

            app->app().search.selectedSite = site;
            startDownload(app->app());
            ASSERT_TRUE(app->waitIdle());
            EXPECT_TRUE(app->shell().openedUrls().empty());
            EXPECT_EQ(everythingWritten(app->window()).find("TOP-SECRET"), std::string::npos);
            EXPECT_EQ(savedBook(*app, slot).find("TOP-SECRET"), std::string::npos);
            EXPECT_EQ(counter.accepted(), 0);
            if (site != 1) {
                const std::vector<std::string> outcomes = outcomesShown(app->window());
                EXPECT_LE(outcomes.size(), 1u);
                if (outcomes.size() == 1 && outcomes.front() == "保存成功") {
                    EXPECT_EQ(gbkToUtf8(savedBook(*app, slot)),
                              gbkToUtf8(demo::expectedBookFile(kBook)));
                }
            }
        }
    }
    sites().setHostileLinks(0, "");
    // fetchPage itself refuses them, whoever asks; put behind "http://", "mailto:" would
    // reach the host after its user part.
    for (const std::string& prefix : {prefixes[0], prefixes[1], prefixes[2],
                                      "mailto:reader@" + loopback, "gopher://" + loopback}) {
        FetchOptions options;
        EXPECT_TRUE(fetchPage(prefix + "/x", options).empty()) << prefix;
    }
    EXPECT_EQ(counter.accepted(), 0);
    std::filesystem::remove_all(secretDir);
}

}  // namespace
}  // namespace pel::faults
