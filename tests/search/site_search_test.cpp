// The six site workers against small fixture pages on a loopback site: the slot, the book
// address, the thumbnail and the one progress step of every path.
#include <gtest/gtest.h>

#include "search/loopback_site.h"
#include "search/result_page.h"
#include "search/search_run.h"
#include "search/site_search.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

using testing::AppFixture;
using testing::LoopbackSite;

struct Served {
    std::string path;
    std::string body;  // UTF-8 with {BASE} and {HOST}; GBK on the wire for sites 2..6
    int status = 200;
    bool raw = false;  // bytes as they stand (pictures)
};

// Slot texts in UTF-8, with {BASE} for the site's address.
struct ExpectedSlot {
    std::string bookUrl, author, name, latestChapter, coverUrl, introduction;
};

struct SiteCase {
    std::string label;
    int site;
    std::vector<Served> pages;
    bool untouched = false;  // the slot keeps what the previous search left
    ExpectedSlot slot;
    std::string caption;  // UTF-8; empty: no thumbnail
};

const ResultSlot kPreviousSearch{"old-book",   "old-author", "old-name",
                                 "old-latest", "old-cover",  "old-intro"};
const std::string kNoIntro = "\r\n- - - 暂 无 简 介 - - -";
const std::string kPicture = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10);

std::string expand(std::string text, const LoopbackSite& web) {
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"{BASE}", web.base()}, {"{HOST}", web.host()}}) {
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
            text.replace(at, key.size(), value);
            at += value.size();
        }
    }
    return text;
}

// Runs one worker on this thread, as the search start would with the progress at 1.
void runWorker(AppState& app, RecordingWindow& window, int site, const Text& keyword) {
    window.recordUserText(Control::SearchBox, keyword);
    app.search.searchProgress = 1;
    if (site == 1) {
        runDirectDownloadSiteSearch(app, 0);
    } else {
        runSiteSearch(app, site);
    }
}

class SiteWorker {
  public:
    SiteWorker()
        : fixture_([this](AppSettings& settings) {
              for (int s = 1; s <= kSiteCount; ++s) {
                  settings.sites.baseUrl[s] = web.base();
                  settings.sites.domainMarker[s] = web.host();
              }
          }) {
        for (int s = 1; s <= kSiteCount; ++s) {
            app().search.resultSlots[s].set(kPreviousSearch);
        }
    }
    AppState& app() { return fixture_.app(); }
    RecordingWindow& window() { return fixture_.window(); }
    void run(int site, const Text& keyword) { runWorker(app(), window(), site, keyword); }
    Text thumbnails() {
        std::lock_guard lock(app().search.thumbnailMutex);
        return app().search.resultListHtml;
    }

    LoopbackSite web;  // before the fixture: it must outlive the app's threads

  private:
    AppFixture fixture_;
};

void checkCase(const SiteCase& c) {
    SCOPED_TRACE(c.label);
    SiteWorker w;
    for (const Served& page : c.pages) {
        const std::string body = expand(page.body, w.web);
        w.web.serve(page.path, page.raw || c.site == 1 ? body : gbk(body), page.status);
    }
    w.run(c.site, gbk("星河"));

    EXPECT_EQ(w.app().search.searchProgress.load(), 2) << "exactly one progress step";
    const ResultSlot got = w.app().search.resultSlots[c.site].get();
    if (c.untouched) {
        EXPECT_EQ(got.bookUrl, kPreviousSearch.bookUrl);
        EXPECT_EQ(got.author, kPreviousSearch.author);
        EXPECT_EQ(got.name, kPreviousSearch.name);
        EXPECT_EQ(got.latestChapter, kPreviousSearch.latestChapter);
        EXPECT_EQ(got.coverUrl, kPreviousSearch.coverUrl);
        EXPECT_EQ(got.introduction, kPreviousSearch.introduction);
    } else {
        EXPECT_EQ(gbkToUtf8(got.name), c.slot.name);
        EXPECT_EQ(gbkToUtf8(got.author), c.slot.author);
        EXPECT_EQ(gbkToUtf8(got.latestChapter), c.slot.latestChapter);
        EXPECT_EQ(gbkToUtf8(got.introduction), c.slot.introduction);
        EXPECT_EQ(gbkToUtf8(got.coverUrl), expand(c.slot.coverUrl, w.web));
        EXPECT_EQ(gbkToUtf8(got.bookUrl), expand(c.slot.bookUrl, w.web));
    }
    const Text expectedLines = c.caption.empty() ? Text{}
                                                 : resultLine(gbk(expand(c.slot.coverUrl, w.web)),
                                                              gbk(c.caption), decimal(c.site));
    EXPECT_EQ(gbkToUtf8(w.thumbnails()), gbkToUtf8(expectedLines));
}

