// fetchPage through a handle pool: connections reused between calls, a dead connection never
// failing the next call, failed transfers leaving nothing for reuse, and a reused handle
// sending exactly what a fresh one sends.
#include "net/handle_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/cookie_jar.h"
#include "net/fetch_page.h"
#include "raw_server.h"

namespace pel {
namespace {

using test::RawServer;

std::string base(const RawServer& server) {
    return "http://127.0.0.1:" + std::to_string(server.port());
}

// The path of a request: "GET /a/b HTTP/1.1" gives "/a/b".
std::string pathOf(const std::string& request) {
    const std::size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

Bytes fetchThrough(HandlePool& pool, const std::string& url, CookieJar* jar = nullptr) {
    FetchOptions options;
    options.handlePool = &pool;
    options.cookieJar = jar;
    return fetchPage(url, options);
}

TEST(HandlePool, SequentialCallsToOneHostShareOneConnection) {
    RawServer server([](const std::string& request) {
        return RawServer::keepAlive("200 OK", "", "page " + pathOf(request));
    });
    HandlePool pool(4);
    EXPECT_EQ(fetchThrough(pool, base(server) + "/1"), "page /1");
    EXPECT_EQ(fetchThrough(pool, base(server) + "/2"), "page /2");
    EXPECT_EQ(fetchThrough(pool, base(server) + "/3"), "page /3");
    EXPECT_EQ(server.accepted(), 1);
    EXPECT_EQ(server.requests().size(), 3u);
    EXPECT_EQ(pool.idleHandles(), 1u);

    // Without a pool every call has its own connection.
    FetchOptions fresh;
    EXPECT_EQ(fetchPage(base(server) + "/4", fresh), "page /4");
    EXPECT_EQ(server.accepted(), 2);
}

TEST(HandlePool, AnIdleHandleKeepsOnlyItsLatestConnection) {
    const RawServer::Responder page = [](const std::string&) {
        return RawServer::keepAlive("200 OK", "", "p");
    };
    RawServer first(page);
    RawServer second(page);
    // curl closes the connection idle for longest, counted in milliseconds: the pauses make
    // the first one the oldest.
    HandlePool pool(1);
    fetchThrough(pool, base(first) + "/");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    fetchThrough(pool, base(second) + "/");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    fetchThrough(pool, base(first) + "/");
    EXPECT_EQ(first.accepted(), 2);
    EXPECT_EQ(second.accepted(), 1);
}

TEST(HandlePool, AConnectionTheServerClosedDoesNotFailTheNextCall) {
    // Closed right after the answer, with no word that it would be.
    RawServer closing([](const std::string& request) {
        return RawServer::http("200 OK", "", "page " + pathOf(request));
    });
    HandlePool pool(4);
    EXPECT_EQ(fetchThrough(pool, base(closing) + "/1"), "page /1");
    EXPECT_EQ(fetchThrough(pool, base(closing) + "/2"), "page /2");
    EXPECT_EQ(closing.accepted(), 2);

    // Kept open, then closed when the next request arrives on it: the request went out on a
    // dead connection and is sent again on a new one.
    std::atomic<int> served{0};
    HandlePool second(4);
    RawServer dropping([&](const std::string& request) {
        if (++served == 2) {
            return RawServer::Reply{};
        }
        return RawServer::keepAlive("200 OK", "", "page " + pathOf(request));
    });
    EXPECT_EQ(fetchThrough(second, base(dropping) + "/1"), "page /1");
    EXPECT_EQ(fetchThrough(second, base(dropping) + "/2"), "page /2");
    EXPECT_EQ(dropping.requests().size(), 3u);
    EXPECT_EQ(dropping.accepted(), 2);
}

TEST(HandlePool, AFailedTransferLeavesNoHandleForReuse) {
    struct Case {
        const char* label;
        RawServer::Reply reply;
        std::size_t maxBodyBytes;
        long totalTimeoutMs;
    };
    const Case cases[] = {
        // The connection stays open after each broken answer, as a reused one would.
        {"body broke off", {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"}, 0, 0},
        {"cut at the cap", RawServer::keepAlive("200 OK", "", std::string(5000, 'z')), 100, 0},
        {"out of time",
         {"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n" + std::string(50, 't'), false, 50, true},
         0,
         400},
        {"no answer", {"", true}, 0, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RawServer server([&](const std::string& request) {
            if (pathOf(request) == "/good") {
                return RawServer::keepAlive("200 OK", "", "good");
            }
            return c.reply;
        });
        HandlePool pool(4);
        FetchOptions options;
        options.handlePool = &pool;
        if (c.maxBodyBytes > 0) {
            options.limits.maxBodyBytes = c.maxBodyBytes;
        }
        if (c.totalTimeoutMs > 0) {
            options.limits.totalTimeoutMs = c.totalTimeoutMs;
        }
        fetchPage(base(server) + "/bad", options);
        EXPECT_EQ(pool.idleHandles(), 0u);
        // The next call starts on a new handle and a new connection.
        EXPECT_EQ(fetchThrough(pool, base(server) + "/good"), "good");
        EXPECT_EQ(server.accepted(), 2);
        EXPECT_EQ(pool.idleHandles(), 1u);
    }
}

TEST(HandlePool, NoMoreIdleHandlesThanItsBound) {
    RawServer server([](const std::string&) { return RawServer::keepAlive("200 OK", "", "p"); });
    HandlePool pool(2);
    std::vector<std::thread> threads;
    std::atomic<int> right{0};
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] { right += fetchThrough(pool, base(server) + "/") == "p"; });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(right.load(), 8);
    EXPECT_LE(pool.idleHandles(), 2u);
}

// Every request of a varied sequence goes out byte for byte as from a fresh handle when
// pooled handles serve them in turn: nothing of an earlier request (verb, body, headers,
// target, cookies) stays on the handle.
TEST(HandlePool, AReusedHandleSendsWhatAFreshOneSends) {
    RawServer server([](const std::string& request) {
        const std::string path = pathOf(request);
        const std::string setCookie = path == "/set" ? "Set-Cookie: jar=1; Path=/\r\n" : "";
        return RawServer::keepAlive("200 OK", setCookie, "ok");
    });
    struct Step {
        const char* label;
        std::string path;
        int method;
        std::string postText;
        std::string headers;
        std::optional<Text> cookies;
        bool useJar;
        bool noRedirect;
    };
    const std::vector<Step> steps = {
        {"POST with headers",
         "/post",
         1,
         "a=1&b=2",
         "X-One: 1\r\nAccept: text/html",
         {},
         false,
         false},
        {"jar sets a cookie", "/set", 0, "", "", {}, true, false},
        {"jar sends it", "/jar", 0, "", "", {}, true, false},
        {"own cookies only", "/own", 0, "", "", Text("c=3"), true, false},
        {"no jar, no cookie", "/none", 0, "", "", {}, false, false},
        {"HEAD", "/head", 2, "", "", {}, false, true},
        {"GBK path after HEAD", "/\xB0\xA1?q=\xD6\xD0", 0, "", "", {}, false, false},
        {"plain GET", "/get", 0, "", "", {}, false, false},
        {"empty cookies with the jar", "/empty", 0, "", "", Text(""), true, false},
    };
    const auto run = [&](HandlePool* pool, CookieJar& jar) {
        std::vector<std::string> sent;
        for (const Step& step : steps) {
            const std::size_t before = server.requests().size();
            FetchOptions options;
            options.method = step.method;
            options.postText = step.postText;
            options.headers = step.headers;
            options.cookies = step.cookies;
            options.cookieJar = step.useJar ? &jar : nullptr;
            options.noRedirect = step.noRedirect;
            options.handlePool = pool;
            fetchPage(base(server) + step.path, options);
            const std::vector<std::string> requests = server.requests();
            sent.push_back(requests.size() == before + 1 ? requests.back() : "<not one request>");
        }
        return sent;
    };
    CookieJar freshJar;
    const std::vector<std::string> fresh = run(nullptr, freshJar);
    HandlePool pool(2);
    CookieJar pooledJar;
    const std::vector<std::string> pooled = run(&pool, pooledJar);
    ASSERT_EQ(fresh.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(steps[i].label);
        EXPECT_EQ(pooled[i], fresh[i]);
    }
    // The jar's cookie went out with the jar's request only.
    EXPECT_NE(fresh[2].find("\r\nCookie: jar=1\r\n"), std::string::npos);
    EXPECT_EQ(fresh[3].find("jar=1"), std::string::npos);
    EXPECT_NE(fresh[3].find("\r\nCookie: c=3\r\n"), std::string::npos);
    EXPECT_EQ(fresh[4].find("Cookie"), std::string::npos);
    EXPECT_EQ(fresh[8].find("Cookie"), std::string::npos);
    // The fresh handles had a connection each. The pooled run needed two: the handle whose
    // cookie engine the jar switched on never serves a request that must not see cookies.
    EXPECT_EQ(server.accepted(), static_cast<int>(steps.size()) + 2);
    EXPECT_EQ(pool.idleHandles(), 2u);
}

}  // namespace
}  // namespace pel
