// Only web addresses reach the shell.
#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

using testing::AppFixture;

TEST(OpenInBrowser, HandsOnlyHttpAndHttpsAddressesToTheShell) {
    struct Case {
        Text url;
        bool opened;
    };
    const Case cases[] = {
        {"http://127.0.0.1:8080/down/1.txt", true},
        {"https://127.0.0.1/a", true},
        {"HTTP://127.0.0.1/A", true},
        {"HtTpS://127.0.0.1/", true},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"JavaScript:http://x", false},
        {"ftp://127.0.0.1/x", false},
        {"/usr/bin/xterm", false},
        {"http:/127.0.0.1", false},
        {"httpx://127.0.0.1", false},
        {" http://127.0.0.1", false},
        {"", false},
        {"http://127.0.0.1/a\r\nb", false},
    };
    for (const Case& c : cases) {
        AppFixture f;
        openInBrowser(f.app(), c.url);
        const auto opened = f.shell().openedUrls();
        if (c.opened) {
            EXPECT_EQ(opened, std::vector<std::string>{c.url}) << c.url;
        } else {
            EXPECT_TRUE(opened.empty()) << c.url;
        }
        EXPECT_TRUE(f.shell().exploredDirectories().empty());
    }
}

TEST(OpenInBrowser, ConvertsTheAddressToUtf8) {
    AppFixture f;
    openInBrowser(f.app(), gbk("http://127.0.0.1/书/下载.txt"));
    EXPECT_EQ(f.shell().openedUrls(), std::vector<std::string>{"http://127.0.0.1/书/下载.txt"});
}

}  // namespace
}  // namespace pel
