// The result page's bytes, the thumbnail section, the thumbnail click and the clean-up.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/fixed_texts.h"
#include "core/no_cover_image.h"
#include "search/loopback_site.h"
#include "search/result_page.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

using testing::AppFixture;
using testing::LoopbackSite;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<PropertyWrite> writesTo(const RecordingWindow& window, Control control,
                                    Property property) {
    std::vector<PropertyWrite> out;
    for (const PropertyWrite& w : window.writes()) {
        if (w.control == control && w.property == property) {
            out.push_back(w);
        }
    }
    return out;
}

TEST(ResultPageBytes, HeaderLineAndFooterAreExact) {
    const Text page = resultPage("");
    EXPECT_EQ(page.size(), 271u + 16u);
    EXPECT_EQ(page.substr(0, 8), "<html>\r\n");
    EXPECT_EQ(page.substr(page.size() - 16), "</body>\r\n</html>");
    EXPECT_NE(page.find(gbk("<!--禁止右键-->\r\n")), Text::npos);
    EXPECT_TRUE(page.substr(0, 271).ends_with("</script>\r\n<body bgcolor=\"rgb(2,22,30)\">\r\n"));

    const Text caption = gbk("笔趣：《星河》作者：林一");
    const Text line = resultLine("http://h/c.jpg", caption, "2");
    EXPECT_EQ(line, "<img src=\"http://h/c.jpg\" width=\"62\" height=\"82\" alt=\"" + caption +
                        "\" onclick=\"location.href='2';\">\r\n");
    EXPECT_EQ(line.size(), 72u + 14u + caption.size() + 1u);
    EXPECT_EQ(resultPage(line), resultPage("").insert(271, line));
}

TEST(ResultPageBytes, ForeignTextsCannotBreakOutOfTheirAttributes) {
    struct Case {
        Text raw;
        Text escaped;
    };
    const Case cases[] = {
        {"x.jpg\" onerror=\"alert(1)", "x.jpg&quot; onerror=&quot;alert(1)"},
        {"<script>a&b</script>", "&lt;script&gt;a&amp;b&lt;/script&gt;"},
        {"&amp;", "&amp;amp;"},
        {gbk("顶点：《书》作者：甲"), gbk("顶点：《书》作者：甲")},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(resultLine(c.raw, c.raw, "3"),
                  "<img src=\"" + c.escaped + "\" width=\"62\" height=\"82\" alt=\"" + c.escaped +
                      "\" onclick=\"location.href='3';\">\r\n");
    }
}

TEST(AddResultThumbnail, EveryHitRewritesAndReloadsThePageWithAllLinesInOrder) {
    AppFixture f;
    AppState& app = f.app();
    f.window().setVisible(Control::DisclaimerLabel, true);
    const Text lines[] = {resultLine("zwfm.jpg", gbk("知轩：《甲》 作者：乙"), "1"),
                          resultLine("http://h/3.jpg", gbk("顶点：《丙》作者：丁"), "3"),
                          resultLine("", gbk("全书：《》作者："), "6")};
    addResultThumbnail(app, "zwfm.jpg", gbk("知轩：《甲》 作者：乙"), "1");
    EXPECT_EQ(readFile(resultPagePath(app)), resultPage(lines[0]));
    addResultThumbnail(app, "http://h/3.jpg", gbk("顶点：《丙》作者：丁"), "3");
    addResultThumbnail(app, "", gbk("全书：《》作者："), "6");

    EXPECT_EQ(readFile(resultPagePath(app)), resultPage(lines[0] + lines[1] + lines[2]));
    EXPECT_EQ(readFile(noCoverPicturePath(app)), noCoverImage());
    EXPECT_EQ(resultPagePath(app), f.dir() / "lstplb.html");
    EXPECT_EQ(noCoverPicturePath(app), f.dir() / "zwfm.jpg");
    const auto loads = writesTo(f.window(), Control::HtmlView, Property::Address);
    ASSERT_EQ(loads.size(), 3u);
    for (const PropertyWrite& load : loads) {
        EXPECT_EQ(load.text, resultPagePath(app).string());
    }
    EXPECT_FALSE(f.window().isVisible(Control::DisclaimerLabel));
    EXPECT_TRUE(app.bannerText.get().empty());

    onNavigateComplete(app);
    EXPECT_FALSE(std::filesystem::exists(resultPagePath(app)));
    EXPECT_FALSE(std::filesystem::exists(noCoverPicturePath(app)));
    onNavigateComplete(app);  // nothing left to delete: still quiet
}

