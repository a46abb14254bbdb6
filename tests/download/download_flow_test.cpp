// Whole downloads through the recording window against a loopback site: the saved book byte
// for byte, the worker cap, retries, and the banners that end a download.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "core/shutdown.h"
#include "download/download_start.h"
#include "loopback_server.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

using testing::AppFixture;
using testing::LoopbackServer;

struct Chapter {
    std::string title;  // UTF-8
    std::string body;   // UTF-8, as the page holds it between the markers
};

std::string site2Index(const std::string& book, const std::vector<Chapter>& chapters) {
    std::string page = "<html>\r\n<dl>\r\n";
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        page += "<dd><a href=\"/" + book + "/" + std::to_string(i + 1) + ".html\">" +
                chapters[i].title + "</a></dd>\r\n";
    }
    return gbk(page + "</dl>\r\n</html>\r\n");
}

std::string site2Chapter(const Chapter& chapter) {
    return gbk("<html>\r\n<h1>" + chapter.title + "</h1>\r\n<div id=\"content\">" + chapter.body +
               "<script>read3();</script><script>bdshare();</script>\r\n</div>\r\n</html>");
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Download : public ::testing::Test {
  protected:
    LoopbackServer server;
    AppFixture fixture{[this](AppSettings& s) { useServer(s); }};

    void useServer(AppSettings& s) {
        s.sites.baseUrl[2] = server.baseUrl();
        s.sites.domainMarker[2] = server.hostPort();
    }

    // An app of its own whose thread starts numbered as `refuse` picks fail.
    std::unique_ptr<AppFixture> appRefusing(std::function<bool(int)> refuse) {
        return appWith(
            [&](AppSettings& s) { s.threadStarter = testing::refusingStarter(std::move(refuse)); });
    }

    // An app of its own on the same site with changed settings, slot 2 selected as here.
    std::unique_ptr<AppFixture> appWith(const testing::SettingsAdjust& adjust) {
        auto local = std::make_unique<AppFixture>([&](AppSettings& s) {
            useServer(s);
            adjust(s);
        });
        local->app().search.resultSlots[2].set(app().search.resultSlots[2].get());
        local->app().search.selectedSite.store(2);
        return local;
    }

    AppState& app() { return fixture.app(); }

    // Serves the book on site 2 and puts it in slot 2 as the search would have.
    void offerBook(const std::string& book, const std::vector<Chapter>& chapters, const char* name,
                   const char* author) {
        server.page("/" + book + "/", site2Index(book, chapters));
        for (std::size_t i = 0; i < chapters.size(); ++i) {
            server.page("/" + book + "/" + std::to_string(i + 1) + ".html",
                        site2Chapter(chapters[i]));
        }
        ResultSlot slot;
        slot.bookUrl = server.baseUrl() + "/" + book + "/";
        slot.name = gbk(name);
        slot.author = gbk(author);
        app().search.resultSlots[2].set(slot);
        app().search.selectedSite.store(2);
    }

    void downloadAndWait() { downloadAndWait(fixture); }
    static void downloadAndWait(AppFixture& f) {
        startDownload(f.app());
        ASSERT_TRUE(f.waitIdle());
        EXPECT_FALSE(f.app().download.downloadInProgress.load());
    }

    std::vector<Text> labelsContaining(const char* utf8) {
        std::vector<Text> found;
        for (const Text& t : fixture.window().textsOf(Control::StatusLabel)) {
            if (t.find(gbk(utf8)) != Text::npos)
                found.push_back(t);
        }
        return found;
    }
};

TEST_F(Download, SavesTheCleanedBookByteForByte) {
    offerBook("b1",
              {{"第一章 开端", "第一章 开端<br />\r\n&nbsp;&nbsp;&nbsp;&nbsp;他走进门。<br />\r\n"},
               {"第二章 夜", "<p>天黑了&hellip;</p><br />\r\n(本章完)"},
               {"第三章", "结尾。"}},
              "书/名", "作者*");
    downloadAndWait();

    const std::string expected =
        gbk("第一章 开端\r\n\r\n他走进门。\r\n\r\n"
            "第二章 夜\r\n天黑了</p>\r\n\r\n"
            "第三章\r\n结尾。\r\n");
    const std::filesystem::path file = fixture.dir() / gbkToUtf8(gbk("书名-作者.txt"));
    EXPECT_EQ(readFile(file), expected);
    EXPECT_EQ(app().bannerText.get(), gbk("保存成功"));
    EXPECT_EQ(fixture.shell().exploredDirectories(),
              std::vector<std::string>{fixture.dir().string()});
    EXPECT_TRUE(app().download.chapterTable.chapterTexts.empty());
    EXPECT_EQ(app().download.chaptersDone.load(), 3);
    EXPECT_EQ(app().download.activeWorkers.load(), 0);
    EXPECT_EQ(labelsContaining("正在保存：3/ 3").size(), 1u);

    const std::vector<PropertyWrite> writes = fixture.window().writes();
    ASSERT_FALSE(writes.empty());
    // The download shows its label and frame first, and its fill reaches the end.
    EXPECT_EQ(writes[0].control, Control::StatusLabel);
    EXPECT_EQ(writes[0].property, Property::Visible);
    EXPECT_EQ(writes[1].control, Control::ProgressFrame);
    bool fullFill = false;
    for (const PropertyWrite& w : writes) {
        if (w.control == Control::ProgressFill && w.property == Property::Width &&
            w.number == 273) {
            fullFill = true;
        }
    }
    EXPECT_TRUE(fullFill);
}

TEST_F(Download, NeverRunsMoreThanTheCapAndJoinsInIndexOrder) {
    std::vector<Chapter> chapters;
    std::string expected;
    for (int i = 1; i <= 250; ++i) {
        const std::string n = std::to_string(i);
        chapters.push_back({"第" + n + "章", "正文" + n + "<br />\r\n"});
        expected += "第" + n + "章\r\n正文" + n + "\r\n\r\n";
    }
    offerBook("big", chapters, "长书", "某人");
    // Chapter answers wait until 100 are held at once: a cap that let more through would
    // show a higher count, one that let fewer through would time the gate out below 100.
    server.gateAt("/big/", 100, 5000, 5);
    downloadAndWait();

    EXPECT_EQ(server.maxConcurrent(), 100);
    EXPECT_EQ(readFile(fixture.dir() / gbkToUtf8(gbk("长书-某人.txt"))), gbk(expected));
    EXPECT_EQ(fixture.shell().exploredDirectories().size(), 1u);
    int mostWorkers = 0;
    for (const Text& label : labelsContaining("/ 线程：")) {
        const std::size_t at = label.rfind(gbk("："));
        mostWorkers = std::max(mostWorkers, std::stoi(label.substr(at + 2)));
    }
    EXPECT_LE(mostWorkers, 100);
    EXPECT_GT(mostWorkers, 1);
}

TEST_F(Download, OneSaveWhateverTheFinishingOrderAndASecondDownloadCountsFromZero) {
    offerBook("first", {{"一", "甲"}, {"二", "乙"}}, "前书", "");
    downloadAndWait();
    EXPECT_EQ(readFile(fixture.dir() / gbkToUtf8(gbk("前书.txt"))),
              gbk("一\r\n甲\r\n二\r\n乙\r\n"));

    // The later chapters answer first, so the last chapter is not the last to finish.
    std::vector<Chapter> chapters;
    std::string expected;
    for (int i = 1; i <= 5; ++i) {
        chapters.push_back({"章" + std::to_string(i), "文" + std::to_string(i)});
        expected += "章" + std::to_string(i) + "\r\n文" + std::to_string(i) + "\r\n";
    }
    offerBook("second", chapters, "", "后者");
    for (int i = 1; i <= 5; ++i) {
        const std::string page = site2Chapter(chapters[i - 1]);
        server.handle("/second/" + std::to_string(i) + ".html", [page, i](const std::string&, int) {
            std::this_thread::sleep_for(std::chrono::milliseconds((6 - i) * 30));
            return page;
        });
    }
    fixture.window().clear();
    downloadAndWait();

    EXPECT_EQ(readFile(fixture.dir() / gbkToUtf8(gbk("后者.txt"))), gbk(expected));
    EXPECT_EQ(fixture.shell().exploredDirectories().size(), 2u);
    EXPECT_EQ(app().download.chaptersDone.load(), 5);
    EXPECT_EQ(labelsContaining("正在保存：5/ 5").size(), 1u);
    const std::vector<Text> progress = labelsContaining("/ 5/ 线程：");
    ASSERT_FALSE(progress.empty());
    for (const Text& label : progress) {
        EXPECT_LE(std::stoi(label), 5) << label;
    }
}

TEST_F(Download, RetriesEmptyChaptersAndCountsThoseThatStayEmpty) {
    const Chapter flaky{"第二章", "回来了"};
    offerBook("retry", {{"第一章", "甲"}, flaky, {"第三章", "丙"}}, "重试", "某");
    // Chapter 2 fails once, then answers; chapter 3 never has the content markers.
    server.handle("/retry/2.html", [page = site2Chapter(flaky)](const std::string&, int n) {
        return n == 1 ? std::string() : page;
    });
    server.page("/retry/3.html", gbk("<html>改版了</html>"));
    downloadAndWait();

    EXPECT_EQ(server.requestsFor("/retry/1.html"), 1);
    EXPECT_EQ(server.requestsFor("/retry/2.html"), 2);
    EXPECT_EQ(server.requestsFor("/retry/3.html"), 3);
    EXPECT_EQ(readFile(fixture.dir() / gbkToUtf8(gbk("重试-某.txt"))),
              gbk("第一章\r\n甲\r\n第二章\r\n回来了\r\n第三章\r\n\r\n"));
    EXPECT_EQ(app().bannerText.get(), gbk("保存成功 1章为空"));
    EXPECT_EQ(fixture.shell().exploredDirectories().size(), 1u);
}

TEST_F(Download, AnEmptyIndexEndsTheDownloadWithAMessage) {
    server.page("/empty/", gbk("<html>没有章节</html>"));
    ResultSlot slot;
    slot.bookUrl = server.baseUrl() + "/empty/";
    slot.name = gbk("空");
    app().search.resultSlots[2].set(slot);
    app().search.selectedSite.store(2);
    downloadAndWait();

    EXPECT_EQ(app().bannerText.get(), gbk("目录获取失败"));
    EXPECT_EQ(app().download.chapterCount.load(), 0);
    EXPECT_TRUE(fixture.shell().exploredDirectories().empty());
    EXPECT_TRUE(std::filesystem::is_empty(fixture.dir()));

    // The download is over: the next press starts a new one.
    offerBook("after", {{"一", "甲"}}, "之后", "");
    downloadAndWait();
    EXPECT_EQ(readFile(fixture.dir() / gbkToUtf8(gbk("之后.txt"))), gbk("一\r\n甲\r\n"));
}

TEST_F(Download, AFailedWriteSaysSoAndOpensNothing) {
    offerBook("nowrite", {{"一", "甲"}}, "写不了", "");
    // A directory where the book should go: the file cannot be created.
    std::filesystem::create_directory(fixture.dir() / gbkToUtf8(gbk("写不了.txt")));
    downloadAndWait();
    EXPECT_EQ(app().bannerText.get(), gbk("保存失败"));
    EXPECT_TRUE(fixture.shell().exploredDirectories().empty());
    EXPECT_TRUE(app().download.chapterTable.chapterTexts.empty());
}

// The starts of a download are numbered: 1 the index thread, 2 the launcher, 3.. the chapter
// workers in chapter order, then the banner.
TEST_F(Download, AChapterThatGetsNoThreadIsCountedEmptyAndTheBookIsStillSaved) {
    struct Case {
        const char* label;
        std::function<bool(int)> refuse;
        const char* book;
        const char* banner;
    } const cases[] = {
        {"second chapter", [](int n) { return n == 4; }, "一\r\n甲\r\n二\r\n\r\n三\r\n丙\r\n",
         "保存成功 1章为空"},
        // The launcher itself finishes the last chapter and saves the book.
        {"last chapter", [](int n) { return n == 5; }, "一\r\n甲\r\n二\r\n乙\r\n三\r\n\r\n",
         "保存成功 1章为空"},
        // No worker and no banner thread: the outcome is still set for the banner.
        {"every chapter", [](int n) { return n >= 3; }, "一\r\n\r\n二\r\n\r\n三\r\n\r\n",
         "保存成功 3章为空"},
    };
    offerBook("nothread", {{"一", "甲"}, {"二", "乙"}, {"三", "丙"}}, "无线程", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto owned = appRefusing(c.refuse);
        AppFixture& local = *owned;
        downloadAndWait(local);

        EXPECT_EQ(readFile(local.dir() / gbkToUtf8(gbk("无线程.txt"))), gbk(c.book));
        EXPECT_EQ(local.app().bannerText.get(), gbk(c.banner));
        EXPECT_EQ(local.app().download.chaptersDone.load(), 3);
        EXPECT_EQ(local.app().download.activeWorkers.load(), 0);
        EXPECT_TRUE(local.app().download.chapterTable.chapterTexts.empty());
        EXPECT_EQ(local.shell().exploredDirectories().size(), 1u);
    }
    // The chapter without a thread was never asked for.
    EXPECT_EQ(server.requestsFor("/nothread/1.html"), 2);
    EXPECT_EQ(server.requestsFor("/nothread/2.html"), 1);
}

TEST_F(Download, AnIndexOrLauncherThreadThatCannotStartEndsTheDownloadWithAMessage) {
    offerBook("nostart", {{"一", "甲"}}, "起不来", "");
    for (int refused : {1, 2}) {
        SCOPED_TRACE(refused);
        auto owned = appRefusing([refused](int n) { return n == refused; });
        AppFixture& local = *owned;
        downloadAndWait(local);
        EXPECT_EQ(local.app().bannerText.get(), gbk("下载启动失败"));
        EXPECT_TRUE(std::filesystem::is_empty(local.dir()));
        EXPECT_TRUE(local.shell().exploredDirectories().empty());

        // The next press is not ignored: it downloads the book.
        downloadAndWait(local);
        EXPECT_EQ(readFile(local.dir() / gbkToUtf8(gbk("起不来.txt"))), gbk("一\r\n甲\r\n"));
    }
}

// A save that fails half-way (here the disk fills after the first bytes) keeps the book saved
// before: a download of the same book again must never leave less than there was.
TEST_F(Download, AFailedSaveLeavesTheEarlierCopyWhole) {
    offerBook("again", {{"一", "甲"}, {"二", "乙"}}, "再来", "");
    auto owned = appWith([](AppSettings& s) {
        s.fileCalls.write = [calls = 0](int fd, const char* data, std::size_t size) mutable {
            if (++calls > 1) {
                errno = ENOSPC;
                return -1L;
            }
            return static_cast<long>(::write(fd, data, std::min<std::size_t>(size, 5)));
        };
    });
    AppFixture& local = *owned;
    const std::filesystem::path file = local.dir() / gbkToUtf8(gbk("再来.txt"));
    const std::string earlier = gbk("一\r\n甲\r\n二\r\n乙\r\n旧版的后记\r\n");
    { std::ofstream(file, std::ios::binary) << earlier; }
    downloadAndWait(local);

    EXPECT_EQ(local.app().bannerText.get(), gbk("保存失败"));
    EXPECT_EQ(readFile(file), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(local.dir()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_TRUE(local.shell().exploredDirectories().empty());
}

// A chapter page over the cap is a failed fetch, retried and then counted empty; a page of
// exactly the cap is still read.
TEST_F(Download, AChapterPageOverTheCapCountsAsFailed) {
    constexpr std::size_t kCap = 4096;
    const std::vector<Chapter> chapters = {{"一", "甲"}, {"二", "乙"}, {"三", "丙"}};
    offerBook("huge", chapters, "巨页", "");
    const std::size_t sizes[] = {kCap, kCap + 1, 64 * kCap};
    for (int i = 1; i <= 3; ++i) {
        std::string page = site2Chapter(chapters[i - 1]);
        page.resize(sizes[i - 1], ' ');  // padding after the end marker
        server.page("/huge/" + std::to_string(i) + ".html", page);
    }
    auto owned = appWith([](AppSettings& s) { s.maxChapterPageBytes = kCap; });
    AppFixture& local = *owned;
    downloadAndWait(local);

    EXPECT_EQ(readFile(local.dir() / gbkToUtf8(gbk("巨页.txt"))),
              gbk("一\r\n甲\r\n二\r\n\r\n三\r\n\r\n"));
    EXPECT_EQ(local.app().bannerText.get(), gbk("保存成功 2章为空"));
    EXPECT_EQ(server.requestsFor("/huge/1.html"), 1);
    EXPECT_EQ(server.requestsFor("/huge/2.html"), 3);
    EXPECT_EQ(server.requestsFor("/huge/3.html"), 3);
}

// A title too long for a file name of 255 bytes is saved under its beginning.
TEST_F(Download, ALongTitleIsSavedUnderANameCutToFit) {
    std::string title;
    for (int i = 0; i < 90; ++i)
        title += "长";
    offerBook("long", {{"一", "甲"}}, title.c_str(), "某人");
    downloadAndWait();
    EXPECT_EQ(app().bannerText.get(), gbk("保存成功"));
    EXPECT_EQ(readFile(fixture.dir() / (title.substr(0, 83 * 3) + ".txt")), gbk("一\r\n甲\r\n"));
}

TEST_F(Download, PressesWhileTheIndexLoadsAreIgnoredAndTheCopiesHold) {
    offerBook("slow", {{"一", "甲"}}, "慢书", "甲");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const std::string index = site2Index("slow", {{"一", "甲"}});
    server.handle("/slow/", [index, released](const std::string&, int) {
        released.wait_for(std::chrono::seconds(10));
        return index;
    });
    startDownload(app());  // returns while the index is still loading
    ASSERT_TRUE(testing::waitUntil([&] { return server.requestsFor("/slow/") == 1; }));

    // A click on another site's thumbnail, a changed slot and two more presses.
    ResultSlot other;
    other.bookUrl = server.baseUrl() + "/other/";
    other.name = gbk("别的");
    app().search.resultSlots[3].set(other);
    app().search.resultSlots[2].set(other);
    app().search.selectedSite.store(3);
    startDownload(app());
    app().search.selectedSite.store(2);
    startDownload(app());
    release.set_value();
    ASSERT_TRUE(fixture.waitIdle());

    EXPECT_EQ(server.requestsFor("/slow/"), 1);
    EXPECT_EQ(server.requestsFor("/other/"), 0);
    EXPECT_EQ(readFile(fixture.dir() / gbkToUtf8(gbk("慢书-甲.txt"))), gbk("一\r\n甲\r\n"));
    EXPECT_EQ(fixture.shell().exploredDirectories().size(), 1u);
}

TEST_F(Download, NoSiteChosenDoesNothingAndSiteOneOnlyOpensItsLink) {
    startDownload(app());
    EXPECT_FALSE(app().download.downloadInProgress.load());
    EXPECT_EQ(app().threads.liveThreads(), 0);
    EXPECT_TRUE(fixture.window().writes().empty());

    ResultSlot direct;
    direct.bookUrl = "http://127.0.0.1:9/down/1.txt";
    app().search.resultSlots[1].set(direct);
    app().search.selectedSite.store(1);
    app().download.downloadInProgress.store(true);  // a chapter download of another site is running
    startDownload(app());
    EXPECT_EQ(fixture.shell().openedUrls(), std::vector<std::string>{direct.bookUrl});
    EXPECT_TRUE(app().download.downloadInProgress.load());
    EXPECT_EQ(app().threads.liveThreads(), 0);
    app().download.downloadInProgress.store(false);
}

// Closing the window while every worker under the cap waits on a site that does not answer:
// the launcher, waiting for room, is woken and returns at once instead of holding the exit
// for its whole grace time.
TEST(DownloadShutdown, ClosingWakesTheLauncherWaitingForRoomUnderTheCap) {
    LoopbackServer server;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<Chapter> chapters;
    for (int i = 1; i <= 5; ++i)
        chapters.push_back({"章" + std::to_string(i), "文"});
    server.page("/stuck/", site2Index("stuck", chapters));
    for (int i = 1; i <= 5; ++i) {
        server.handle("/stuck/" + std::to_string(i) + ".html",
                      [page = site2Chapter(chapters[i - 1]), released](const std::string&, int) {
                          released.wait();
                          return page;
                      });
    }
    const std::filesystem::path dir = testing::makeTempDirectory();
    AppSettings settings = testing::testSettings(dir);
    settings.sites.baseUrl[2] = server.baseUrl();
    settings.sites.domainMarker[2] = server.hostPort();
    settings.maxChapterWorkers = 2;
    RecordingWindow window;
    RecordingShell shell;
    auto owned = std::make_unique<AppState>(window, shell, settings);
    AppState& app = *owned;
    ResultSlot slot;
    slot.bookUrl = server.baseUrl() + "/stuck/";
    slot.name = gbk("卡住");
    app.search.resultSlots[2].set(slot);
    app.search.selectedSite.store(2);

    startDownload(app);
    // Two workers held by the site, and the launcher waiting for room.
    ASSERT_TRUE(testing::waitUntil([&] {
        return server.requestsFor("/stuck/1.html") + server.requestsFor("/stuck/2.html") == 2 &&
               app.threads.liveThreads() == 3;
    }));
    auto closing = std::async(std::launch::async, [&] {
        return finishRun(std::move(owned), 7, std::chrono::minutes(10));
    });
    // The launcher is gone while the workers are still held.
    EXPECT_TRUE(testing::waitUntil([&] { return app.threads.liveThreads() == 2; }));
    EXPECT_EQ(server.requestsFor("/stuck/3.html"), 0);
    release.set_value();
    EXPECT_EQ(closing.get(), 7);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace pel
