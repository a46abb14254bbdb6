// Downloads of a book seen before: chapters kept in the chapter cache are taken from it without a
// request, only the missing and new ones are fetched, and the saved book is what a download
// without the cache would save.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "download/download_start.h"
#include "loopback_server.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

namespace fs = std::filesystem;
using testing::AppFixture;
using testing::LoopbackServer;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string chapterPage(int i) {
    const std::string n = std::to_string(i);
    return gbk("<html>\r\n<div id=\"content\">&nbsp;&nbsp;正文" + n +
               "。<br />\r\n<script>read3();</script><script>bdshare();</script>\r\n</div>\r\n"
               "</html>");
}

class CachedDownload : public ::testing::Test {
  protected:
    LoopbackServer server;
    const fs::path cacheDir = testing::makeTempDirectory("chapter-cache") / "chapters";
    std::unique_ptr<AppFixture> fixture = makeApp();
    // Chapters (bit i: chapter i) whose page lacks its content while set; read by the server.
    std::atomic<unsigned> broken{0};

    std::unique_ptr<AppFixture> makeApp(bool readCache = true) {
        auto app = std::make_unique<AppFixture>([&](AppSettings& s) {
            s.sites.baseUrl[2] = server.baseUrl();
            s.sites.domainMarker[2] = server.hostPort();
            s.chapterCacheDirectory = cacheDir;
            s.readChapterCache = readCache;
        });
        return app;
    }

    int renamedChapter = 0;  // this chapter's title carries a new name

    std::string title(int i) const {
        return "第" + std::to_string(i) + "章" + (i == renamedChapter ? " 新名" : "");
    }

    // What the book holds for chapters 1..count, with the chapters in `empty` left empty.
    std::string expectedBook(int count, const std::set<int>& empty = {}) const {
        std::string book;
        for (int i = 1; i <= count; ++i) {
            const std::string n = std::to_string(i);
            book += title(i) + "\r\n" + (empty.count(i) ? "" : "正文" + n + "。\r\n") + "\r\n";
        }
        return gbk(book);
    }

    // The index of chapters 1..count of the book "b" on site 2; the pages answer at once.
    void offerChapters(int count) {
        std::string index = "<html>\r\n<dl>\r\n";
        for (int i = 1; i <= count; ++i) {
            const std::string n = std::to_string(i);
            index += "<dd><a href=\"/b/" + n + ".html\">" + title(i) + "</a></dd>\r\n";
            server.handle("/b/" + n + ".html", [this, i](const std::string&, int) {
                return (broken.load() >> i) & 1u ? gbk("<html>改版了</html>") : chapterPage(i);
            });
        }
        server.page("/b/", gbk(index + "</dl>\r\n</html>\r\n"));
    }

    void download(AppFixture& app) {
        ResultSlot slot;
        slot.bookUrl = server.baseUrl() + "/b/";
        slot.name = gbk("缓存");
        app.app().search.resultSlots[2].set(slot);
        app.app().search.selectedSite.store(2);
        app.window().clear();
        startDownload(app.app());
        ASSERT_TRUE(app.waitIdle());
        EXPECT_FALSE(app.app().download.downloadInProgress.load());
    }

    std::string savedBook(const AppFixture& app) {
        return readFile(app.dir() / gbkToUtf8(gbk("缓存.txt")));
    }

    // Requests for each chapter page 1..count.
    std::vector<int> chapterRequests(int count) {
        std::vector<int> requests;
        for (int i = 1; i <= count; ++i)
            requests.push_back(server.requestsFor("/b/" + std::to_string(i) + ".html"));
        return requests;
    }

