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

}  // namespace
}  // namespace pel
