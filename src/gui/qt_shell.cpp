#include "gui/qt_shell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace pel {

QtShell::QtShell() : relay_(std::make_unique<QObject>()) {}

QtShell::~QtShell() = default;

void QtShell::openUrl(const std::string& utf8Url) {
    const QUrl url(QString::fromStdString(utf8Url));
    QMetaObject::invokeMethod(
        relay_.get(), [url] { QDesktopServices::openUrl(url); }, Qt::QueuedConnection);
}

void QtShell::exploreDirectory(const std::string& utf8Path) {
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(utf8Path));
    QMetaObject::invokeMethod(
        relay_.get(), [url] { QDesktopServices::openUrl(url); }, Qt::QueuedConnection);
}

}  // namespace pel