    std::vector<fs::path> entryFiles() {
        std::vector<fs::path> entries;
        for (const auto& book : fs::directory_iterator(cacheDir)) {
            for (const auto& file : fs::directory_iterator(book.path())) {
                if (file.path().filename() != "used")
                    entries.push_back(file.path());
            }
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }
};

TEST_F(CachedDownload, ASecondDownloadRequestsOnlyTheIndexAndSavesTheSameBytes) {
    offerChapters(6);
    download(*fixture);
    const std::string first = savedBook(*fixture);
    EXPECT_EQ(first, expectedBook(6));
    EXPECT_EQ(chapterRequests(6), std::vector<int>(6, 1));

    // Pressed again in the same run, and again after a restart on the same folder.
    download(*fixture);
    EXPECT_EQ(savedBook(*fixture), first);
    EXPECT_EQ(fixture->app().bannerText.get(), gbk("保存成功"));
    EXPECT_EQ(fixture->shell().exploredDirectories().size(), 2u);
    EXPECT_EQ(fixture->window().textsOf(Control::StatusLabel).front(), gbk("6/ 6/ 线程：0"));
    auto restarted = makeApp();
    download(*restarted);
    EXPECT_EQ(savedBook(*restarted), first);
    EXPECT_EQ(server.requestsFor("/b/"), 3);
    EXPECT_EQ(chapterRequests(6), std::vector<int>(6, 1));

    // Without reading the cache every chapter is fetched again, into the same bytes.
    auto uncached = makeApp(false);
    download(*uncached);
    EXPECT_EQ(savedBook(*uncached), first);
    EXPECT_EQ(chapterRequests(6), std::vector<int>(6, 2));
}

TEST_F(CachedDownload, HolesOfAFailedRunAreFetchedOnceTheSiteHeals) {
    offerChapters(6);
    broken = (1u << 2) | (1u << 5);
    download(*fixture);
    EXPECT_EQ(savedBook(*fixture), expectedBook(6, {2, 5}));
    EXPECT_EQ(fixture->app().bannerText.get(), gbk("保存成功 2章为空"));
    // Each broken chapter was tried three times (two retries); no empty record was kept.
    EXPECT_EQ(chapterRequests(6), (std::vector<int>{1, 3, 1, 1, 3, 1}));
    EXPECT_EQ(entryFiles().size(), 4u);

    broken = 0;
    download(*fixture);
    EXPECT_EQ(chapterRequests(6), (std::vector<int>{1, 4, 1, 1, 4, 1}));
    EXPECT_EQ(savedBook(*fixture), expectedBook(6));
    EXPECT_EQ(fixture->app().bannerText.get(), gbk("保存成功"));
    EXPECT_EQ(fixture->app().download.emptyChapters.load(), 0);
}

TEST_F(CachedDownload, NewChaptersOfAGrownIndexAreTheOnlyOnesFetched) {
    offerChapters(4);
    download(*fixture);
    offerChapters(7);
    download(*fixture);
    EXPECT_EQ(chapterRequests(7), std::vector<int>(7, 1));
    EXPECT_EQ(savedBook(*fixture), expectedBook(7));

    // A chapter renamed in the index is fetched again, and saved under its new title.
    renamedChapter = 2;
    offerChapters(7);
    download(*fixture);
    EXPECT_EQ(chapterRequests(7), (std::vector<int>{1, 2, 1, 1, 1, 1, 1}));
    EXPECT_EQ(savedBook(*fixture), expectedBook(7));
    // The progress starts at the cached chapters and never counts below them.
    const std::vector<Text> labels = fixture->window().textsOf(Control::StatusLabel);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), gbk("6/ 7/ 线程：0"));
    for (const Text& label : labels) {
        if (label.find(gbk("/ 7/ 线程：")) != Text::npos) {
            EXPECT_GE(std::stoi(label), 6) << gbkToUtf8(label);
        }
    }
}

TEST_F(CachedDownload, ADamagedEntryIsFetchedAgainAndNeverSaved) {
    offerChapters(5);
    download(*fixture);
    std::vector<fs::path> entries = entryFiles();
    ASSERT_EQ(entries.size(), 5u);
    // One entry cut short, one with a byte of its record changed, one emptied.
    fs::resize_file(entries[0], fs::file_size(entries[0]) - 3);
    {
        std::fstream file(entries[1], std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(-4, std::ios::end);
        file.put('X');
    }
    fs::resize_file(entries[2], 0);

    auto restarted = makeApp();
    download(*restarted);
    int requests = 0;
    for (int n : chapterRequests(5))
        requests += n;
    EXPECT_EQ(requests, 5 + 3);
    EXPECT_EQ(savedBook(*restarted), expectedBook(5));
    EXPECT_EQ(restarted->app().bannerText.get(), gbk("保存成功"));
    // Stored again whole: a third download needs no chapter.
    download(*restarted);
    int after = 0;
    for (int n : chapterRequests(5))
        after += n;
    EXPECT_EQ(after, requests);
}

}  // namespace
}  // namespace pel
