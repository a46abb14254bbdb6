// Both clients from 100 threads at once, sharing one cookie store, and fetchPage from 100
// threads through one handle pool. The server is our own
// socket server: it is built with the sanitizers, so a TSan run sees all its locking.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "net/cookie_jar.h"
#include "net/fetch_page.h"
#include "net/fetch_page_winhttp.h"
#include "net/handle_pool.h"
#include "raw_server.h"

namespace pel {
namespace {

TEST(Concurrency, HundredThreadsGetTheirOwnPages) {
    test::RawServer server([](const std::string& request) {
        // "GET /page/<n> HTTP/1.1"
        const std::string n = request.substr(10, request.find(' ', 10) - 10);
        return test::RawServer::http("200 OK", "Set-Cookie: last=" + n + "; Path=/\r\n",
                                     "page " + n + " " + std::string(2000, 'p'));
    });
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port()) + "/page/";

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
            right +=
                body.rfind(expected, 0) == 0 && options.cookiesOut == "last=" + std::to_string(i);
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(right.load(), 100);
    EXPECT_EQ(server.requests().size(), 100u);
}

// 100 threads making five calls each through one pool of 16 handles over kept-alive
// connections: handles and their connections pass from thread to thread, and every call still
// gets its own answer.
TEST(Concurrency, HundredThreadsThroughOnePoolGetTheirOwnAnswers) {
    test::RawServer server([](const std::string& request) {
        const std::string n = request.substr(10, request.find(' ', 10) - 10);
        return test::RawServer::keepAlive("200 OK", "", "page " + n + " " + std::string(3000, 'p'));
    });
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port()) + "/page/";
    HandlePool pool(16);
    CookieJar jar;
    std::atomic<int> right{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 100; ++i) {
        threads.emplace_back([&, i] {
            for (int k = 0; k < 5; ++k) {
                const std::string n = std::to_string(i) + "-" + std::to_string(k);
                FetchOptions options;
                options.cookieJar = &jar;
                options.handlePool = &pool;
                const Bytes body = fetchPage(base + n, options);
                right += body == "page " + n + " " + std::string(3000, 'p');
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(right.load(), 500);
    EXPECT_EQ(server.requests().size(), 500u);
    EXPECT_LE(pool.idleHandles(), 16u);
}

}  // namespace
}  // namespace pel
