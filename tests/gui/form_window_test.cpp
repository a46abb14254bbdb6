// The window as built: every control by its form name, where the form puts it, as it starts.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWebEngineView>

#include "core/form.h"
#include "gui_fixture.h"
#include "text/encoding.h"

namespace pel::gui_test {
namespace {

struct Expected {
    const char* name;
    const char* parent;  // objectName of the parent widget
    int left, top, width, height;
    bool visible;
    const char* text;  // null: no text to compare
};

// Written out from the form's description, independent of the table in the code.
const Expected kForm[] = {
    {"标题_标签", "窗口", 0, 0, 612, 56, true, "Pelnoria   by：qorvenda"},
    {"声明_标签", "窗口", 16, 72, 580, 200, true, nullptr},
    {"标签2", "窗口", 16, 72, 88, 30, true, "小说名称"},
    {"小说名称_编辑框", "窗口", 104, 72, 247, 30, true, "Pelnoria"},
    {"标签3", "窗口", 16, 109, 88, 30, true, "小说作者"},
    {"小说作者_编辑框", "窗口", 104, 109, 247, 30, true, "qorvenda"},
    {"标签4", "窗口", 16, 146, 88, 30, true, "最新章节"},
    {"小说最新_编辑框", "窗口", 104, 146, 247, 30, true, "V.2.0"},
    {"标签1", "窗口", 16, 183, 336, 30, true, "小说简介"},
    {"小说简介_编辑框", "窗口", 16, 212, 336, 60, true, nullptr},
    {"小说图片_图片框", "窗口", 368, 72, 140, 200, true, nullptr},
    {"图片框2", "窗口", 524, 72, 72, 200, true, nullptr},
    {"书本选择_超文本浏览框", "图片框2", -7, -12, 105, 229, true, nullptr},
    {"搜索_编辑框", "窗口", 16, 288, 279, 36, true, "点此输入小说名称"},
    {"下载_图片框", "窗口", 19, 291, 273, 30, false, nullptr},
    {"下载_标签2", "下载_图片框", 0, 0, 273, 30, true, ""},
    {"下载_标签1", "窗口", 19, 291, 273, 30, false, "Q O R V E N D A"},
    {"搜索_超级按钮", "窗口", 312, 288, 84, 36, true, "搜索"},
    {"下载_超级按钮", "窗口", 412, 288, 84, 36, true, "下载"},
    {"退出_超级按钮", "窗口", 512, 288, 84, 36, true, "退出"},
};

QString shownText(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(w))
        return box->toPlainText();
    if (auto* button = qobject_cast<QPushButton*>(w))
        return button->text();
    return {};
}

TEST_F(GuiTest, EveryControlHasItsNameGeometryVisibilityAndText) {
    EXPECT_EQ(mainWindow_->objectName(), QString::fromUtf8("窗口"));
    EXPECT_EQ(mainWindow_->geometry(), QRect(50, 50, 612, 340));
    EXPECT_TRUE(mainWindow_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NEAR(mainWindow_->windowOpacity(), 246 / 255.0, 0.01);

    for (const Expected& e : kForm) {
        SCOPED_TRACE(e.name);
        QWidget* w = find<QWidget>(e.name);
        ASSERT_NE(w, nullptr);
        ASSERT_NE(w->parentWidget(), nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromUtf8(e.parent));
        EXPECT_EQ(w->geometry(), QRect(e.left, e.top, e.width, e.height));
        EXPECT_EQ(!w->isHidden(), e.visible);
        if (e.text != nullptr) {
            EXPECT_EQ(shownText(w), QString::fromUtf8(e.text));
        }
    }
    EXPECT_NE(find<QWebEngineView>("书本选择_超文本浏览框"), nullptr);
    EXPECT_NE(find<QPlainTextEdit>("小说简介_编辑框"), nullptr);
}

TEST_F(GuiTest, DisclaimerTextsKeepTheirBytesAndShowTheirLines) {
    const Text disclaimer = gbk(controlSpec(Control::DisclaimerLabel).initialText);
    const Text intro = gbk(controlSpec(Control::IntroBox).initialText);
    EXPECT_EQ(disclaimer.size(), 222u);
    EXPECT_EQ(intro.size(), 208u);
    EXPECT_EQ(disclaimer.substr(0, 2), "\r\n");
    // The mirror keeps the bytes; the widgets show one line per CR LF.
    EXPECT_EQ(window_.text(Control::DisclaimerLabel), disclaimer);
    EXPECT_EQ(window_.text(Control::IntroBox), intro);
    const QStringList lines = find<QLabel>("声明_标签")->text().split('\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[1], QString::fromUtf8("   软件声明："));
    EXPECT_EQ(find<QPlainTextEdit>("小说简介_编辑框")->document()->blockCount(), 6);
}

TEST_F(GuiTest, FontsAndColoursFollowTheForm) {
    struct FontCase {
        const char* name;
        int pixelSize;
        bool bold;
    };
    const FontCase cases[] = {
        {"标题_标签", 20, true},        {"声明_标签", 20, true},
        {"下载_标签1", 20, true},       {"搜索_编辑框", 20, true},
        {"搜索_超级按钮", 20, true},    {"退出_超级按钮", 20, true},
        {"标签2", 16, false},           {"小说名称_编辑框", 16, false},
        {"小说最新_编辑框", 16, false}, {"小说简介_编辑框", 14, false},
    };
    for (const FontCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QFont font = find<QWidget>(c.name)->font();
        EXPECT_EQ(font.pixelSize(), c.pixelSize);
        if (c.bold) {
            EXPECT_EQ(font.weight(), QFont::Bold);
        } else {
            EXPECT_LT(font.weight(), QFont::Normal);
        }
    }
    // What the controls draw, read back from a picture of the window.
    const QImage shot = mainWindow_->grab().toImage();
    EXPECT_EQ(shot.pixelColor(600, 20), QColor(2, 22, 30));  // title bar
    EXPECT_EQ(shot.pixelColor(2, 280), QColor(30, 35, 40));  // window background
}

}  // namespace
}  // namespace pel::gui_test
