// The main window's form: every control with its name (its Qt objectName), kind, parent,
// geometry, initial text and initial visibility. The Qt window is built from this table and
// the mirror of every Window starts from it.
#pragma once

#include <array>

#include "core/window.h"

namespace pel {

enum class ControlKind {
    Window,
    Label,
    TransparentLabel,
    EditBox,
    MultiLineEdit,
    PictureBox,
    HtmlView,
    Button
};

struct ControlSpec {
    Control id;
    const char* name;  // UTF-8 objectName, e.g. "搜索_编辑框"
    ControlKind kind;
    Control parent;  // MainWindow for top-level controls (and for the window itself)
    int left, top, width, height;
    const char* initialText;  // UTF-8
    bool initiallyVisible;
};

const std::array<ControlSpec, kControlCount>& formControls();
const ControlSpec& controlSpec(Control control);

}  // namespace pel
