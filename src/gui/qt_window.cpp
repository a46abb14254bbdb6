#include "gui/qt_window.h"

#include "gui/main_window.h"

namespace pel {

QtWindow::QtWindow() : relay_(std::make_unique<QObject>()) {}

QtWindow::~QtWindow() = default;

void QtWindow::attach(MainWindow* window) {
    target_ = window;
}

void QtWindow::apply(const PropertyWrite& write) {
    // Only posts: the mirror's lock is held here, and the GUI thread may be waiting for it.
    QMetaObject::invokeMethod(
        relay_.get(),
        [this, write] {
            if (target_)
                target_->applyWrite(write);
        },
        Qt::QueuedConnection);
}

}  // namespace pel
