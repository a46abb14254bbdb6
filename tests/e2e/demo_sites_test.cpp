// The demo sites: every page form in its encoding, the contract that the program's cuts find
// the catalogue's values, and the latency and fault knobs.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "demo/demo_page_parts.h"
#include "demo/demo_sites.h"
#include "download/chapter_cleaner.h"
#include "download/download_start.h"
#include "search/site_search.h"
#include "support/app_fixture.h"
#include "support/demo_expected.h"
#include "text/encoding.h"

namespace pel {
namespace {

using demo::bookByRole;
using demo::DemoBook;

class DemoSitesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server_ = std::make_unique<demo::DemoSites>();
        sites_ = server_.get();
        ASSERT_TRUE(sites_->start());
    }
    static void TearDownTestSuite() {
        server_.reset();
        sites_ = nullptr;
    }
    void SetUp() override {
        auto& k = sites_->knobs();
        k.latencyMs = 0;
        k.chapterLatencyMs = 0;
        k.chapterFailurePercent = 0;
        k.chapterFault = static_cast<int>(demo::ChapterFault::Status500);
        k.failedAttempts = 1;
    }

    static httplib::Result get(int site, const std::string& target) {
        httplib::Client client("127.0.0.1", sites_->port(site));
        client.set_read_timeout(std::chrono::seconds(10));
        client.set_url_encode(false);  // the targets are encoded already, "+" included
        return client.Get(target.c_str());
    }
    static httplib::Result post(int site, const std::string& target) {
        httplib::Client client("127.0.0.1", sites_->port(site));
        return client.Post(target.c_str());
    }
    static std::string searchTarget(int site, const Text& keyword) {
        switch (site) {
            case 1:
                return "/index.php?keyword=" + urlEncodeUtf8(keyword);
            case 2:
                return "/modules/article/soshu.php?searchkey=+" + percentEncodeGbk(keyword);
            case 3:
                return "/modules/article/search.php?searchtype=keywords&searchkey=" +
                       percentEncodeGbk(keyword);
            case 5:
                return "/modules/article/search.php?searchkey=+" + percentEncodeGbk(keyword);
            default:
                return "/modules/article/search.php?searchkey=" + percentEncodeGbk(keyword);
        }
    }

    static std::unique_ptr<demo::DemoSites> server_;  // one server for the whole suite
    static demo::DemoSites* sites_;
};

std::unique_ptr<demo::DemoSites> DemoSitesTest::server_;
demo::DemoSites* DemoSitesTest::sites_ = nullptr;

TEST_F(DemoSitesTest, SearchPagesListTheBookOnlyWhereItIsAndInTheSiteEncoding) {
    const DemoBook& everywhere = bookByRole("everywhere");
    const DemoBook& somewhere = bookByRole("somewhere");
    for (int site = 1; site <= 6; ++site) {
        SCOPED_TRACE(site);
        const std::string hitUrl = sites_->baseUrl(site) + demo::bookPagePath(site, everywhere);
        auto res = get(site, searchTarget(site, everywhere.name));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_NE(res->body.find(hitUrl), std::string::npos);
        // Site 1 and site 4's search page are UTF-8, every other page GBK.
        const bool utf8 = site == 1 || site == 4;
        const std::string name = utf8 ? gbkToUtf8(everywhere.name) : everywhere.name;
        EXPECT_NE(res->body.find(name), std::string::npos);
        if (utf8) {
            EXPECT_EQ(res->body.find(everywhere.name), std::string::npos);
        }

        auto other = get(site, searchTarget(site, somewhere.name));
        ASSERT_TRUE(other);
        const bool listed = site != 4 && site != 6;
        EXPECT_EQ(other->body.find(demo::bookPagePath(site, somewhere)) != std::string::npos,
                  listed);
    }
    // The keyword arrives trimmed: spaces around it do not hide the hit.
    auto padded = get(2, "/modules/article/soshu.php?searchkey=+" +
                             percentEncodeGbk(" " + everywhere.name + " "));
    ASSERT_TRUE(padded);
    EXPECT_NE(padded->body.find(demo::bookPagePath(2, everywhere)), std::string::npos);
}

