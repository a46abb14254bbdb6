// fetchPage against loopback servers: the exact request bytes, the header merge, cookies,
// redirects and the failure cases.
#include "net/fetch_page.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "net/cookie_jar.h"
#include "net/request_headers.h"
#include "raw_server.h"

namespace pel {
namespace {

using test::RawServer;

const std::string kDefaultAgentLine =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";
const std::string kFormType = "Content-Type: application/x-www-form-urlencoded";

std::string base(const RawServer& server) {
    return "http://127.0.0.1:" + std::to_string(server.port());
}

RawServer okServer(const std::string& body = "hello") {
    return RawServer([body](const std::string&) { return RawServer::http("200 OK", "", body); });
}

// Header lines of a request after its request line and Host line, as one block.
std::string headersAfterHost(const std::string& request) {
    const std::size_t host = request.find("\r\nHost: ");
    const std::size_t start = request.find("\r\n", host + 2);
    const std::size_t end = request.find("\r\n\r\n");
    if (host == std::string::npos || end == std::string::npos || start > end) {
        return "<malformed>";
    }
    return request.substr(start + 2, end - start - 2);
}

int countLines(const std::string& request, const std::string& prefixLower) {
    int n = 0;
    std::size_t at = 0;
    while ((at = request.find("\r\n", at)) != std::string::npos) {
        at += 2;
        std::string line = request.substr(at, prefixLower.size());
        for (char& c : line) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        n += line == prefixLower ? 1 : 0;
    }
    return n;
}

TEST(FetchPage, OnlyUrlSendsGetWithTheFourDefaultLinesAndNoBody) {
    RawServer server = okServer();
    const std::string url = base(server) + "/p/Q?a=1&B=2";
    FetchOptions options;
    options.cookiesOut = "stale=1";
    const Bytes body = fetchPage(url, options);

    const std::string block =
        "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n" + kFormType;
    EXPECT_EQ(body, "hello");
    EXPECT_EQ(options.headers, block);
    EXPECT_EQ(server.firstRequest(),
              "GET /p/Q?a=1&B=2 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                  "\r\n" + kDefaultAgentLine + block + "\r\n\r\n");
    EXPECT_EQ(options.responseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
    EXPECT_EQ(options.cookiesOut, "");
}

TEST(FetchPage, UrlWithoutSchemeIsPlainHttpAndItsBytesGoOutUnchanged) {
    RawServer server([](const std::string& request) {
        if (request.rfind("GET /a/", 0) == 0) {
            return RawServer::http("302 Found", "Location: /next\r\n", "");
        }
        return RawServer::http("200 OK", "", "hello");
    });
    const std::string url =
        "127.0.0.1:" + std::to_string(server.port()) + "/a/../b%20c/\xB0\xA1?k=\xD6\xD0&e=%41";
    FetchOptions options;
    EXPECT_EQ(fetchPage(url, options), "hello");
    const std::string request = server.firstRequest();
    EXPECT_EQ(request.substr(0, request.find("\r\n")),
              "GET /a/../b%20c/\xB0\xA1?k=\xD6\xD0&e=%41 HTTP/1.1");
    // The Referer is the URL exactly as the caller wrote it.
    EXPECT_NE(request.find("\r\nReferer: " + url + "\r\n"), std::string::npos);
    // The redirect target is requested as given, not as the first path again.
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].rfind("GET /next HTTP/1.1\r\n", 0), 0u);
}

TEST(FetchPage, MethodsAndBodies) {
    struct Case {
        int method;
        std::string postText;
        std::string postBytes;
        std::string requestLine;
        std::string afterBlock;  // what follows the merged block, before the blank line
        std::string body;
        std::string postBytesAfter;
    };
    const Case cases[] = {
        {7, "ignored", "", "GET /x HTTP/1.1", "", "", ""},
        {-1, "", "", "GET /x HTTP/1.1", "", "", ""},
        {1, "", "", "POST /x HTTP/1.1", "\r\nContent-Length: 0", "", ""},
        {1, "t=1", "", "POST /x HTTP/1.1", "\r\nContent-Length: 3", "t=1", "t=1"},
        {1, "t=1", "b=22", "POST /x HTTP/1.1", "\r\nContent-Length: 4", "b=22", "b=22"},
        {2, "", "", "HEAD /x HTTP/1.1", "", "", ""},
        // A HEAD carries no body; postBytes still takes postText.
        {2, "h=1", "", "HEAD /x HTTP/1.1", "", "", "h=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        SCOPED_TRACE(c.postText + "|" + c.postBytes);
        RawServer server = okServer("");
        FetchOptions options;
        options.method = c.method;
        options.postText = c.postText;
        options.postBytes = c.postBytes;
        fetchPage(base(server) + "/x", options);
        const std::string request = server.firstRequest();
        EXPECT_EQ(request.substr(0, request.find("\r\n")), c.requestLine);
        EXPECT_EQ(headersAfterHost(request), kDefaultAgentLine + options.headers + c.afterBlock);
        EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), c.body);
        EXPECT_EQ(countLines(request, "expect:"), 0);
        EXPECT_EQ(options.postBytes, c.postBytesAfter);
    }
}

TEST(FetchPage, HeaderMerge) {
    struct Case {
        std::string headers;
        std::optional<std::string> cookies;
        std::string blockAfterReferer;  // "{R}" stands for the Referer line
    };
    const Case cases[] = {
        // The Accept search is case-sensitive: a lower-case line gets the default as well.
        {"Accept: text/html", std::nullopt,
         "Accept: text/html{R}\r\nAccept-Language: zh-cn\r\n" + kFormType},
        {"accept: text/html", std::nullopt,
         "accept: text/html\r\nAccept: */*{R}\r\nAccept-Language: zh-cn\r\n" + kFormType},
        {"X-A: 1", std::string("a=1"),
         "X-A: 1\r\nAccept: */*{R}\r\nAccept-Language: zh-cn\r\n" + kFormType + "\r\nCookie: a=1"},
        {"", std::string(""), "Accept: */*{R}\r\nAccept-Language: zh-cn\r\n" + kFormType},
        {"", std::string("Cookie: a=1\r\nCookie: b=2"),
         "Accept: */*{R}\r\nAccept-Language: zh-cn\r\n" + kFormType +
             "\r\nCookie: a=1\r\nCookie: b=2"},
        {"Referer: http://r/\r\nContent-Type: text/plain\r\nAccept-Language: en", std::nullopt,
         "Referer: http://r/\r\nContent-Type: text/plain\r\nAccept-Language: en\r\nAccept: */*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        RawServer server = okServer();
        const std::string url = base(server) + "/m";
        FetchOptions options;
        options.headers = c.headers;
        options.cookies = c.cookies;
        fetchPage(url, options);
        std::string expected = c.blockAfterReferer;
        const std::size_t r = expected.find("{R}");
        if (r != std::string::npos) {
            expected.replace(r, 3, "\r\nReferer: " + url);
        }
        EXPECT_EQ(options.headers, expected);
        EXPECT_EQ(headersAfterHost(server.firstRequest()), kDefaultAgentLine + expected);
    }
}

TEST(FetchPage, CallersUserAgentLineIsTheOnlyOne) {
    RawServer server = okServer();
    FetchOptions options;
    options.headers = "user-agent: Probe/1.0";
    fetchPage(base(server) + "/", options);
    const std::string request = server.firstRequest();
    EXPECT_EQ(countLines(request, "user-agent:"), 1);
    EXPECT_NE(request.find("\r\nuser-agent: Probe/1.0\r\n"), std::string::npos);
    EXPECT_EQ(countLines(request, "accept:"), 1);
}

TEST(FetchPage, UserAgentChoice) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
        {"X-A: 1\r\nUser-Agent:  Named/2 \r\nX-B: 2", "Named/2"},
        // Another letter case: the text after the block's first colon, trimmed.
        {"user-agent:  Lower/3 ", "Lower/3"},
        {"X-A: 1\r\nUSER-AGENT: Up/4", "1\r\nUSER-AGENT: Up/4"},
    };
    for (const auto& [headers, agent] : cases) {
        EXPECT_EQ(net::fetchUserAgent(headers), agent) << headers;
    }
}

