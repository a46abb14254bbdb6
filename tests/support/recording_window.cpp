#include "support/recording_window.h"

namespace pel {

std::vector<PropertyWrite> RecordingWindow::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

std::vector<Text> RecordingWindow::textsOf(Control control) const {
    std::lock_guard lock(mutex_);
    std::vector<Text> texts;
    for (const PropertyWrite& w : writes_) {
        if (w.control == control && w.property == Property::Text) {
            texts.push_back(w.text);
        }
    }
    return texts;
}

void RecordingWindow::clear() {
    std::lock_guard lock(mutex_);
    writes_.clear();
}

void RecordingWindow::apply(const PropertyWrite& write) {
    std::lock_guard lock(mutex_);
    writes_.push_back(write);
}

}  // namespace pel