// ---- site 1: UTF-8 pages, marker cuts, a download link as the book address

const std::string kSite1Search =
    "<dl id=\"plist\"><dt><a href=\"{BASE}/book/1.html\">《星 河》</a></dt><dd>a</dd></dl>\n"
    "<dl id=\"plist\"><dt><a href=\"{BASE}/book/other.html\">《别的》</a></dt><dd>b</dd></dl>";
const std::string kSite1Book =
    "<div><a target=\"_blank\" href=\"{BASE}/download.php?id=77\" rel=\"nofollow\">"
    "<img src=\"{BASE}/files/1s.jpg\" title=\"点我看大图\" /></a>\n"
    "<h2>《星 河》</h2><img alt=\"作者：林 一\" border=\"0\" />\n"
    "<p>【内容简介】：第一段　　第二 段<br/>第三段&nbsp;完</p>\n"
    "<a href=\"#\">点击下载</a></div>";
const std::string kSite1Download =
    "<div>下载地址＆TXT：<a href=\"{BASE}/files/77.txt\" target=\"_blank\">一</a>"
    "<a href=\"{BASE}/files/78.txt\" target=\"_blank\">二</a></div><p>下载声明</p>";

TEST(DirectDownloadSiteSearch, FillsTheSlotFromTheFirstHitAndAddsItsThumbnail) {
    const SiteCase cases[] = {
        {"hit with a download link",
         1,
         {{"/index.php", kSite1Search},
          {"/book/1.html", kSite1Book},
          {"/download.php", kSite1Download}},
         false,
         {"{BASE}/files/77.txt", "林 一", "星 河", "- - - 已 完 本 - - -", "{BASE}/files/1s.jpg",
          "第一段第二段第三段完"},
         "知轩：《星 河》 作者：林 一"},
        {"download page without the link block",
         1,
         {{"/index.php", kSite1Search},
          {"/book/1.html", kSite1Book},
          {"/download.php", "<p>暂停下载</p>"}},
         false,
         {"", "林 一", "星 河", "- - - 已 完 本 - - -", "{BASE}/files/1s.jpg",
          "第一段第二段第三段完"},
         ""},
        {"book page without the block",
         1,
         {{"/index.php", kSite1Search},
          {"/book/1.html", "<p>nothing</p>"},
          {"/download.php", kSite1Download}},
         false,
         {"{BASE}/files/77.txt", "", "", "- - - 已 完 本 - - -", "", kNoIntro},
         "知轩：《》 作者："},
        {"search page without a hit list", 1, {{"/index.php", "<p>没有</p>"}}, true, {}, ""},
    };
    for (const SiteCase& c : cases) {
        checkCase(c);
    }
}

TEST(DirectDownloadSiteSearch, SendsTheKeywordInUtf8AndAsksForTheBookIdItFound) {
    SiteWorker w;
    w.web.serve("/index.php", expand(kSite1Search, w.web));
    w.web.serve("/book/1.html", expand(kSite1Book, w.web));
    w.web.serve("/download.php", expand(kSite1Download, w.web));
    w.run(1, gbk("小"));
    const std::vector<std::string> expected = {"/index.php?keyword=%E5%B0%8F", "/book/1.html",
                                               "/download.php?id=77"};
    EXPECT_EQ(w.web.targets(), expected);
}

TEST(DirectDownloadSiteSearch, AnEmptyHitListEndsAfterOneRequest) {
    SiteWorker w;
    w.web.serve("/index.php", "<html>no list</html>");
    w.run(1, gbk("小"));
    EXPECT_EQ(w.web.targets().size(), 1u);
    EXPECT_EQ(w.app().search.resultSlots[1].get().name, kPreviousSearch.name);
    EXPECT_EQ(w.app().search.searchProgress.load(), 2);
}

// ---- sites 2 to 6

const std::string kSite2Search =
    "<tr><td class=\"odd\"><a href=\"{BASE}/book/2.html\">星河</a></td></tr>\r\n";
std::string site2Book(const std::string& img) {
    return "<html><body>\r\n<div id=\"info\">\r\n<h1>星 河</h1>\r\n"
           "<p>作&nbsp;&nbsp;者：林 一</p>\r\n"
           "<p>最新章节：<a href=\"/b/1/9.html\">第九章 归来</a></p>\r\n"
           "<div id=\"intro\">\r\n<p>一段 简介</p>\r\n</div>\r\n"
           "<img src=\"" +
           img +
           "\" onerror=\"this.src='/x.jpg'\">\r\n"
           "<div id=\"list\">\r\n<dl></dl></div></body></html>";
}