TEST(FetchPage, CookiesOutFromSetCookieLinesAndHeaderCaseRewritten) {
    RawServer server([](const std::string&) {
        return RawServer::http("200 OK", "Set-Cookie: a=1; Path=/\r\nset-cookie: b=2\r\n", "");
    });
    FetchOptions options;
    fetchPage(base(server) + "/", options);
    EXPECT_EQ(options.cookiesOut, "a=1; b=2");
    EXPECT_NE(options.responseHeaders.find("\r\nSet-Cookie: b=2\r\n"), std::string::npos);
}

// Serves /set (sets s=42), /other (sets t=7) and /echo (the Cookie header it got).
class CookieSite : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.Get("/set", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "s=42; Path=/");
            res.set_content("set", "text/plain");
        });
        server_.Get("/other", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "t=7; Path=/");
            res.set_content("other", "text/plain");
        });
        server_.Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    void TearDown() override {
        server_.stop();
        thread_.join();
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    Bytes get(const std::string& path, std::optional<Text> cookies = std::nullopt) {
        FetchOptions options;
        options.cookieJar = &jar_;
        options.cookies = std::move(cookies);
        return fetchPage(url(path), options);
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    CookieJar jar_;
};

TEST_F(CookieSite, StoreCarriesCookiesBetweenCallsUnlessCookiesAreGiven) {
    EXPECT_EQ(get("/set"), "set");
    EXPECT_EQ(get("/echo"), "s=42");
    // Given cookies, even empty ones: nothing from the store goes out...
    EXPECT_EQ(get("/echo", Text("")), "");
    EXPECT_EQ(get("/echo", Text("c=3")), "c=3");
    // ...and nothing the response sets is stored.
    EXPECT_EQ(get("/other", Text("")), "other");
    EXPECT_EQ(get("/echo"), "s=42");
}

TEST_F(CookieSite, WithoutAJarNoCookiesAreKept) {
    FetchOptions options;
    fetchPage(url("/set"), options);
    FetchOptions second;
    EXPECT_EQ(fetchPage(url("/echo"), second), "");
}

TEST(FetchPage, RedirectFollowedOrNot) {
    httplib::Server server;
    server.Get("/from", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/to");
        res.set_content("moved", "text/plain");
    });
    server.Get("/to", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("arrived", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/from";

    FetchOptions follow;
    EXPECT_EQ(fetchPage(url, follow), "arrived");
    EXPECT_EQ(follow.responseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);

    FetchOptions stay;
    stay.noRedirect = true;
    EXPECT_EQ(fetchPage(url, stay), "moved");
    EXPECT_EQ(stay.responseHeaders.rfind("HTTP/1.1 302 Found\r\n", 0), 0u);
    EXPECT_NE(stay.responseHeaders.find("\r\nLocation: /to\r\n"), std::string::npos);

    server.stop();
    thread.join();
}

TEST(FetchPage, RedirectToAFileIsRefused) {
    const std::filesystem::path secret =
        std::filesystem::temp_directory_path() / "pelnoria_net_secret.txt";
    std::ofstream(secret) << "SECRET-CONTENT";
    RawServer server([&](const std::string&) {
        return RawServer::http("302 Found", "Location: file://" + secret.string() + "\r\n", "");
    });
    FetchOptions options;
    const Bytes body = fetchPage(base(server) + "/", options);
    EXPECT_EQ(body.find("SECRET"), std::string::npos);
    EXPECT_EQ(body, "");
    std::filesystem::remove(secret);
}

TEST(FetchPage, ErrorStatusBodyIsReturned) {
    RawServer server(
        [](const std::string&) { return RawServer::http("404 Not Found", "", "no such page"); });
    FetchOptions options;
    EXPECT_EQ(fetchPage(base(server) + "/missing", options), "no such page");
    EXPECT_EQ(options.responseHeaders.rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u);
}

TEST(FetchPage, BodyThatBreaksOffGivesTheBytesSoFar) {
    RawServer server([](const std::string&) {
        return RawServer::Reply{
            "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nSet-Cookie: k=v\r\n\r\npartial", false};
    });
    FetchOptions options;
    EXPECT_EQ(fetchPage(base(server) + "/", options), "partial");
    EXPECT_EQ(options.cookiesOut, "k=v");
}

TEST(FetchPage, BodyIsCutOffAtTheLimit) {
    RawServer server(
        [](const std::string&) { return RawServer::http("200 OK", "", std::string(50000, 'z')); });
    FetchOptions options;
    options.limits.maxBodyBytes = 1000;
    EXPECT_EQ(fetchPage(base(server) + "/", options), std::string(1000, 'z'));
}

TEST(FetchPage, HeaderBlockThatDoesNotFitLeavesBlanks) {
    RawServer server([](const std::string&) {
        return RawServer::http(
            "200 OK", "Set-Cookie: a=1\r\nX-Big: " + std::string(5000, 'b') + "\r\n", "body");
    });
    FetchOptions options;
    EXPECT_EQ(fetchPage(base(server) + "/", options), "body");
    EXPECT_EQ(options.responseHeaders, std::string(5000, ' '));
    EXPECT_EQ(options.cookiesOut, "");
}

TEST(FetchPage, ClosedPortFailsAfterTheMerge) {
    FetchOptions options;
    options.method = 1;
    options.postText = "p=1";
    options.cookiesOut = "old=1";
    const std::string url = "http://127.0.0.1:" + std::to_string(test::closedPort()) + "/";
    EXPECT_EQ(fetchPage(url, options), "");
    EXPECT_EQ(options.headers,
              "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n" + kFormType);
    EXPECT_EQ(options.responseHeaders, std::string(5000, ' '));
    EXPECT_EQ(options.cookiesOut, "");
    EXPECT_EQ(options.postBytes, "p=1");
}

TEST(FetchPage, ServerThatNeverAnswersIsAbandoned) {
    RawServer server([](const std::string&) { return RawServer::Reply{"", true}; });
    FetchOptions options;
    options.limits.stallSeconds = 1;
    EXPECT_EQ(fetchPage(base(server) + "/", options), "");
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(options.responseHeaders, std::string(5000, ' '));
}

RawServer::Reply trickled(RawServer::Reply reply, int pauseMs) {
    reply.trickleMs = pauseMs;
    return reply;
}

// A server that keeps sending a byte now and then never trips the stall limit: the bound on
// the whole request ends the call, redirects included, and what arrived is no page.
TEST(FetchPage, AnswerStillArrivingAtTheTotalBoundIsNoPage) {
    struct Case {
        const char* label;
        std::string path;
        long totalTimeoutMs;
        bool headerBlockIn;  // the answer's header block arrived before the bound
    };
    const Case cases[] = {
        {"body trickles", "/body", 1500, true},
        {"header block trickles", "/head", 800, false},
        // Each hop alone ends within the bound, both together do not.
        {"redirect followed by curl", "/hop", 700, false},
        {"redirect followed hop by hop", "/hop\xB0\xA1", 700, false},
    };
    RawServer server([](const std::string& request) {
        if (request.rfind("GET /body ", 0) == 0) {
            return trickled(RawServer::http("200 OK", "", std::string(200, 'b')), 20);
        }
        if (request.rfind("GET /head ", 0) == 0) {
            return trickled(RawServer::http("200 OK", "", "h"), 100);
        }
        if (request.rfind("GET /hop", 0) == 0) {
            return trickled(RawServer::http("302 Found", "Location: /next\r\n", ""), 10);
        }
        return trickled(RawServer::http("200 OK", "", "hello"), 10);
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FetchOptions options;
        options.limits.totalTimeoutMs = c.totalTimeoutMs;
        EXPECT_EQ(fetchPage(base(server) + c.path, options), "");
        EXPECT_EQ(options.responseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0) == 0, c.headerBlockIn);
    }
    // Within the bound the same answers are pages.
    FetchOptions patient;
    patient.limits.totalTimeoutMs = 10000;
    EXPECT_EQ(fetchPage(base(server) + "/hop\xB0\xA1", patient), "hello");
}

// The stall limit is no bound on the whole request: a body that stops arriving keeps the
// bytes that came, as any body that broke off.
TEST(FetchPage, StalledBodyKeepsTheBytesSoFar) {
    RawServer server([](const std::string&) {
        return RawServer::Reply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\np", true};
    });
    FetchOptions options;
    options.limits.stallSeconds = 1;
    EXPECT_EQ(fetchPage(base(server) + "/", options), "p");
}

TEST(FetchPage, ProxyServesHttpHopsOnly) {
    RawServer secureSite([](const std::string&) { return RawServer::Reply{}; });
    const std::string secureUrl = "https://127.0.0.1:" + std::to_string(secureSite.port()) + "/";
    RawServer proxy([&](const std::string& request) {
        if (request.rfind("GET http://127.0.0.1:1/go HTTP/1.1\r\n", 0) == 0) {
            return RawServer::http("302 Found", "Location: " + secureUrl + "\r\n", "");
        }
        return RawServer::http("200 OK", "", "via proxy");
    });
    const std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.port());

    FetchOptions plain;
    plain.proxy = proxyAddress;
    EXPECT_EQ(fetchPage("http://127.0.0.1:1/page", plain), "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.firstRequest().rfind("GET http://127.0.0.1:1/page HTTP/1.1\r\n", 0), 0u);

    // The https hop goes straight to its host (a TLS hello arrives there), not via CONNECT.
    FetchOptions redirected;
    redirected.proxy = proxyAddress;
    fetchPage("http://127.0.0.1:1/go", redirected);
    EXPECT_EQ(proxy.requests().size(), 2u);
    ASSERT_EQ(secureSite.requests().size(), 1u);
    EXPECT_EQ(secureSite.firstRequest().substr(0, 1), "\x16");
}

}  // namespace
}  // namespace pel
