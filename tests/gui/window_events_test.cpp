// The controls' events reach their handlers.
#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <vector>

#include "gui_fixture.h"
#include "text/encoding.h"

namespace pel::gui_test {
namespace {

// Text as an input method commits it: QTest's key clicks know ASCII only.
void typeText(QWidget* w, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(w, &event);
}

void sendFocus(QWidget* w, QEvent::Type type) {
    QFocusEvent event(type, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(w, &event);
    QCoreApplication::processEvents();
}

TEST_F(GuiTest, SearchBoxFocusClearsAndRestoresThePlaceholder) {
    auto* box = find<QLineEdit>("搜索_编辑框");
    sendFocus(box, QEvent::FocusIn);
    EXPECT_EQ(box->text(), QString());
    QTest::keyClicks(box, QStringLiteral("   "));
    EXPECT_EQ(window_.text(Control::SearchBox), "   ");  // typing reaches the mirror
    sendFocus(box, QEvent::FocusOut);
    EXPECT_EQ(box->text(), QString::fromUtf8("点此输入小说名称"));
}

TEST_F(GuiTest, EnterInTheSearchBoxStartsASearchWithTheTypedTitle) {
    sites_.knobs().latencyMs = 400;  // keep the workers from advancing before we look
    auto* box = find<QLineEdit>("搜索_编辑框");
    sendFocus(box, QEvent::FocusIn);
    typeText(box, QString::fromUtf8("星辰变"));
    EXPECT_EQ(window_.text(Control::SearchBox), gbk("星辰变"));

    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    auto* status = find<QLabel>("下载_标签1");
    EXPECT_EQ(status->text(), QString::fromUtf8("正在搜索：1/6"));
    EXPECT_FALSE(status->isHidden());
    EXPECT_FALSE(find<QWidget>("下载_图片框")->isHidden());
    EXPECT_EQ(app_->search.searchProgress.load(), 1);
    // The key is not swallowed: the box still holds the title.
    EXPECT_EQ(box->text(), QString::fromUtf8("星辰变"));
    sites_.knobs().latencyMs = 0;
}

TEST_F(GuiTest, EnterWithThePlaceholderStartsNothing) {
    QTest::keyClick(find<QLineEdit>("搜索_编辑框"), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(app_->search.searchProgress.load(), 0);
    EXPECT_TRUE(find<QWidget>("下载_标签1")->isHidden());
}

TEST_F(GuiTest, ExitButtonClosesTheWindow) {
    ASSERT_TRUE(mainWindow_->isVisible());
    QTest::mouseClick(find<QPushButton>("退出_超级按钮"), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(mainWindow_->isVisible());
}

TEST_F(GuiTest, TitleLabelPressAsksForASystemMove) {
    std::vector<QWindow*> moves;
    mainWindow_->setSystemMove([&moves](QWindow& handle) { moves.push_back(&handle); });
    // Only a left press on the title label moves the window.
    QTest::mousePress(find<QLabel>("标题_标签"), Qt::RightButton);
    QTest::mousePress(find<QLabel>("标签2"), Qt::LeftButton);
    QTest::mousePress(find<QLabel>("声明_标签"), Qt::LeftButton);
    QTest::mousePress(find<QLineEdit>("小说名称_编辑框"), Qt::LeftButton);
    QTest::mousePress(mainWindow_.get(), Qt::LeftButton);
    EXPECT_TRUE(moves.empty());
    QTest::mousePress(find<QLabel>("标题_标签"), Qt::LeftButton);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], mainWindow_->windowHandle());
}

TEST_F(GuiTest, DisclaimerPressOpensTheAnnouncedAddress) {
    window_.setText(Control::DisclaimerLabel, gbk("新版本 V.3.0 点此更新"));
    UpdateInfo info;
    info.updateAddress = "http://127.0.0.1:9/new";
    app_->updateInfo.set(info);
    QCoreApplication::processEvents();
    QTest::mousePress(find<QLabel>("声明_标签"), Qt::LeftButton);
    EXPECT_EQ(shell_.openedUrls(), std::vector<std::string>{"http://127.0.0.1:9/new"});
}

TEST_F(GuiTest, DownloadButtonActsOnTheSelectedSite) {
    // Site 1's download is its book address handed to the browser.
    ResultSlot slot;
    slot.bookUrl = "http://127.0.0.1:9/book.txt";
    app_->search.resultSlots[1].set(slot);
    app_->search.selectedSite = 1;
    QTest::mouseClick(find<QPushButton>("下载_超级按钮"), Qt::LeftButton);
    EXPECT_EQ(shell_.openedUrls(), std::vector<std::string>{"http://127.0.0.1:9/book.txt"});
}

}  // namespace
}  // namespace pel::gui_test