const std::string kSite3Book =
    "<div id=\"content\">\r\n<h1>星 河全文阅读</h1>\r\n"
    "<a href=\"{BASE}/html/3/\"><img src=\"/files/3s.jpg\" onerror=\"x\"></a>\r\n"
    "<table><tr><th>文章作者</th><td>林 二</td><th>文章状态</th><td>连载</td></tr></table>\r\n"
    "<p>最新章节：<a href=\"/b/3/9.html\">第九章</a></p>\r\n"
    "<p>内容简介：<p>第一行<br />第二 行</p><p style=\"c\"></p>\r\n"
    "<font class=\"fr\">x</font>";

const std::string kCharsetMeta =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\r\n";
std::string site4Book(const std::string& latest) {
    return kCharsetMeta +
           "<div class=\"catalog1\">\r\n<h1>星 河</h1>\r\n"
           "<img src=\"{BASE}/files/image/4/44/44s.jpg\" width=\"120\">\r\n"
           "<p><span>作者：<a href=\"/author/1\">林 四</a></span><span>状态：连载</span></p>\r\n"
           "<p>最新章节：<a href=\"/b/4/9.html\">" +
           latest +
           "</a></p>\r\n"
           "<div class=\"last9\"></div>";
}

const std::string kSite5Search =
    "<h6><a class=\"f-black\" href=\"{BASE}/book/5.html\" target=\"_blank\">星河</a></h6>";
const std::string kSite5Book =
    "<meta property=\"og:type\" content=\"novel\"/>\r\n"
    "<meta property=\"og:title\" content=\"星 河\"/>\r\n"
    "<meta property=\"og:image\" content=\"/files/5s.jpg\"/>\r\n"
    "<meta property=\"og:description\" content=\"甲&NBSP;乙<BR />丙&nbsp;丁<br />\n\"/>\r\n"
    "<meta property=\"og:novel:category\" content=\"玄幻\"/>\r\n"
    "<meta property=\"og:novel:author\" content=\"林 五\"/>\r\n"
    "<meta property=\"og:novel:book_name\" content=\"星 河\"/>\r\n"
    "<meta property=\"og:novel:read_url\" content=\"{BASE}/read/5/\"/>\r\n"
    "<meta property=\"og:novel:status\" content=\"连载\"/>\r\n"
    "<meta property=\"og:novel:update_time\" content=\"2026-01-01\"/>\r\n"
    "<meta property=\"og:novel:latest_chapter_url\" content=\"{BASE}/read/5/9.html\"/>\r\n"
    "<meta property=\"og:novel:latest_chapter_name\" content=\"第 九 章\"/>\r\n";

const std::string kSite6Search =
    "<li><a target=\"_blank\" href=\"{BASE}/book/6.html\" class=\"l mr10\">星河</a></li>";
std::string site6Book(const std::string& readUrl) {
    std::string page =
        "<META property=\"og:type\" content=\"novel\"/>\r\n"
        "<meta property=\"og:title\" content=\"星 河\"/>\r\n"
        "<meta property=\"og:image\" content=\"{BASE}/files/6s.jpg\"/>\r\n"
        "<meta property=\"og:description\" content=\"第一行<br />第二&nbsp;行\"/>\r\n"
        "<meta property=\"og:novel:author\" content=\"林 六\"/>\r\n"
        "<meta property=\"og:novel:category\" content=\"玄幻\"/>\r\n"
        "<meta property=\"og:novel:status\" content=\"连载\"/>\r\n"
        "<meta property=\"og:novel:update_time\" content=\"2026\"/>\r\n"
        "<meta property=\"og:novel:latest_chapter_name\" content=\"第 九 章\"/>\r\n";
    if (!readUrl.empty()) {
        page += "<meta property=\"og:novel:read_url\" content=\"" + readUrl + "\"/>\r\n";
    }
    return page;
}

const std::string kSearch2 = "/modules/article/soshu.php";
const std::string kSearch = "/modules/article/search.php";

