// The chapter index of each site: which links become chapters, their addresses and titles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/download_start.h"
#include "loopback_server.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

using testing::AppFixture;
using testing::LoopbackServer;

// "{base}" and "{host}" stand for the server's address with and without the scheme.
std::string fill(std::string text, const LoopbackServer& server) {
    for (auto [key, value] : {std::pair<std::string, std::string>{"{base}", server.baseUrl()},
                              {"{host}", server.hostPort()}}) {
        for (std::size_t at; (at = text.find(key)) != std::string::npos;) {
            text.replace(at, key.size(), value);
        }
    }
    return text;
}

struct IndexCase {
    int site;
    const char* bookPath;
    const char* page;  // UTF-8
    std::vector<const char*> urls;
    std::vector<const char*> titles;  // UTF-8
    const char* method;
    const char* startMarker;  // UTF-8
    const char* endMarker;
};

const IndexCase kCases[] = {
    {2,
     "/2/book/",
     "<dl>\r\n<dt>最新章节</dt>\r\n<dd><a href=\"/2/1.html\">第一章 开端</a></dd>\r\n"
     "<dd><a href=\"http://{host}/2/2.html\">第二章</a></dd>\r\n"
     "<dd><a href=\"/2/3.html\">第二章</a></dd>\r\n</dl>\r\n",
     {"{host}/2/1.html", "http://{host}/2/2.html", "{host}/2/3.html"},
     {"第一章 开端", "第二章", "第二章"},
     "GET",
     "<div id=\"content\">",
     "<script>read3();</script><script>bdshare();</script>\r"},
    {3,
     "/3/book/",
     "<tr><td class=\"L\"><a href=\"1.html\">第一章</a></td>\r\n"
     "<td class=\"L\"><a href=\"2.html\">第二章</a></td></tr>\r\n",
     {"{base}/3/book/1.html", "{base}/3/book/2.html"},
     {"第一章", "第二章"},
     "GET",
     "<dd id=\"contents\">",
     "</dd>\r"},
    {4,
     "/4/book/",
     "<li><a href=\"0.html\">前言</a></li>\r\n<!--章节目录-->\r\n"
     "<li><a href=\"1.html\">第一章</a></li>\r\n<li><a href=\"2.html\">第二章</a></li>\r\n"
     "<div class=\"clear\"></div>\r\n<li><a href=\"9.html\">页脚</a></li>\r\n",
     {"{base}/4/book/1.html", "{base}/4/book/2.html"},
     {"第一章", "第二章"},
     "GET",
     "&nbsp;&nbsp;&nbsp;&nbsp;",
     "</div>\r"},
    {5,
     "/5/book/",
     "<li><a href=\"http://{host}/5/1.html\" title=\"第一章 标题\">第一章</a></li>\r\n"
     "<li><a href=\"http://{host}/5/2.html\" title=\"第二章\">第二章</a></li>\r\n",
     {"{host}/5/1.html", "{host}/5/2.html"},
     {"第一章 标题", "第二章"},
     "POST",
     "<div class=\"txt fon_size\" id=\"readcon\">\r",
     "阅读悦,阅读悦精彩!"},
    {6,
     "/6/book/",
     "<li><a href=\"http://{host}/6/1.html\" title=\"第一章\">链接一</a></li>\n"
     "<li><a href=\"/6/2.html\" title=\"第二章\">链接二</a></li>\n",
     {"http://{host}/6/1.html", "/6/2.html"},
     {"第一章", "第二章"},
     "POST",
     "style5();</script>",
     "<script type=\"text/javascript\">style6()"},
};

class ChapterIndex : public ::testing::Test {
  protected:
    LoopbackServer server;
    AppFixture fixture{[this](AppSettings& s) {
        s.sites.baseUrl[2] = server.baseUrl();
        s.sites.domainMarker[2] = server.hostPort();
    }};

    void build(int site, const std::string& bookPath) {
        AppState& app = fixture.app();
        app.download.downloadSite.store(site);
        app.download.downloadBookUrl = server.baseUrl() + bookPath;
        buildChapterTable(app);
    }
};

TEST_F(ChapterIndex, EachSiteRowGivesItsAddressesTitlesAndMarkers) {
    for (const IndexCase& c : kCases) {
        SCOPED_TRACE(c.site);
        server.page(c.bookPath, gbk(fill(c.page, server)));
        build(c.site, c.bookPath);
        const AppState& app = fixture.app();
        const ChapterTable& table = app.download.chapterTable;
        ASSERT_EQ(app.download.chapterCount.load(), static_cast<int>(c.urls.size()));
        ASSERT_EQ(table.chapterUrls.size(), c.urls.size());
        ASSERT_EQ(table.chapterTitles.size(), c.urls.size());
        EXPECT_EQ(table.chapterTexts, std::vector<Text>(c.urls.size()));
        for (std::size_t i = 0; i < c.urls.size(); ++i) {
            EXPECT_EQ(table.chapterUrls[i], fill(c.urls[i], server)) << i;
            EXPECT_EQ(table.chapterTitles[i], gbk(c.titles[i])) << i;
        }
        EXPECT_EQ(server.lastMethodFor(c.bookPath), c.method);
        EXPECT_EQ(app.download.contentStartMarker, gbk(c.startMarker));
        EXPECT_EQ(app.download.contentEndMarker, gbk(c.endMarker));
        EXPECT_EQ(app.download.chaptersDone.load(), 0);
    }
}

TEST_F(ChapterIndex, PatternsEndingInCarriageReturnFindNothingInBareLineFeeds) {
    // Site 4's cut markers and the site 4 and 5 patterns all end in "\r".
    const struct {
        int site;
        std::string page;
    } cases[] = {
        {4,
         "<!--章节目录-->\r\n<li><a href=\"1.html\">一</a></li>\n<div class=\"clear\"></div>\r\n"},
        {4, "<!--章节目录-->\n<li><a href=\"1.html\">一</a></li>\r\n<div class=\"clear\"></div>\n"},
        {5, "<li><a href=\"http://h/5/1.html\" title=\"一\">一</a></li>\n"},
    };
    for (const auto& c : cases) {
        server.page("/lf/", gbk(c.page));
        build(c.site, "/lf/");
        EXPECT_EQ(fixture.app().download.chapterCount.load(), 0) << c.page;
        EXPECT_TRUE(fixture.app().download.chapterTable.chapterUrls.empty());
    }
}

TEST_F(ChapterIndex, AFailedIndexFetchGivesAnEmptyTable) {
    server.page("/2/book/", gbk(fill(kCases[0].page, server)));
    build(2, "/2/book/");
    ASSERT_EQ(fixture.app().download.chapterCount.load(), 3);
    build(2, "/missing/");
    EXPECT_EQ(fixture.app().download.chapterCount.load(), 0);
    EXPECT_TRUE(fixture.app().download.chapterTable.chapterTitles.empty());
}

}  // namespace
}  // namespace pel
