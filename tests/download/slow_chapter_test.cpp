// A chapter page that never finishes arriving: a byte every half second never trips the stall
// limit, so only the bound on the whole request ends it. The chapter then counts as failed:
// retried, given up as empty, and the book is saved.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#include "demo/loopback_listen.h"
#include "download/download_start.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

std::string chapterPage(const std::string& body) {
    return gbk("<html>\r\n<div id=\"content\">" + body +
               "<script>read3();</script><script>bdshare();</script>\r\n</div>\r\n</html>");
}

// Site 2's index and chapters; chapter 2 trickles until the server stops.
class TricklingSite {
  public:
    TricklingSite() {
        server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
        server_.Get("/book/", [this](const httplib::Request&, httplib::Response& res) {
            std::string index = "<dl>\r\n";
            for (int i = 1; i <= 3; ++i) {
                index += "<dd><a href=\"" + baseUrl() + "/book/" + std::to_string(i) + ".html\">" +
                         gbk("第" + std::to_string(i) + "章") + "</a></dd>\r\n";
            }
            res.set_content(index + "</dl>\r\n", "text/html");
        });
        server_.Get("/book/1.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(chapterPage("甲"), "text/html");
        });
        server_.Get("/book/3.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(chapterPage("丙"), "text/html");
        });
        server_.Get("/book/2.html", [this](const httplib::Request&, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                ++trickles_;
            }
            const std::string start = chapterPage("乙").substr(0, 30);
            res.set_chunked_content_provider(
                "text/html", [this, start](std::size_t, httplib::DataSink& sink) {
                    if (!sink.write(start.data(), start.size())) {
                        return false;
                    }
                    for (;;) {
                        std::unique_lock lock(mutex_);
                        if (stopped_.wait_for(lock, std::chrono::milliseconds(500),
                                              [this] { return stopping_; })) {
                            return false;
                        }
                        lock.unlock();
                        if (!sink.write(".", 1)) {
                            return false;
                        }
                    }
                });
        });
        port_ = demo::bindLoopback(server_);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~TricklingSite() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stopped_.notify_all();
        server_.stop();
        thread_.join();
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int trickles() const {
        std::lock_guard lock(mutex_);
        return trickles_;
    }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    int trickles_ = 0;
};

TEST(SlowChapter, TricklingChapterIsRetriedThenCountedEmptyWithinTheBound) {
    TricklingSite site;
    testing::AppFixture fixture([&](AppSettings& s) {
        s.sites.baseUrl[2] = site.baseUrl();
        s.sites.domainMarker[2] = "127.0.0.1";
        s.net.totalTimeoutMs = 1000;
    });
    AppState& app = fixture.app();
    ResultSlot slot;
    slot.bookUrl = site.baseUrl() + "/book/";
    slot.name = gbk("慢");
    slot.author = gbk("某");
    app.search.resultSlots[2].set(slot);
    app.search.selectedSite.store(2);

    startDownload(app);
    // Three attempts of a second each; without the bound the chapter would trickle on.
    ASSERT_TRUE(fixture.waitIdle(std::chrono::seconds(20)));
    EXPECT_EQ(app.bannerText.get(), gbk("保存成功 1章为空"));
    EXPECT_EQ(site.trickles(), 3);
    std::ifstream in(fixture.dir() / gbkToUtf8(gbk("慢-某.txt")), std::ios::binary);
    const std::string book((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(book, gbk("第1章\r\n甲\r\n第2章\r\n\r\n第3章\r\n丙\r\n"));
    EXPECT_FALSE(app.download.downloadInProgress.load());
}

}  // namespace
}  // namespace pel
