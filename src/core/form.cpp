// The main window's form as one fixed table, in the order of the Control enum.
#include "core/form.h"

#include "build_config.h"

namespace pel {

namespace {

constexpr const char* kDisclaimer =
    "\r\n   软件声明：\r\n   搜索结果以所有源站第一个显示\r\n"
    "   所有小说均来源于网络，软件不参与上传和存储\r\n"
    "   如您任然选择下载，则表示您愿意承担一切相关法律责任\r\n"
    "   请在下载后二十四小时内删除\r\n   请支持正版小说，您的支持是作者的动力";

constexpr const char* kIntroDisclaimer =
    "  软件声明：\r\n  搜索结果以所有源站第一个显示\r\n"
    "  所有小说均来源于网络，软件不参与上传和存储\r\n"
    "  如继续下载，则表示您愿意承担一切相关法律责任\r\n"
    "  请在下载后二十四小时内删除\r\n  请支持正版小说，您的支持是作者的动力";

using K = ControlKind;
using C = Control;
constexpr C kTop = C::MainWindow;

constexpr std::array<ControlSpec, kControlCount> kForm = {{
    {C::MainWindow, "窗口", K::Window, kTop, 50, 50, 612, 340, "", true},
    {C::TitleLabel, "标题_标签", K::Label, kTop, 0, 0, 612, 56, "Pelnoria   by：qorvenda", true},
    {C::DisclaimerLabel, "声明_标签", K::Label, kTop, 16, 72, 580, 200, kDisclaimer, true},
    {C::Label2, "标签2", K::Label, kTop, 16, 72, 88, 30, "小说名称", true},
    {C::NameBox, "小说名称_编辑框", K::EditBox, kTop, 104, 72, 247, 30, "Pelnoria", true},
    {C::Label3, "标签3", K::Label, kTop, 16, 109, 88, 30, "小说作者", true},
    {C::AuthorBox, "小说作者_编辑框", K::EditBox, kTop, 104, 109, 247, 30, "qorvenda", true},
    {C::Label4, "标签4", K::Label, kTop, 16, 146, 88, 30, "最新章节", true},
    {C::LatestBox, "小说最新_编辑框", K::EditBox, kTop, 104, 146, 247, 30, "V." PELNORIA_VERSION,
     true},
    {C::Label1, "标签1", K::Label, kTop, 16, 183, 336, 30, "小说简介", true},
    {C::IntroBox, "小说简介_编辑框", K::MultiLineEdit, kTop, 16, 212, 336, 60, kIntroDisclaimer,
     true},
    {C::CoverBox, "小说图片_图片框", K::PictureBox, kTop, 368, 72, 140, 200, "", true},
    {C::ViewFrame, "图片框2", K::PictureBox, kTop, 524, 72, 72, 200, "", true},
    {C::HtmlView, "书本选择_超文本浏览框", K::HtmlView, C::ViewFrame, -7, -12, 105, 229, "", true},
    {C::SearchBox, "搜索_编辑框", K::EditBox, kTop, 16, 288, 279, 36, "点此输入小说名称", true},
    {C::ProgressFrame, "下载_图片框", K::PictureBox, kTop, 19, 291, 273, 30, "", false},
    {C::ProgressFill, "下载_标签2", K::Label, C::ProgressFrame, 0, 0, 273, 30, "", true},
    {C::StatusLabel, "下载_标签1", K::TransparentLabel, kTop, 19, 291, 273, 30, "Q O R V E N D A",
     false},
    {C::SearchButton, "搜索_超级按钮", K::Button, kTop, 312, 288, 84, 36, "搜索", true},
    {C::DownloadButton, "下载_超级按钮", K::Button, kTop, 412, 288, 84, 36, "下载", true},
    {C::ExitButton, "退出_超级按钮", K::Button, kTop, 512, 288, 84, 36, "退出", true},
}};

// The table is indexed by Control: keep every row where its enum value says.
constexpr bool formInEnumOrder() {
    for (int i = 0; i < kControlCount; ++i) {
        if (static_cast<int>(kForm[i].id) != i)
            return false;
    }
    return true;
}
static_assert(formInEnumOrder(), "form rows must follow the Control enum");

}  // namespace

const std::array<ControlSpec, kControlCount>& formControls() {
    return kForm;
}

const ControlSpec& controlSpec(Control control) {
    return kForm[static_cast<int>(control)];
}

}  // namespace pel