// The search workers of the program, run against the pages, fill exactly the expected slots.
TEST_F(DemoSitesTest, SearchWorkersReadTheExpectedSlotOfEveryBookOnEverySite) {
    for (const char* role : {"everywhere", "nocover", "spaced"}) {
        const DemoBook& book = bookByRole(role);
        for (int site = 1; site <= 6; ++site) {
            SCOPED_TRACE(std::string(role) + " on site " + std::to_string(site));
            testing::AppFixture fixture([&](AppSettings& s) { demo::useDemoSites(s, *sites_); });
            fixture.app().window.setText(Control::SearchBox, book.name);
            if (site == 1) {
                runDirectDownloadSiteSearch(fixture.app(), 0);
            } else {
                runSiteSearch(fixture.app(), site);
            }
            const ResultSlot got = fixture.app().search.resultSlots[site].get();
            const ResultSlot want = demo::expectedSlot(*sites_, book, site);
            EXPECT_EQ(gbkToUtf8(got.name), gbkToUtf8(want.name));
            EXPECT_EQ(gbkToUtf8(got.author), gbkToUtf8(want.author));
            EXPECT_EQ(gbkToUtf8(got.latestChapter), gbkToUtf8(want.latestChapter));
            EXPECT_EQ(gbkToUtf8(got.introduction), gbkToUtf8(want.introduction));
            EXPECT_EQ(got.coverUrl, want.coverUrl);
            EXPECT_EQ(got.bookUrl, want.bookUrl);
        }
    }
}

TEST_F(DemoSitesTest, SiteOneDownloadPageLeadsToTheBookAsUtf8Text) {
    const DemoBook& book = bookByRole("everywhere");
    auto page = get(1, "/download.php?id=" + book.id);
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("下载地址＆TXT"), std::string::npos);
    auto txt = get(1, "/txt/" + book.id + ".txt");
    ASSERT_TRUE(txt);
    EXPECT_EQ(txt->status, 200);
    EXPECT_NE(txt->body.find(gbkToUtf8(book.chapters[3].body)), std::string::npos);
    // An unknown id gives a download page without the link block.
    auto unknown = get(1, "/download.php?id=nosuchbook");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->body.find("下载地址＆TXT"), std::string::npos);
}

