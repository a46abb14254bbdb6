// The update check against a loopback update page, and the click on the notice.
#include <gtest/gtest.h>

#include "core/fixed_texts.h"
#include "search/loopback_site.h"
#include "support/app_fixture.h"
#include "text/encoding.h"
#include "update/update_check.h"

namespace pel {
namespace {

using testing::AppFixture;
using testing::LoopbackSite;

const std::string kPath = "/pzwj/txtyz.php";

struct UpdateRun {
    explicit UpdateRun(const std::string& url)
        : fixture([url](AppSettings& settings) { settings.sites.updateUrl = url; }) {
        disclaimer = fixture.window().text(Control::DisclaimerLabel);
        checkForUpdate(fixture.app(), 0);
    }
    Text label() { return fixture.window().text(Control::DisclaimerLabel); }
    Cursor cursor() { return fixture.window().cursor(Control::DisclaimerLabel); }

    AppFixture fixture;
    Text disclaimer;
};

TEST(CheckForUpdate, AnotherVersionTurnsTheDisclaimerIntoTheNotice) {
    LoopbackSite web;
    web.serve(kPath,
              "<p>历史更新：1. 新增<br />2. 修复#旧#</p><p>最新版本：V.1.9<br />"
              "更新地址：http://127.0.0.1:9/get<br /></p>");
    UpdateRun run(web.base() + kPath);

    const Text expected = Text(30, ' ') + gbk("--- 点此更新：V.1.9 ---1. 新增<br />2. 修复");
    EXPECT_EQ(run.label(), expected);
    EXPECT_EQ(Text(30, ' ') + gbk("--- 点此更新："), expected.substr(0, 44));
    EXPECT_EQ(run.cursor(), Cursor::Hand);
    const UpdateInfo info = run.fixture.app().updateInfo.get();
    EXPECT_EQ(info.latestVersion, "V.1.9");
    EXPECT_EQ(info.updateAddress, "http://127.0.0.1:9/get");
    EXPECT_EQ(info.updateHistory, gbk("1. 新增<br />2. 修复"));
    EXPECT_NE(info.pageText.find(gbk("最新版本：")), Text::npos);

    openUpdateLink(run.fixture.app());
    EXPECT_EQ(run.fixture.shell().openedUrls(), std::vector<std::string>{"http://127.0.0.1:9/get"});
}

TEST(CheckForUpdate, NoNoticeForOurOwnVersionOrNoAnswer) {
    LoopbackSite web;
    web.serve(kPath, "最新版本：V.2.0<br />更新地址：http://127.0.0.1:9/get<br />");
    const std::string urls[] = {web.base() + kPath, testing::deadBase() + kPath,
                                web.base() + "/elsewhere"};
    for (const std::string& url : urls) {
        SCOPED_TRACE(url);
        UpdateRun run(url);
        EXPECT_EQ(run.label(), run.disclaimer);
        EXPECT_EQ(run.cursor(), Cursor::Arrow);
        openUpdateLink(run.fixture.app());
        EXPECT_TRUE(run.fixture.shell().openedUrls().empty());
    }
}

TEST(CheckForUpdate, ANoticeWithoutAnAddressOpensNothing) {
    LoopbackSite web;
    web.serve(kPath, "最新版本：V.3.0<br />历史更新：x#");
    UpdateRun run(web.base() + kPath);
    EXPECT_EQ(run.label(), Text(30, ' ') + gbk("--- 点此更新：V.3.0 ---x"));
    openUpdateLink(run.fixture.app());
    EXPECT_TRUE(run.fixture.shell().openedUrls().empty());
}

TEST(OpenUpdateLink, DoesNothingUntilTheLabelShowsTheNotice) {
    AppFixture f;
    f.app().updateInfo.set({"", "V.3.0", "http://127.0.0.1:9/get", ""});
    f.window().setText(Control::DisclaimerLabel, gbk("声明"));
    openUpdateLink(f.app());
    EXPECT_TRUE(f.shell().openedUrls().empty());
    f.window().setText(Control::DisclaimerLabel, gbk("--- 点此更新：V.3.0 ---"));
    openUpdateLink(f.app());
    EXPECT_EQ(f.shell().openedUrls().size(), 1u);
}

}  // namespace
}  // namespace pel
