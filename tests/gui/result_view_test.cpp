// The thumbnail view: a loaded result page completes once, a click on a thumbnail selects its
// site and the page stays.
#include <QLineEdit>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <fstream>

#include "app/fixed_texts.h"
#include "app/no_cover_image.h"
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
    app_->resultSlots[3].set(slot);

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
    ASSERT_TRUE(waitFor([this] { return app_->selectedSite.load() == 3; }));
    ASSERT_TRUE(waitFor([this] {
        return find<QLineEdit>("小说名称_编辑框")->text() == QString::fromUtf8("遮天");
    }));
    EXPECT_EQ(find<QLineEdit>("小说作者_编辑框")->text(), QString::fromUtf8("辰东"));
    EXPECT_EQ(window_.alignment(Control::IntroBox), Alignment::Center);
    EXPECT_EQ(view->url(), loaded);  // refused: the strip stays
}

}  // namespace
}  // namespace pel::gui_test