TEST(SiteSearch, FillsEachSiteSlotAsItsPagesSay) {
    const SiteCase cases[] = {
        {"site 2 hit, relative cover gets the base address",
         2,
         {{kSearch2, kSite2Search},
          {"/book/2.html", site2Book("/files/2s.jpg")},
          {"/files/2s.jpg", kPicture, 200, true}},
         false,
         {"{BASE}/book/2.html", "林一", "星河", "第九章归来", "{BASE}/files/2s.jpg", "一段简介"},
         "笔趣：《星河》作者：林一"},
        {"site 2 absolute cover with the domain marker stays, the probe says missing",
         2,
         {{kSearch2, kSite2Search},
          {"/book/2.html", site2Book("{BASE}/abs/2.jpg")},
          {"/abs/2.jpg", "<h1>找不到文件</h1>", 404}},
         false,
         {"{BASE}/book/2.html", "林一", "星河", "第九章归来", "zwfm.jpg", "一段简介"},
         "笔趣：《星河》作者：林一"},
        {"site 2 without a hit: the search page is the book page, no thumbnail",
         2,
         {{kSearch2, site2Book("/files/2s.jpg")}},
         false,
         {"", "林一", "星河", "第九章归来", "{BASE}/files/2s.jpg", "一段简介"},
         ""},
        {"site 2 book page without the block",
         2,
         {{kSearch2, kSite2Search}, {"/book/2.html", "<div id=\"info\">no end"}},
         true,
         {},
         ""},
        {"site 3 hit",
         3,
         {{kSearch, kSite2Search}, {"/book/2.html", kSite3Book}},
         false,
         {"{BASE}/html/3/", "林二", "星河", "第九章", "{BASE}/files/3s.jpg", "第一行\r\n第二行"},
         "顶点：《星河》作者：林二"},
        {"site 3 block without a link gets \"/\" and still a thumbnail",
         3,
         {{kSearch, "<div id=\"content\"><h1>星 河</h1></div><font class=\"fr\">"}},
         false,
         {"/", "", "星河", "", "{BASE}", kNoIntro},
         "顶点：《星河》作者："},
        {"site 4 hit",
         4,
         {{kSearch, kCharsetMeta + kSite2Search},
          {"/book/2.html", site4Book("第一卷》正文 第十章 章节目录")}},
         false,
         {"{BASE}/book/2.html", "林四", "星河", "第十章", "{BASE}/files/image/4/44/44s.jpg",
          kNoIntro},
         "无名：《星河》作者：林四"},
        {"site 4 without a hit derives the book address from the cover",
         4,
         {{kSearch, site4Book("第一卷》正文")}},
         false,
         {"{BASE}/4/44/", "林四", "星河", "第一卷", "{BASE}/files/image/4/44/44s.jpg", kNoIntro},
         "无名：《星河》作者：林四"},
        {"site 4 without a hit and without a cover: the base address alone",
         4,
         {{kSearch, site4Book("第十章")}, {"/files/image/4/44/44s.jpg", "找不到文件", 404}},
         false,
         {"{BASE}", "林四", "星河", "第十章", "zwfm.jpg", kNoIntro},
         "无名：《星河》作者：林四"},
        {"site 4's search page comes through the second client, which converts UTF-8",
         4,
         {{kSearch, "<meta charset=\"utf-8\">\r\n" + site4Book("第十章"), 200, true}},
         false,
         {"{BASE}/4/44/", "林四", "星河", "第十章", "{BASE}/files/image/4/44/44s.jpg", kNoIntro},
         "无名：《星河》作者：林四"},
        {"site 5 hit: removals in any letter case, spaces kept, no base before the cover",
         5,
         {{kSearch, kSite5Search}, {"/book/5.html", kSite5Book}},
         false,
         {"{BASE}/read/5/", "林 五", "星 河", "第 九 章", "/files/5s.jpg", "甲乙丙丁"},
         "阅读：《星 河》作者：林 五"},
        {"site 5 with an empty search page", 5, {{kSearch, ""}}, true, {}, ""},
        {"site 6 hit",
         6,
         {{kSearch, kSite6Search},
          {"/book/6.html", site6Book("{BASE}/read/6/index.html")},
          {"/files/6s.jpg", kPicture, 200, true}},
         false,
         {"{BASE}/read/6/", "林 六", "星 河", "第 九 章", "{BASE}/files/6s.jpg",
          "第一行\r\n第二行"},
         "全书：《星 河》作者：林 六"},
        {"site 6 cover probe answering 404",
         6,
         {{kSearch, kSite6Search},
          {"/book/6.html", site6Book("{BASE}/read/6/index.html")},
          {"/files/6s.jpg", "404 Not Found", 404}},
         false,
         {"{BASE}/read/6/", "林 六", "星 河", "第 九 章", "zwfm.jpg", "第一行\r\n第二行"},
         "全书：《星 河》作者：林 六"},
        {"site 6 with nine matches writes nothing",
         6,
         {{kSearch, kSite6Search}, {"/book/6.html", site6Book("")}},
         true,
         {},
         ""},
        {"site 6 book address without a slash: no thumbnail",
         6,
         {{kSearch, kSite6Search},
          {"/book/6.html", site6Book("index")},
          {"/files/6s.jpg", kPicture, 200, true}},
         false,
         {"", "林 六", "星 河", "第 九 章", "{BASE}/files/6s.jpg", "第一行\r\n第二行"},
         ""},
    };
    for (const SiteCase& c : cases) {
        checkCase(c);
    }
}

