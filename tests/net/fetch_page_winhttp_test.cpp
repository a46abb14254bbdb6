// The second client against loopback servers: the request it sends, status and out-arguments,
// the charset step and the numbered failures.
#include "net/fetch_page_winhttp.h"

#include <gtest/gtest.h>

#include <string>

#include "raw_server.h"
#include "text/encoding.h"

namespace pel {
namespace {

using test::RawServer;

const std::string kDefaultLines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";

std::string base(const RawServer& server) {
    return "http://127.0.0.1:" + std::to_string(server.port());
}

std::string hostLine(const RawServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

RawServer replying(RawServer::Reply reply) {
    return RawServer([reply](const std::string&) { return reply; });
}

TEST(FetchPageWinHttp, OnlyUrlSendsGetWithTheSixDefaultLines) {
    RawServer server = replying(RawServer::http("200 OK", "", "page"));
    WinHttpRequest request;
    request.url = base(server) + "/w?x=1";
    EXPECT_EQ(fetchPageWinHttp(request), "page");
    EXPECT_EQ(server.firstRequest(),
              "GET /w?x=1 HTTP/1.1\r\n" + hostLine(server) + kDefaultLines + "\r\n");
    EXPECT_EQ(request.statusText, "200 OK");
    EXPECT_EQ(request.responseBody, "page");
    EXPECT_EQ(request.responseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n");
}

TEST(FetchPageWinHttp, VerbsAndBodies) {
    const struct {
        int method;
        std::string postText;
        std::string start;  // request line, Host line, default lines
        std::string tail;   // what follows the default lines
    } cases[] = {
        {3, "", "PUT", "Content-Length: 0\r\n\r\n"},
        {9, "", "GET", "\r\n"},
        {1, "a=1", "POST", "Content-Length: 3\r\n\r\na=1"},
        {0, "g=2", "GET", "Content-Length: 3\r\n\r\ng=2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        RawServer server = replying(RawServer::http("200 OK", "", ""));
        WinHttpRequest request;
        request.url = base(server) + "/v";
        request.method = c.method;
        request.postText = c.postText;
        fetchPageWinHttp(request);
        EXPECT_EQ(server.firstRequest(),
                  c.start + " /v HTTP/1.1\r\n" + hostLine(server) + kDefaultLines + c.tail);
    }
}

TEST(FetchPageWinHttp, CallerLinesAndTheDefaults) {
    RawServer server = replying(RawServer::http("200 OK", "", ""));
    WinHttpRequest request;
    request.url = base(server) + "/";
    // accept in lower case suppresses the default; content-type in lower case does not, and the
    // default then replaces it (one line per name).
    request.headers = "accept: text/plain\r\ncontent-type: text/plain\r\nUser-Agent: Mine/1";
    request.cookies = "k=v";
    fetchPageWinHttp(request);
    EXPECT_EQ(server.firstRequest(), "GET / HTTP/1.1\r\n" + hostLine(server) +
                                         "accept: text/plain\r\n"
                                         "Content-Type: application/x-www-form-urlencoded\r\n"
                                         "User-Agent: Mine/1\r\n"
                                         "Accept-Encoding: gbk, GB2312\r\n"
                                         "Accept-Language: zh-cn\r\n"
                                         "Cache-Control: no-cache\r\n"
                                         "Cookie: k=v\r\n\r\n");
}

TEST(FetchPageWinHttp, BasicCredentialsForServerAndProxy) {
    RawServer proxy = replying(RawServer::http("200 OK", "", "proxied"));
    WinHttpRequest request;
    request.url = "http://127.0.0.1:1/c";
    request.serverUser = "u";
    request.serverPassword = "p";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    request.proxyUser = "pu";
    request.proxyPassword = "pp";
    EXPECT_EQ(fetchPageWinHttp(request), "proxied");
    const std::string sent = proxy.firstRequest();
    EXPECT_EQ(sent.rfind("GET http://127.0.0.1:1/c HTTP/1.1\r\n", 0), 0u);
    EXPECT_NE(sent.find("\r\nAuthorization: Basic dTpw\r\n"), std::string::npos);
    EXPECT_NE(sent.find("\r\nProxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos);
}

TEST(FetchPageWinHttp, StatusLocationAndCookies) {
    RawServer server = replying(
        RawServer::http("302 Found",
                        "Set-Cookie: a=1; path=/\r\nSET-COOKIE: b=2\r\nLocation: /first\r\n"
                        "location: /elsewhere\r\n",
                        "moved"));
    WinHttpRequest request;
    request.url = base(server) + "/";
    request.noRedirect = true;
    EXPECT_EQ(fetchPageWinHttp(request), "moved");
    EXPECT_EQ(request.statusText, "302 Found");
    EXPECT_EQ(request.redirectLocation, "/elsewhere");
    EXPECT_EQ(request.cookiesOut, "a=1; b=2");
    EXPECT_NE(request.responseHeaders.find("\r\nSet-Cookie: b=2\r\n"), std::string::npos);

    // Items are appended to what the caller passed; with no item it stays as it was.
    WinHttpRequest again;
    again.url = request.url;
    again.noRedirect = true;
    again.cookiesOut = "z=9; ";
    fetchPageWinHttp(again);
    EXPECT_EQ(again.cookiesOut, "z=9; a=1; b=2");
    RawServer plain = replying(RawServer::http("200 OK", "", ""));
    WinHttpRequest none;
    none.url = base(plain) + "/";
    none.cookiesOut = "keep=1";
    fetchPageWinHttp(none);
    EXPECT_EQ(none.cookiesOut, "keep=1");
}

TEST(FetchPageWinHttp, ErrorStatusPageIsReturned) {
    RawServer server = replying(RawServer::http("404 Not Found", "", "gone"));
    WinHttpRequest request;
    request.url = base(server) + "/missing";
    EXPECT_EQ(fetchPageWinHttp(request), "gone");
    EXPECT_EQ(request.statusText, "404 Not Found");
}

TEST(FetchPageWinHttp, CharsetDeclaredInTheFirst1024Bytes) {
    const std::string utf8Text = "\xE4\xB8\xAD\xE6\x96\x87";  // two Chinese characters
    const std::string gbkText = "\xD6\xD0\xCE\xC4";           // the same two in GBK
    const std::string late = std::string(1100, 'x');
    const struct {
        std::string body;
        std::string page;
    } cases[] = {
        {"<meta charset=\"utf-8\">" + utf8Text, "<meta charset=\"utf-8\">" + gbkText},
        {"<META http-equiv=Content-Type content='text/html; charset=UTF-8'>" + utf8Text,
         "<META http-equiv=Content-Type content='text/html; charset=UTF-8'>" + gbkText},
        {"<meta charset=gbk>" + gbkText, "<meta charset=gbk>" + gbkText},
        {"<meta charset=gb2312>" + gbkText, "<meta charset=gb2312>" + gbkText},
        {late + "<meta charset=utf-8>" + utf8Text, late + "<meta charset=utf-8>" + utf8Text},
        {"<p>" + gbkText + std::string(1, '\0') + "after", "<p>" + gbkText},
        {"<meta charset=no-such-set>" + gbkText, "<meta charset=no-such-set>" + gbkText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 40));
        RawServer server = replying(RawServer::http("200 OK", "", c.body));
        WinHttpRequest request;
        request.url = base(server) + "/";
        EXPECT_EQ(fetchPageWinHttp(request), c.page);
        EXPECT_EQ(request.responseBody, c.body);
    }
}

TEST(FetchPageWinHttp, NumberedFailures) {
    RawServer silent([](const std::string&) { return RawServer::Reply{"", true}; });
    RawServer hangsUp([](const std::string&) { return RawServer::Reply{}; });
    RawServer redirectsToFile =
        replying(RawServer::http("302 Found", "Location: file:///etc/hostname\r\n", ""));
    const struct {
        std::string url;
        const char* message;
    } cases[] = {
        {"not a url", "701 解析URL地址失败!"},
        {"ftp://127.0.0.1/x", "701 解析URL地址失败!"},
        {"http://127.0.0.1:" + std::to_string(test::closedPort()) + "/", "711 发送请求失败!"},
        {base(silent) + "/", "712 服务器未响应!"},
        {base(hangsUp) + "/", "712 服务器未响应!"},
        {base(redirectsToFile) + "/", "712 服务器未响应!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        WinHttpRequest request;
        request.url = c.url;
        request.timeoutSeconds = 1;
        request.cookiesOut = "kept";
        request.responseHeaders = "kept";
        request.redirectLocation = "kept";
        request.responseBody = "kept";
        EXPECT_EQ(fetchPageWinHttp(request), "");
        EXPECT_EQ(request.statusText, gbk(c.message));
        EXPECT_EQ(request.cookiesOut + request.responseHeaders + request.redirectLocation +
                      request.responseBody,
                  "keptkeptkeptkept");
    }
}

TEST(FetchPageWinHttp, BodyThatBreaksOffKeepsItsBytesAndSaysSo) {
    RawServer server = replying(RawServer::Reply{
        "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nSet-Cookie: s=1\r\n\r\nhalf", false});
    WinHttpRequest request;
    request.url = base(server) + "/";
    EXPECT_EQ(fetchPageWinHttp(request), "half");
    EXPECT_EQ(request.statusText, gbk("713 读取数据失败!"));
    EXPECT_EQ(request.responseBody, "half");
    EXPECT_EQ(request.cookiesOut, "s=1");
}

// A byte every 50 ms trips none of the per-phase bounds; the bound on the whole request ends
// it as a failed transfer: no answer while the header block (2 s of it) is still arriving, a
// body that broke off once it is in.
TEST(FetchPageWinHttp, AnswerStillArrivingAtTheTotalBoundFails) {
    RawServer server([](const std::string&) {
        return RawServer::Reply{
            "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(100, 'b'), false, 50};
    });
    WinHttpRequest head;
    head.url = base(server) + "/";
    head.timeoutSeconds = 5;
    head.totalTimeoutMs = 1000;
    EXPECT_EQ(fetchPageWinHttp(head), "");
    EXPECT_EQ(head.statusText, gbk("712 服务器未响应!"));

    WinHttpRequest body;
    body.url = base(server) + "/";
    body.timeoutSeconds = 5;
    body.totalTimeoutMs = 4000;
    const Text page = fetchPageWinHttp(body);
    EXPECT_EQ(body.statusText, gbk("713 读取数据失败!"));
    EXPECT_LT(page.size(), 100u);
    EXPECT_EQ(page, std::string(page.size(), 'b'));
}

}  // namespace
}  // namespace pel
