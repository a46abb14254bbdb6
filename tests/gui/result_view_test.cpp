// The thumbnail view: a loaded result page completes once, a click on a thumbnail selects its
// site and the page stays.
#include <QLineEdit>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <fstream>

#include "core/fixed_texts.h"
#include "core/no_cover_image.h"
#include "gui/local_file_guard.h"
#include "gui/result_view_page.h"
#include "gui_fixture.h"
#include "search/result_page.h"
#include "text/encoding.h"

namespace pel::gui_test {
namespace {

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(GuiTest, ThumbnailClickSelectsItsSiteAndThePageStays) {
    ResultSlot slot;
    slot.bookUrl = "http://127.0.0.1:9/book/3";
    slot.name = gbk("遮天");
    slot.author = gbk("辰东");
    slot.latestChapter = gbk("第一章");
    slot.coverUrl = noCoverFileName();
    slot.introduction = noIntroText();
    app_->search.resultSlots[3].set(slot);

    const std::filesystem::path page = resultPagePath(*app_);
    writeFile(page,
              resultPage(resultLine(noCoverFileName(), gbk("顶点：《遮天》作者：辰东"), "3")));
    writeFile(noCoverPicturePath(*app_), noCoverImage());
    window_.setAddress(Control::HtmlView, page.string());

    // The completed load removes both files again.
    ASSERT_TRUE(waitFor([&] { return !std::filesystem::exists(page); }, 20000));
    EXPECT_FALSE(std::filesystem::exists(noCoverPicturePath(*app_)));
    QWebEngineView* view = mainWindow_->htmlView();
    const QUrl loaded = view->url();
    EXPECT_EQ(loaded, QUrl::fromLocalFile(QString::fromStdString(page.string())));

    // What a click on the thumbnail runs.
    view->page()->runJavaScript(QStringLiteral("document.images[0].onclick();"));
    ASSERT_TRUE(waitFor([this] { return app_->search.selectedSite.load() == 3; }));
    ASSERT_TRUE(waitFor([this] {
        return find<QLineEdit>("小说名称_编辑框")->text() == QString::fromUtf8("遮天");
    }));
    EXPECT_EQ(find<QLineEdit>("小说作者_编辑框")->text(), QString::fromUtf8("辰东"));
    EXPECT_EQ(window_.alignment(Control::IntroBox), Alignment::Center);
    EXPECT_EQ(view->url(), loaded);  // refused: the strip stays
}

TEST(NavigationTarget, GivesTheLocalFileOfAFileAddressAndNothingElse) {
    const QUrl page = QUrl::fromLocalFile(QString::fromUtf8("/opt/书 架/lstplb.html"));
    struct Case {
        QUrl url;
        const char* path;
    } cases[] = {
        {page, "/opt/书 架/lstplb.html"},
        {page.resolved(QUrl("3")), "/opt/书 架/3"},  // a thumbnail's link
        {QUrl("file:///opt/%E4%B9%A6%20%E6%9E%B6/lstplb.html"), "/opt/书 架/lstplb.html"},
        {QUrl("FILE://localhost/opt/p/lstplb.html"), "/opt/p/lstplb.html"},
        {QUrl("file://otherhost/opt/p/3"), ""},
        {QUrl("http://127.0.0.1:9/3"), ""},
        {QUrl("about:blank"), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(navigationTarget(c.url), std::filesystem::path(c.path))
            << c.url.toString().toStdString();
    }
}

TEST(LocalFileGuardTest, LetsThePageReachOnlyItsOwnLocalFiles) {
    const LocalFileGuard guard("/opt/p/lstplb.html", "/opt/p/zwfm.jpg");
    struct Case {
        const char* url;
        bool allowed;
    } cases[] = {
        {"http://127.0.0.1:8080/cover/a.png", true},
        {"HTTPS://example.test/c.jpg", true},
        {"data:image/png;base64,AAAA", true},
        {"file:///opt/p/lstplb.html", true},
        {"file:///opt/p/zwfm.jpg", true},
        {"file:///opt/p/../p/zwfm.jpg", true},
        {"file:///etc/passwd", false},
        {"file:///opt/p/other.txt", false},
        {"ftp://127.0.0.1/x", false},
        {"javascript:alert(1)", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(guard.allows(QUrl(QString::fromUtf8(c.url))), c.allowed) << c.url;
    }
}

TEST_F(GuiTest, ResultPageShowsItsNoCoverPictureButNoOtherLocalFile) {
    const std::filesystem::path page = resultPagePath(*app_);
    const std::filesystem::path stranger = dir_ / "stranger.jpg";
    writeFile(stranger, noCoverImage());
    writeFile(page, "<html><body><img src=\"zwfm.jpg\"><img src=\"stranger.jpg\"></body></html>");
    writeFile(noCoverPicturePath(*app_), noCoverImage());
    window_.setAddress(Control::HtmlView, page.string());
    ASSERT_TRUE(waitFor([&] { return !std::filesystem::exists(page); }, 20000));

    int ownWidth = -1;
    int strangerWidth = -1;
    mainWindow_->htmlView()->page()->runJavaScript(
        QStringLiteral("[document.images[0].naturalWidth, document.images[1].naturalWidth]"),
        [&](const QVariant& v) {
            const QVariantList widths = v.toList();
            if (widths.size() == 2) {
                ownWidth = widths[0].toInt();
                strangerWidth = widths[1].toInt();
            }
        });
    ASSERT_TRUE(waitFor([&] { return ownWidth != -1; }));
    EXPECT_EQ(ownWidth, 128);
    EXPECT_EQ(strangerWidth, 0);
}

}  // namespace
}  // namespace pel::gui_test