TEST_F(DemoSitesTest, CoversArePicturesAndMissingOnesAnswerTheSiteMissingPage) {
    const DemoBook& withCover = bookByRole("everywhere");
    const DemoBook& without = bookByRole("nocover");
    static const Text kNotFound = gbk("找不到文件");
    for (int site = 1; site <= 6; ++site) {
        SCOPED_TRACE(site);
        auto cover = get(site, demo::coverPath(withCover));
        ASSERT_TRUE(cover);
        EXPECT_EQ(cover->status, 200);
        EXPECT_EQ(cover->body.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
        EXPECT_EQ(cover->body.find(kNotFound), std::string::npos);
        EXPECT_EQ(textFromBytes(cover->body).find("404"), std::string::npos);

        auto missing = get(site, demo::coverPath(without));
        ASSERT_TRUE(missing);
        EXPECT_EQ(missing->status, 404);
        if (site >= 2 && site <= 5) {
            EXPECT_NE(missing->body.find(kNotFound), std::string::npos);
        }
        if (site == 6) {
            EXPECT_NE(missing->body.find("404"), std::string::npos);
        }
    }
    // The home page, which a cover probe of an empty address reaches, is no missing page.
    auto home = get(3, "/");
    ASSERT_TRUE(home);
    EXPECT_EQ(home->body.find(kNotFound), std::string::npos);
}

TEST_F(DemoSitesTest, UpdatePageAnnouncesTheConfiguredVersionAndAddress) {
    auto page = get(0, "/pzwj/txtyz.php");
    ASSERT_TRUE(page);
    const Text text = utf8ToGbk(page->body);
    EXPECT_EQ(textBetween(text, gbk("最新版本："), "<br />"), "V.2.0");
    EXPECT_EQ(textBetween(text, gbk("更新地址："), "<br />"),
              sites_->baseUrl(0) + "/pzwj/xiazai.html");
    EXPECT_FALSE(textBetween(text, gbk("历史更新："), "#").empty());

    sites_->setAnnouncedVersion("V.3.1");
    sites_->setAnnouncedAddress("");
    auto changed = get(0, "/pzwj/txtyz.php");
    sites_->setAnnouncedVersion("V.2.0");
    sites_->setAnnouncedAddress(sites_->baseUrl(0) + "/pzwj/xiazai.html");
    ASSERT_TRUE(changed);
    const Text changedText = utf8ToGbk(changed->body);
    EXPECT_EQ(textBetween(changedText, gbk("最新版本："), "<br />"), "V.3.1");
    EXPECT_EQ(changedText.find(gbk("更新地址：")), std::string::npos);
}

TEST_F(DemoSitesTest, ChapterIndexesOfSitesFiveAndSixAnswerPostOnly) {
    const DemoBook& book = bookByRole("everywhere");
    for (int site : {5, 6}) {
        SCOPED_TRACE(site);
        const std::string index = demo::indexPagePath(site, book);
        auto listed = post(site, index);
        ASSERT_TRUE(listed);
        EXPECT_EQ(listed->status, 200);
        EXPECT_NE(listed->body.find(book.chapters.back().title), std::string::npos);
        auto refused = get(site, index);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->status, 405);
    }
}

// Every chapter page, cut between its site's markers and cleaned by the program, gives back
// the catalogue body once the title is taken out.
TEST_F(DemoSitesTest, CleanedChapterPagesGiveTheCatalogueBodies) {
    struct Markers {
        int site;
        const char* start;
        const char* end;
    };
    const Markers markers[] = {
        {2, "<div id=\"content\">", "<script>read3();</script><script>bdshare();</script>\r"},
        {3, "<dd id=\"contents\">", "</dd>\r"},
        {4, "&nbsp;&nbsp;&nbsp;&nbsp;", "</div>\r"},
        {5, "<div class=\"txt fon_size\" id=\"readcon\">\r", "阅读悦,阅读悦精彩!"},
        {6, "style5();</script>", "<script type=\"text/javascript\">style6()"},
    };
    const Watermarks marks = buildSettings().marks;
    const DemoBook& book = bookByRole("everywhere");
    for (const Markers& m : markers) {
        for (size_t i = 0; i < book.chapters.size(); ++i) {
            SCOPED_TRACE("site " + std::to_string(m.site) + " chapter " + std::to_string(i + 1));
            auto page = get(m.site, demo::chapterPagePath(m.site, book, static_cast<int>(i + 1)));
            ASSERT_TRUE(page);
            ASSERT_EQ(page->status, 200);
            const Text cut = textBetween(textFromBytes(page->body), gbk(m.start), gbk(m.end));
            ASSERT_FALSE(cut.empty());
            const Text cleaned =
                removeText(cleanChapterText(cut, m.site, marks), book.chapters[i].title);
            EXPECT_EQ(gbkToUtf8(cleaned), gbkToUtf8(book.chapters[i].body));
        }
    }
}

