// The process-wide cookie jar: the merge of one request's changes, and the jar through
// fetchPage, from one thread and from many threads on two sites at once.
#include "net/cookie_jar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "net/fetch_page.h"
#include "net/handle_pool.h"
#include "raw_server.h"

namespace pel {
namespace {

using test::RawServer;

std::string cookieLine(const std::string& domain, const std::string& name, const std::string& value,
                       long long expires = 0) {
    return domain + "\tFALSE\t/\tFALSE\t" + std::to_string(expires) + "\t" + name + "\t" + value;
}

TEST(CookieJar, MergeTakesOnlyWhatTheRequestChanged) {
    const std::string x1 = cookieLine("site.test", "x", "1");
    const std::string x2 = cookieLine("site.test", "x", "2");
    const std::string y1 = cookieLine("site.test", "y", "1");
    CookieJar jar;
    jar.merge({}, {x1});
    ASSERT_EQ(jar.lines(), std::vector<std::string>{x1});

    // Two requests start from the same jar; the second one's response sets x again while the
    // first is still running. The first then ends holding x as it was given and a new y.
    const std::vector<std::string> given = jar.lines();
    jar.merge(given, {x2});
    jar.merge(given, {x1, y1});
    EXPECT_EQ(jar.lines(), (std::vector<std::string>{x2, y1}));

    // Given and no longer held: deleted by a response. Held but expired: the same.
    jar.merge({x2, y1}, {y1});
    EXPECT_EQ(jar.lines(), std::vector<std::string>{y1});
    jar.merge({y1}, {cookieLine("site.test", "y", "", 1)});
    EXPECT_TRUE(jar.lines().empty());

    // Domain, path and name tell cookies apart; the domain in any letter case, and the mark
    // curl puts on an HttpOnly cookie, name the same cookie.
    jar.merge({}, {cookieLine("Site.TEST", "z", "1")});
    jar.merge({}, {"#HttpOnly_site.test\tFALSE\t/\tFALSE\t0\tz\t2"});
    jar.merge({}, {"site.test\tFALSE\t/deep\tFALSE\t0\tz\t3", cookieLine("other.test", "z", "4")});
    EXPECT_EQ(jar.lines().size(), 3u);
    jar.merge({}, {"not a cookie line"});
    EXPECT_EQ(jar.lines().size(), 3u);
}

TEST(CookieJar, ExpiredCookiesAreNotGivenOut) {
    CookieJar jar;
    const std::string fresh = cookieLine("site.test", "a", "1", 4102444800);  // year 2100
    const std::string past = cookieLine("site.test", "b", "1", 1000);
    // A cookie that expired while it was in the jar.
    jar.merge({}, {fresh});
    jar.merge({}, {past});
    EXPECT_EQ(jar.lines(), std::vector<std::string>{fresh});
}

// Answers /set/<name>=<value> with that cookie, /del/<name> by expiring it, anything else with
// the Cookie header it got as the body. Connections stay open for reuse.
std::string cookieHeaderOf(const std::string& request) {
    const std::size_t at = request.find("\r\nCookie: ");
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t start = at + 10;
    return request.substr(start, request.find("\r\n", start) - start);
}

RawServer::Reply cookieSite(const std::string& request) {
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    if (path.rfind("/set/", 0) == 0) {
        return RawServer::keepAlive(
            "200 OK", "Set-Cookie: " + path.substr(5) + "; Path=/; HttpOnly\r\n", "set");
    }
    if (path.rfind("/del/", 0) == 0) {
        return RawServer::keepAlive("200 OK",
                                    "Set-Cookie: " + path.substr(5) +
                                        "=; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT\r\n",
                                    "deleted");
    }
    return RawServer::keepAlive("200 OK", "", cookieHeaderOf(request));
}

class JarThroughFetchPage : public ::testing::Test {
  protected:
    Bytes get(const std::string& host, const std::string& path) {
        FetchOptions options;
        options.cookieJar = &jar_;
        options.handlePool = &pool_;
        return fetchPage("http://" + host + ":" + std::to_string(server_.port()) + path, options);
    }
    // The name=value pairs of a Cookie header.
    static std::map<std::string, std::string> pairs(const std::string& header) {
        std::map<std::string, std::string> out;
        std::size_t at = 0;
        while (at < header.size()) {
            std::size_t end = header.find("; ", at);
            if (end == std::string::npos) {
                end = header.size();
            }
            const std::string item = header.substr(at, end - at);
            const std::size_t eq = item.find('=');
            out[item.substr(0, eq)] = eq == std::string::npos ? "" : item.substr(eq + 1);
            at = end + 2;
        }
        return out;
    }

