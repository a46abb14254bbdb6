// Both clients from 100 threads at once, sharing one cookie store.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "net/cookie_jar.h"
#include "net/fetch_page.h"
#include "net/fetch_page_winhttp.h"

namespace pel {
namespace {

TEST(Concurrency, HundredThreadsGetTheirOwnPages) {
    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(24); };
    server.Get(R"(/page/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        res.set_header("Set-Cookie", "last=" + req.matches[1].str() + "; Path=/");
        res.set_content("page " + req.matches[1].str() + " " + std::string(2000, 'p'),
                        "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serverThread([&] { server.listen_after_bind(); });
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/page/";

    CookieJar jar;
    std::atomic<int> right{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 100; ++i) {
        threads.emplace_back([&, i] {
            const std::string expected = "page " + std::to_string(i) + " ";
            if (i % 4 == 0) {
                WinHttpRequest request;
                request.url = base + std::to_string(i);
                const Text page = fetchPageWinHttp(request);
                right += page.rfind(expected, 0) == 0 && request.statusText == "200 OK" &&
                         request.cookiesOut == "last=" + std::to_string(i);
                return;
            }
            FetchOptions options;
            options.cookieJar = &jar;
            const Bytes body = fetchPage(base + std::to_string(i), options);
            right += body.rfind(expected, 0) == 0 &&
                     options.cookiesOut == "last=" + std::to_string(i);
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(right.load(), 100);
    server.stop();
    serverThread.join();
}

}  // namespace
}  // namespace pel