TEST_F(DemoSitesTest, StatusFaultsHitTheConfiguredShareOfFirstAttemptsOnly) {
    const DemoBook& book = bookByRole("long");
    auto& knobs = sites_->knobs();
    knobs.chapterFailurePercent = 10;
    ASSERT_TRUE(get(2, demo::indexPagePath(2, book)));  // a download starts afresh
    int failed = 0;
    for (int n = 1; n <= 100; ++n) {
        auto res = get(2, demo::chapterPagePath(2, book, n));
        ASSERT_TRUE(res);
        if (res->status == 500) {
            ++failed;
            EXPECT_EQ(n % 10, 0) << n;
        }
    }
    EXPECT_EQ(failed, 10);
    // The retry of a failed chapter succeeds, and a new download fails it again.
    auto retry = get(2, demo::chapterPagePath(2, book, 10));
    ASSERT_TRUE(retry);
    EXPECT_EQ(retry->status, 200);
    ASSERT_TRUE(get(2, demo::indexPagePath(2, book)));
    auto again = get(2, demo::chapterPagePath(2, book, 10));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 500);
    // failedAttempts makes a chapter fail more than once.
    knobs.failedAttempts = 1000;
    auto still = get(2, demo::chapterPagePath(2, book, 10));
    ASSERT_TRUE(still);
    EXPECT_EQ(still->status, 500);
}

TEST_F(DemoSitesTest, BrokenAndStalledBodiesFailTheClient) {
    const DemoBook& book = bookByRole("everywhere");
    auto& knobs = sites_->knobs();
    knobs.chapterFailurePercent = 100;
    ASSERT_TRUE(get(3, demo::indexPagePath(3, book)));  // first attempts from here on

    knobs.chapterFault = static_cast<int>(demo::ChapterFault::CloseMidBody);
    auto broken = get(3, demo::chapterPagePath(3, book, 1));
    EXPECT_FALSE(broken);

    knobs.chapterFault = static_cast<int>(demo::ChapterFault::Stall);
    knobs.stallSeconds = 30;
    httplib::Client client("127.0.0.1", sites_->port(3));
    client.set_read_timeout(std::chrono::milliseconds(300));
    auto stalled = client.Get(demo::chapterPagePath(3, book, 2).c_str());
    EXPECT_FALSE(stalled);
    // The non-chapter pages are untouched by the chapter knobs.
    auto bookPage = get(3, demo::bookPagePath(3, book));
    ASSERT_TRUE(bookPage);
    EXPECT_EQ(bookPage->status, 200);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A whole download from each chapter site, with every tenth chapter failing once, saves the
// catalogue's book byte for byte.
TEST_F(DemoSitesTest, DownloadsFromEverySiteSaveTheCatalogueBook) {
    const DemoBook& book = bookByRole("spaced");
    sites_->knobs().chapterFailurePercent = 10;
    for (int site = 2; site <= 6; ++site) {
        SCOPED_TRACE(site);
        testing::AppFixture fixture([&](AppSettings& s) { demo::useDemoSites(s, *sites_); });
        const ResultSlot slot = demo::expectedSlot(*sites_, book, site);
        fixture.app().search.resultSlots[site].set(slot);
        fixture.app().search.selectedSite = site;
        startDownload(fixture.app());
        ASSERT_TRUE(fixture.waitIdle());
        const std::string file = gbkToUtf8(slot.name + "-" + slot.author + ".txt");
        EXPECT_EQ(gbkToUtf8(readFile(fixture.dir() / file)),
                  gbkToUtf8(demo::expectedBookFile(book)));
    }
}

TEST(DemoSitesLifecycle, StopEndsStalledResponsesAndCountsRequests) {
    demo::DemoSites sites;
    ASSERT_TRUE(sites.start());
    const long before = sites.requestCount();
    sites.knobs().chapterFailurePercent = 100;
    sites.knobs().chapterFault = static_cast<int>(demo::ChapterFault::Stall);
    sites.knobs().stallSeconds = 600;
    std::thread waiter([&] {
        httplib::Client client("127.0.0.1", sites.port(6));
        client.Get(demo::chapterPagePath(6, bookByRole("everywhere"), 1).c_str());
    });
    ASSERT_TRUE(testing::waitUntil([&] { return sites.requestCount() > before; }));
    sites.stop();  // would hang for the stall if it did not cut it short
    waiter.join();
    EXPECT_EQ(sites.requestCount(), before + 1);
}

}  // namespace
}  // namespace pel