    RawServer server_{&cookieSite};
    CookieJar jar_;
    HandlePool pool_{8};
};

TEST_F(JarThroughFetchPage, SetChangedAndDeletedCookiesReachTheNextRequest) {
    get("127.0.0.1", "/set/s=1");
    get("127.0.0.1", "/set/t=2");
    EXPECT_EQ(pairs(get("127.0.0.1", "/echo")),
              (std::map<std::string, std::string>{{"s", "1"}, {"t", "2"}}));
    get("127.0.0.1", "/set/s=3");
    get("127.0.0.1", "/del/t");
    EXPECT_EQ(get("127.0.0.1", "/echo"), "s=3");

    // A request that sets nothing leaves the jar as it was, line for line: what curl gives
    // back of a cookie it was given is that cookie unchanged.
    const std::vector<std::string> before = jar_.lines();
    EXPECT_EQ(get("127.0.0.1", "/echo"), "s=3");
    EXPECT_EQ(jar_.lines(), before);
    // The cookie belongs to its host only.
    EXPECT_EQ(get("localhost", "/echo"), "");
}

// Two sites (two host names of the loopback address) set cookies from many threads at once,
// their handles passing between threads and sites through one small pool: every cookie comes
// back to its own site, none is lost, none goes to the other site.
TEST_F(JarThroughFetchPage, TwoSitesFromManyThreadsKeepTheirOwnCookies) {
    const std::string hosts[] = {"127.0.0.1", "localhost"};
    const std::string tags[] = {"A", "B"};
    constexpr int kPerSite = 32;
    std::atomic<int> right{0};
    std::vector<std::thread> threads;
    for (int site = 0; site < 2; ++site) {
        for (int i = 0; i < kPerSite; ++i) {
            threads.emplace_back([&, site, i] {
                const std::string value = tags[site] + std::to_string(i);
                get(hosts[site], "/set/k" + std::to_string(i) + "=" + value);
                get(hosts[site], "/set/last=" + value);
                const auto got = pairs(get(hosts[site], "/echo"));
                bool own = got.count("k" + std::to_string(i)) == 1 &&
                           got.at("k" + std::to_string(i)) == value;
                for (const auto& [name, v] : got) {
                    own = own && v.rfind(tags[site], 0) == 0;
                }
                right += own;
            });
        }
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(right.load(), 2 * kPerSite);
    for (int site = 0; site < 2; ++site) {
        SCOPED_TRACE(hosts[site]);
        const auto got = pairs(get(hosts[site], "/echo"));
        EXPECT_EQ(got.size(), static_cast<std::size_t>(kPerSite) + 1);
        for (int i = 0; i < kPerSite; ++i) {
            const std::string name = "k" + std::to_string(i);
            EXPECT_EQ(got.count(name) == 1 ? got.at(name) : "<lost>",
                      tags[site] + std::to_string(i));
        }
        ASSERT_EQ(got.count("last"), 1u);
        EXPECT_EQ(got.at("last").rfind(tags[site], 0), 0u);
    }
    EXPECT_EQ(jar_.lines().size(), 2u * (kPerSite + 1));
}

}  // namespace
}  // namespace pel