TEST(AddResultThumbnail, AnUnwritableDirectoryShowsTheBannerAndLoadsNothing) {
    // Tests run as root, where permissions do not stop a write: a directory under a regular
    // file cannot be written by anyone.
    AppFixture f([](AppSettings& settings) {
        const auto blocker = settings.pageDirectory / "plain-file";
        std::ofstream(blocker) << "x";
        settings.pageDirectory = blocker / "dir";
    });
    AppState& app = f.app();
    f.window().setVisible(Control::DisclaimerLabel, true);
    addResultThumbnail(app, "zwfm.jpg", gbk("笔趣：《甲》作者：乙"), "2");

    EXPECT_EQ(app.bannerText.get(), gbk("插入失败 请尝试管理员运行"));
    EXPECT_TRUE(writesTo(f.window(), Control::HtmlView, Property::Address).empty());
    EXPECT_TRUE(f.window().isVisible(Control::DisclaimerLabel));
}

TEST(OnBeforeNavigate, ThePageItselfIsAllowedAndChangesNothing) {
    AppFixture f;
    AppState& app = f.app();
    app.search.selectedSite = 4;
    EXPECT_EQ(onBeforeNavigate(app, resultPagePath(app)), Navigation::Allow);
    EXPECT_EQ(app.search.selectedSite.load(), 4);
    EXPECT_TRUE(f.window().writes().empty());
}

TEST(OnBeforeNavigate, ATargetThatNamesNoSiteClearsTheSelectionAndTouchesNoBox) {
    AppFixture f;
    AppState& app = f.app();
    const std::filesystem::path pagePath = resultPagePath(app);
    for (const std::filesystem::path& target :
         {f.dir() / "0", f.dir() / "7", f.dir() / "8", f.dir() / "9", f.dir() / "x",
          std::filesystem::path(pagePath.string() + "/"), std::filesystem::path()}) {
        SCOPED_TRACE(target);
        app.search.selectedSite = 2;
        EXPECT_EQ(onBeforeNavigate(app, target), Navigation::Refuse);
        EXPECT_EQ(app.search.selectedSite.load(), 0);
    }
    EXPECT_TRUE(f.window().writes().empty());
}

// The picture of the cover box's last write, or "(none)" when there was none.
Bytes lastPicture(const RecordingWindow& window) {
    const auto pictures = writesTo(window, Control::CoverBox, Property::Picture);
    return pictures.empty() ? Bytes("(none)") : pictures.back().bytes;
}

const Bytes kPicture = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10);

TEST(OnBeforeNavigate, AClickSelectsTheSiteFillsTheBoxesAndStaysOnThePage) {
    LoopbackSite web;
    web.serve("/cover/3.jpg", kPicture);
    AppFixture f;
    AppState& app = f.app();
    app.search.resultSlots[3].set({"http://b/3/", gbk("林三"), gbk("星河"), gbk("第九章"),
                                   web.base() + "/cover/3.jpg", noIntroText()});
    app.search.resultSlots[4].set({"http://b/4/", gbk("林四"), gbk("月海"), gbk("第十章"),
                                   noCoverFileName(), gbk("一段简介")});
    app.search.resultSlots[5].set({"http://b/5/", "", "", "", "file:///etc/hostname", ""});
    app.search.resultSlots[6].set({"http://b/6/", "", "", "", web.host() + "/cover/3.jpg", ""});
    app.search.resultSlots[2].set({"http://b/2/", "", "", "", testing::deadBase() + "/c.jpg", ""});

    EXPECT_EQ(onBeforeNavigate(app, f.dir() / "3"), Navigation::Refuse);
    EXPECT_EQ(app.search.selectedSite.load(), 3);
    EXPECT_EQ(f.window().text(Control::NameBox), gbk("星河"));
    EXPECT_EQ(f.window().text(Control::AuthorBox), gbk("林三"));
    EXPECT_EQ(f.window().text(Control::LatestBox), gbk("第九章"));
    EXPECT_EQ(f.window().text(Control::IntroBox), noIntroText());
    EXPECT_EQ(f.window().alignment(Control::IntroBox), Alignment::Center);
    ASSERT_TRUE(testing::waitUntil([&] { return lastPicture(f.window()) == kPicture; }));

    EXPECT_EQ(onBeforeNavigate(app, f.dir() / "4"), Navigation::Refuse);
    EXPECT_EQ(app.search.selectedSite.load(), 4);
    EXPECT_EQ(f.window().text(Control::IntroBox), gbk("一段简介"));
    EXPECT_EQ(f.window().alignment(Control::IntroBox), Alignment::Left);
    EXPECT_EQ(lastPicture(f.window()), noCoverImage());

    // A cover address without a scheme is fetched as plain http.
    EXPECT_EQ(onBeforeNavigate(app, f.dir() / "6"), Navigation::Refuse);
    ASSERT_TRUE(testing::waitUntil([&] { return lastPicture(f.window()) == kPicture; }));

    // A cover of another scheme is not fetched, and one that cannot be fetched gives nothing:
    // both leave the box cleared.
    for (const char* target : {"5", "2"}) {
        SCOPED_TRACE(target);
        f.window().clear();
        EXPECT_EQ(onBeforeNavigate(app, f.dir() / target), Navigation::Refuse);
        ASSERT_TRUE(f.waitIdle());
        const auto pictures = writesTo(f.window(), Control::CoverBox, Property::Picture);
        ASSERT_EQ(pictures.size(), 1u);
        EXPECT_TRUE(pictures[0].bytes.empty());
        EXPECT_EQ(f.window().text(Control::NameBox), "");
    }
}

