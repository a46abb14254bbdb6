// Property writes through the window adapter reach the Qt controls, from any thread.
#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QWebEngineView>
#include <string>
#include <thread>

#include "core/no_cover_image.h"
#include "gui_fixture.h"
#include "text/encoding.h"

namespace pel::gui_test {
namespace {

TEST_F(GuiTest, WritesFromAWorkerThreadReachTheControlsInOrder) {
    std::thread worker([this] {
        window_.setVisible(Control::ProgressFrame, true);
        for (int w = 0; w <= 120; ++w)
            window_.setWidth(Control::ProgressFill, w);
        window_.setText(Control::NameBox, gbk("凡人修仙传"));
        window_.setText(Control::StatusLabel, gbk("第一章"));
        window_.setText(Control::StatusLabel, gbk("第二章"));
        window_.setCursor(Control::DisclaimerLabel, Cursor::Hand);
    });
    worker.join();
    // The getters see the writes at once; the widgets once the GUI thread has run.
    EXPECT_EQ(window_.text(Control::NameBox), gbk("凡人修仙传"));
    ASSERT_TRUE(waitFor([this] {
        return find<QLineEdit>("小说名称_编辑框")->text() == QString::fromUtf8("凡人修仙传");
    }));
    EXPECT_FALSE(find<QWidget>("下载_图片框")->isHidden());
    EXPECT_EQ(find<QLabel>("下载_标签2")->width(), 120);
    EXPECT_EQ(find<QLabel>("下载_标签1")->text(), QString::fromUtf8("第二章"));
    EXPECT_EQ(find<QLabel>("声明_标签")->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(GuiTest, WritesAfterTheWindowIsGoneAreDropped) {
    // Posted while the window exists and carried out after it is gone: the race at exit.
    window_.setText(Control::NameBox, gbk("迟到"));
    destroyWindow();
    std::thread worker([this] { window_.setText(Control::AuthorBox, gbk("更迟")); });
    worker.join();
    QCoreApplication::processEvents();
    // The mirror keeps what the routines wrote: they read their own writes back.
    EXPECT_EQ(window_.text(Control::NameBox), gbk("迟到"));
    EXPECT_EQ(window_.text(Control::AuthorBox), gbk("更迟"));

    // A window attached afterwards gets neither write: they were dropped, not held back, and
    // later writes reach it as usual.
    mainWindow_ = std::make_unique<MainWindow>(*app_, window_);
    window_.attach(mainWindow_.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(find<QLineEdit>("小说名称_编辑框")->text(), QStringLiteral("Pelnoria"));
    EXPECT_EQ(find<QLineEdit>("小说作者_编辑框")->text(), QStringLiteral("qorvenda"));
    window_.setText(Control::LatestBox, gbk("准时"));
    ASSERT_TRUE(waitFor([this] {
        return find<QLineEdit>("小说最新_编辑框")->text() == QString::fromUtf8("准时");
    }));
}

TEST_F(GuiTest, PictureWritesShowAndClearTheCover) {
    auto* cover = find<QLabel>("小说图片_图片框");
    // The creation handler has put the built-in picture there.
    ASSERT_FALSE(cover->pixmap().isNull());
    EXPECT_EQ(cover->pixmap().size(), QSize(128, 185));

    window_.setPicture(Control::CoverBox, Bytes("not a picture"));
    ASSERT_TRUE(waitFor([cover] { return cover->pixmap().isNull(); }));
    window_.setPicture(Control::CoverBox, noCoverImage());
    ASSERT_TRUE(waitFor([cover] { return !cover->pixmap().isNull(); }));
    window_.setPicture(Control::CoverBox, Bytes());
    ASSERT_TRUE(waitFor([cover] { return cover->pixmap().isNull(); }));
}

// Where the first line of the introduction box starts, in document coordinates.
qreal firstLineLeft(QPlainTextEdit* box) {
    QCoreApplication::processEvents();
    const QTextBlock block = box->document()->firstBlock();
    box->document()->documentLayout()->blockBoundingRect(block);  // lays the block out
    const QTextLayout* layout = block.layout();
    if (layout == nullptr || layout->lineCount() == 0)
        return -1;
    return layout->lineAt(0).naturalTextRect().left();
}

TEST_F(GuiTest, IntroductionAlignmentBelongsToTheBox) {
    auto* box = find<QPlainTextEdit>("小说简介_编辑框");
    window_.setText(Control::IntroBox, gbk("短"));
    window_.setAlignment(Control::IntroBox, Alignment::Center);
    ASSERT_TRUE(waitFor([box] { return box->toPlainText() == QString::fromUtf8("短"); }));
    EXPECT_GT(firstLineLeft(box), 100);
    // A new text keeps the centring until the alignment is set back.
    window_.setText(Control::IntroBox, gbk("也短"));
    ASSERT_TRUE(waitFor([box] { return box->toPlainText() == QString::fromUtf8("也短"); }));
    EXPECT_GT(firstLineLeft(box), 100);
    window_.setAlignment(Control::IntroBox, Alignment::Left);
    ASSERT_TRUE(waitFor([box] { return firstLineLeft(box) < 20; }));
}

// A text wider than its box shows its beginning, not its tail: the cursor stays at the start
// after a write, and with it the text's visible part.
TEST_F(GuiTest, ALongTextWrittenToALineBoxShowsItsBeginning) {
    std::string title;
    for (int i = 0; i < 8; ++i)
        title += "一二三四五六七八九十百千";
    const QString expected = QString::fromUtf8(title);
    ASSERT_EQ(expected.size(), 96);
    struct Case {
        Control control;
        const char* name;
    } cases[] = {
        {Control::NameBox, "小说名称_编辑框"},
        {Control::AuthorBox, "小说作者_编辑框"},
        {Control::LatestBox, "小说最新_编辑框"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* box = find<QLineEdit>(c.name);
        ASSERT_NE(box, nullptr);
        window_.setText(c.control, gbk(title));
        ASSERT_TRUE(waitFor([&] { return box->text() == expected; }));
        ASSERT_GT(box->fontMetrics().horizontalAdvance(expected), box->width());
        EXPECT_EQ(box->cursorPosition(), 0);
        box->grab();  // a paint lays the text out and scrolls it to the cursor
        EXPECT_LT(box->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), box->width() / 4);
    }
}

}  // namespace
}  // namespace pel::gui_test