// A link without a scheme is fetched as plain http, as fetchPage sends it; a link of any
// other scheme is never fetched. Site 2's hit and its cover probe, and site 1's hit.
TEST(SiteSearch, LinksWithoutASchemeAreFetchedAndOtherSchemesAreNot) {
    struct Form {
        std::string link;  // the hit, with {BASE} and {HOST}
        bool fetched;
    };
    const Form forms[] = {
        {"{BASE}/book/2.html", true}, {"{HOST}/book/2.html", true}, {"file:///book/2.html", false},
        {"javascript:x", false},      {"mailto:", false},
    };
    for (const Form& form : forms) {
        SiteCase c{"site 2 hit " + form.link,
                   2,
                   {{kSearch2,
                     "<tr><td class=\"odd\"><a href=\"" + form.link + "\">星河</a></td></tr>\r\n"},
                    {"/book/2.html", site2Book("{HOST}/abs/2.jpg")},
                    {"/abs/2.jpg", "<h1>找不到文件</h1>", 404}},
                   !form.fetched,
                   {},
                   ""};
        if (form.fetched) {
            // The probe of the scheme-less cover found it missing.
            c.slot = {form.link, "林一", "星河", "第九章归来", "zwfm.jpg", "一段简介"};
            c.caption = "笔趣：《星河》作者：林一";
        }
        checkCase(c);
    }

    std::string site1Search = kSite1Search;
    site1Search.replace(site1Search.find("{BASE}"), 6, "{HOST}");
    checkCase({"site 1 hit without a scheme",
               1,
               {{"/index.php", site1Search},
                {"/book/1.html", kSite1Book},
                {"/download.php", kSite1Download}},
               false,
               {"{BASE}/files/77.txt", "林 一", "星 河", "- - - 已 完 本 - - -",
                "{BASE}/files/1s.jpg", "第一段第二段第三段完"},
               "知轩：《星 河》 作者：林 一"});
}

TEST(SiteSearch, SendsTheKeywordPercentEncodedByteByByte) {
    struct Case {
        int site;
        std::string target;
    };
    const Case cases[] = {
        {2, "/modules/article/soshu.php?searchkey=+%61%62%20%31"},
        {3, "/modules/article/search.php?searchtype=keywords&searchkey=%61%62%20%31"},
        {4, "/modules/article/search.php?searchkey=%61%62%20%31"},
        {5, "/modules/article/search.php?searchkey=+%61%62%20%31"},
        {6, "/modules/article/search.php?searchkey=%61%62%20%31"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.site);
        SiteWorker w;
        w.run(c.site, "ab 1");
        ASSERT_FALSE(w.web.targets().empty());
        EXPECT_EQ(w.web.targets().front(), c.target);
    }
}

TEST(SiteSearch, NoAnswerLeavesEverySlotAndStepsTheProgressOncePerSite) {
    const std::string dead = testing::deadBase();
    AppFixture f([&](AppSettings& settings) {
        for (int s = 1; s <= kSiteCount; ++s) {
            settings.sites.baseUrl[s] = dead;
        }
    });
    AppState& app = f.app();
    for (int site = 1; site <= kSiteCount; ++site) {
        SCOPED_TRACE(site);
        app.search.resultSlots[site].set(kPreviousSearch);
        runWorker(app, f.window(), site, gbk("星河"));
        EXPECT_EQ(app.search.searchProgress.load(), 2);
        EXPECT_EQ(app.search.resultSlots[site].get().bookUrl, kPreviousSearch.bookUrl);
    }
    app.search.searchProgress = 1;
    runSiteSearch(app, 7);  // no such site: nothing but the progress step
    EXPECT_EQ(app.search.searchProgress.load(), 2);

    // The whole search on six threads: seven at the end, and the failure banner.
    f.window().setVisible(Control::DisclaimerLabel, true);
    startSearch(app);
    ASSERT_TRUE(f.waitIdle());
    EXPECT_EQ(app.search.searchProgress.load(), 7);
    EXPECT_EQ(app.bannerText.get(), gbk("搜索失败 技能冷却中"));
}

}  // namespace
}  // namespace pel