// The cover is fetched off the window thread: the click has returned, with the boxes filled
// and the picture box cleared, while the cover server still holds the request; the picture
// follows once the server answers.
TEST(OnBeforeNavigate, TheClickReturnsWhileItsCoverIsStillOnItsWay) {
    LoopbackSite web;
    web.serve("/cover/slow.jpg", kPicture);
    web.hold("/cover/slow.jpg");
    AppFixture f;
    AppState& app = f.app();
    app.search.resultSlots[3].set({"http://b/3/", gbk("林三"), gbk("星河"), gbk("第九章"),
                                   web.base() + "/cover/slow.jpg", gbk("一段简介")});

    EXPECT_EQ(onBeforeNavigate(app, f.dir() / "3"), Navigation::Refuse);
    EXPECT_EQ(f.window().text(Control::NameBox), gbk("星河"));
    EXPECT_EQ(f.window().text(Control::IntroBox), gbk("一段简介"));
    ASSERT_TRUE(testing::waitUntil([&] { return web.waiting("/cover/slow.jpg") == 1; }));
    EXPECT_EQ(lastPicture(f.window()), Bytes());

    web.release("/cover/slow.jpg");
    ASSERT_TRUE(testing::waitUntil([&] { return lastPicture(f.window()) == kPicture; }));
}

// Two clicks whose covers arrive in the other order: the second click's picture stays.
TEST(OnBeforeNavigate, ALaterClickWinsOverAnEarlierCoverStillOnItsWay) {
    const Bytes first = kPicture + "first";
    const Bytes second = kPicture + "second";
    LoopbackSite web;
    web.serve("/cover/first.jpg", first);
    web.serve("/cover/second.jpg", second);
    web.hold("/cover/first.jpg");
    AppFixture f;
    AppState& app = f.app();
    app.search.resultSlots[3].set({"", "", "", "", web.base() + "/cover/first.jpg", ""});
    app.search.resultSlots[4].set({"", "", "", "", web.base() + "/cover/second.jpg", ""});

    onBeforeNavigate(app, f.dir() / "3");
    ASSERT_TRUE(testing::waitUntil([&] { return web.waiting("/cover/first.jpg") == 1; }));
    onBeforeNavigate(app, f.dir() / "4");
    ASSERT_TRUE(testing::waitUntil([&] { return lastPicture(f.window()) == second; }));

    web.release("/cover/first.jpg");
    ASSERT_TRUE(f.waitIdle());  // the first fetch has its answer and has ended
    EXPECT_EQ(lastPicture(f.window()), second);
    for (const PropertyWrite& w : writesTo(f.window(), Control::CoverBox, Property::Picture)) {
        EXPECT_NE(w.bytes, first);
    }
}

}  // namespace
}  // namespace pel
