#include "core/window.h"

#include "core/form.h"
#include "text/encoding.h"

namespace pel {

namespace {

std::size_t indexOf(Control control) {
    return static_cast<std::size_t>(control);
}

bool isValid(Control control) {
    int index = static_cast<int>(control);
    return index >= 0 && index < kControlCount;
}

}  // namespace

MirroredWindow::MirroredWindow() {
    for (const ControlSpec& row : formControls()) {
        State& state = state_[indexOf(row.id)];
        state.text = gbk(row.initialText != nullptr ? row.initialText : "");
        state.visible = row.initiallyVisible;
        state.width = row.width;
    }
}

void MirroredWindow::write(PropertyWrite w) {
    if (!isValid(w.control)) {
        return;
    }
    std::lock_guard lock(mutex_);
    State& state = state_[indexOf(w.control)];
    switch (w.property) {
        case Property::Text:
            state.text = w.text;
            break;
        case Property::Visible:
            state.visible = w.number != 0;
            break;
        case Property::Width:
            state.width = w.number;
            break;
        case Property::Cursor:
            state.cursor = static_cast<Cursor>(w.number);
            break;
        case Property::Alignment:
            state.alignment = static_cast<Alignment>(w.number);
            break;
        case Property::Address:
            state.address = w.text;
            break;
        case Property::Picture:
            break;  // nothing reads a picture back
    }
    // Still under the lock, so that the writes reach apply() in the order the mirror saw them.
    apply(w);
}

void MirroredWindow::setText(Control control, const Text& gbkText) {
    write(PropertyWrite{control, Property::Text, gbkText, {}, 0});
}

Text MirroredWindow::text(Control control) const {
    if (!isValid(control)) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return state_[indexOf(control)].text;
}

void MirroredWindow::setVisible(Control control, bool visible) {
    write(PropertyWrite{control, Property::Visible, {}, {}, visible ? 1 : 0});
}

bool MirroredWindow::isVisible(Control control) const {
    if (!isValid(control)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return state_[indexOf(control)].visible;
}

void MirroredWindow::setWidth(Control control, int width) {
    write(PropertyWrite{control, Property::Width, {}, {}, width});
}

int MirroredWindow::width(Control control) const {
    if (!isValid(control)) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    return state_[indexOf(control)].width;
}

void MirroredWindow::setPicture(Control control, const Bytes& encodedImage) {
    write(PropertyWrite{control, Property::Picture, {}, encodedImage, 0});
}

void MirroredWindow::setCursor(Control control, Cursor cursor) {
    write(PropertyWrite{control, Property::Cursor, {}, {}, static_cast<int>(cursor)});
}

Cursor MirroredWindow::cursor(Control control) const {
    if (!isValid(control)) {
        return Cursor::Arrow;
    }
    std::lock_guard lock(mutex_);
    return state_[indexOf(control)].cursor;
}

void MirroredWindow::setAlignment(Control control, Alignment alignment) {
    write(PropertyWrite{control, Property::Alignment, {}, {}, static_cast<int>(alignment)});
}

Alignment MirroredWindow::alignment(Control control) const {
    if (!isValid(control)) {
        return Alignment::Left;
    }
    std::lock_guard lock(mutex_);
    return state_[indexOf(control)].alignment;
}

void MirroredWindow::setAddress(Control control, const std::string& localPath) {
    write(PropertyWrite{control, Property::Address, localPath, {}, 0});
}

std::string MirroredWindow::address(Control control) const {
    if (!isValid(control)) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return state_[indexOf(control)].address;
}

void MirroredWindow::recordUserText(Control control, const Text& gbkText) {
    if (!isValid(control)) {
        return;
    }
    std::lock_guard lock(mutex_);
    state_[indexOf(control)].text = gbkText;
}

}  // namespace pel
