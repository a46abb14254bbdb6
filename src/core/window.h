// The window's controls as the routines of search, download and update see them: properties
// addressed by control, written from any thread, read back from a mirror.
//
// MirroredWindow keeps the mirror under one mutex and hands every write, in the order it was
// made and while still holding the lock, to apply(): the Qt window posts it to the GUI thread,
// a recording window in the tests appends it to a list.
#pragma once

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "text/text.h"

namespace pel {

enum class Control : int {
    MainWindow,       // 窗口
    TitleLabel,       // 标题_标签
    DisclaimerLabel,  // 声明_标签
    Label2,           // 标签2
    NameBox,          // 小说名称_编辑框
    Label3,           // 标签3
    AuthorBox,        // 小说作者_编辑框
    Label4,           // 标签4
    LatestBox,        // 小说最新_编辑框
    Label1,           // 标签1
    IntroBox,         // 小说简介_编辑框
    CoverBox,         // 小说图片_图片框
    ViewFrame,        // 图片框2
    HtmlView,         // 书本选择_超文本浏览框
    SearchBox,        // 搜索_编辑框
    ProgressFrame,    // 下载_图片框
    ProgressFill,     // 下载_标签2
    StatusLabel,      // 下载_标签1
    SearchButton,     // 搜索_超级按钮
    DownloadButton,   // 下载_超级按钮
    ExitButton,       // 退出_超级按钮
};
inline constexpr int kControlCount = 21;

enum class Alignment { Left, Center };
enum class Cursor { Arrow, Hand };
enum class Property { Text, Visible, Width, Picture, Cursor, Alignment, Address };

// One property write as apply() and the tests see it.
struct PropertyWrite {
    Control control;
    Property property;
    Text text;       // Text (GBK), Address (a local file path, UTF-8)
    Bytes bytes;     // Picture: encoded image bytes (empty clears the picture)
    int number = 0;  // Visible (0/1), Width, Cursor, Alignment as int
};

class Window {
  public:
    virtual ~Window() = default;
    virtual void setText(Control control, const Text& gbkText) = 0;
    virtual Text text(Control control) const = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    virtual bool isVisible(Control control) const = 0;
    virtual void setWidth(Control control, int width) = 0;
    virtual int width(Control control) const = 0;
    virtual void setPicture(Control control, const Bytes& encodedImage) = 0;
    virtual void setCursor(Control control, Cursor cursor) = 0;
    virtual Cursor cursor(Control control) const = 0;
    virtual void setAlignment(Control control, Alignment alignment) = 0;
    virtual Alignment alignment(Control control) const = 0;
    // Loads a local file into the HTML view.
    virtual void setAddress(Control control, const std::string& localPath) = 0;
    virtual std::string address(Control control) const = 0;
};

class MirroredWindow : public Window {
  public:
    MirroredWindow();  // the mirror starts with the form's initial texts and visibility

    void setText(Control control, const Text& gbkText) override;
    Text text(Control control) const override;
    void setVisible(Control control, bool visible) override;
    bool isVisible(Control control) const override;
    void setWidth(Control control, int width) override;
    int width(Control control) const override;
    void setPicture(Control control, const Bytes& encodedImage) override;
    void setCursor(Control control, Cursor cursor) override;
    Cursor cursor(Control control) const override;
    void setAlignment(Control control, Alignment alignment) override;
    Alignment alignment(Control control) const override;
    void setAddress(Control control, const std::string& localPath) override;
    std::string address(Control control) const override;

    // The GUI thread records what the user typed; nothing is applied back.
    void recordUserText(Control control, const Text& gbkText);

  protected:
    // Called under the mirror's lock for every write, in order. Must not call back.
    virtual void apply(const PropertyWrite& write) = 0;

  private:
    struct State {
        Text text;
        bool visible = true;
        int width = 0;
        Cursor cursor = Cursor::Arrow;
        Alignment alignment = Alignment::Left;
        std::string address;
    };
    void write(PropertyWrite w);
    mutable std::mutex mutex_;
    std::array<State, kControlCount> state_;
};

}  // namespace pel
