#include "net/url_parts.h"

#include <gtest/gtest.h>

namespace pel {
namespace {

TEST(UrlParts, HostPortAndPath) {
    struct Case {
        const char* url;
        const char* host;
        const char* hostWithPort;
        int port;
        const char* path;
    };
    const Case cases[] = {
        {"HTTP://Example.COM:8080/a/B?x=1", "example.com", "example.com:8080", 8080, "/a/B?x=1"},
        {"Host.Example/c", "host.example", "host.example", 80, "/c"},
        {"https://Secure.Example", "secure.example", "secure.example", 443, "/"},
        {"HTTPS://a.b:444/P", "a.b", "a.b:444", 444, "/P"},
        {"http://h.cn/\xB0\xA1?q=\xD6\xD0", "h.cn", "h.cn", 80, "/\xB0\xA1?q=\xD6\xD0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(urlHost(c.url), c.host);
        EXPECT_EQ(urlHost(c.url, true), c.hostWithPort);
        EXPECT_EQ(urlPort(c.url), c.port);
        EXPECT_EQ(urlPath(c.url), c.path);
    }
}

TEST(UrlParts, WebScheme) {
    struct Case {
        const char* url;
        WebScheme scheme;
    };
    const Case cases[] = {
        {"http://a/", WebScheme::Http},   {"HtTp://a/", WebScheme::Http},
        {"https://a/", WebScheme::Https}, {"HTTPS://a", WebScheme::Https},
        {"http:/a", WebScheme::None},     {"httpx://a", WebScheme::None},
        {" http://a", WebScheme::None},   {"file:///a", WebScheme::None},
        {"a.cn/x", WebScheme::None},      {"", WebScheme::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(webScheme(c.url), c.scheme) << c.url;
        EXPECT_EQ(isWebAddress(c.url), c.scheme != WebScheme::None) << c.url;
    }
}

TEST(UrlParts, FetchableAddress) {
    struct Case {
        const char* url;
        bool fetchable;
    };
    const Case cases[] = {
        {"http://h/x", true},
        {"HTTPS://h/x", true},
        {"h/x", true},
        {"127.0.0.1:8080/x", true},
        {"localhost:8080", true},
        {"h:80?q=1", true},
        {"file:///x", false},
        {"FILE:///x", false},
        {"ftp://h/x", false},
        {"javascript:x", false},
        {"javascript:1;x", false},
        {"mailto:", false},
        {"mailto:a@h:80/x", false},
        {"h:80x/y", false},
        {"http:/h", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isFetchableAddress(c.url), c.fetchable) << c.url;
    }
}

}  // namespace
}  // namespace pel
