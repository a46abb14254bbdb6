#include "gui/local_file_guard.h"

#include <QDir>
#include <QWebEngineUrlRequestInfo>
#include <utility>

namespace pel {

LocalFileGuard::LocalFileGuard(QString pagePath, QString picturePath, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent),
      pagePath_(QDir::cleanPath(std::move(pagePath))),
      picturePath_(QDir::cleanPath(std::move(picturePath))) {}

bool LocalFileGuard::allows(const QUrl& url) const {
    const QString scheme = url.scheme().toLower();
    if (scheme == "http" || scheme == "https" || scheme == "data") {
        return true;
    }
    if (scheme != "file") {
        return false;
    }
    const QString path = QDir::cleanPath(url.toLocalFile());
    return path == pagePath_ || path == picturePath_;
}

// Runs on the view's IO thread: it reads only the two paths fixed at construction.
void LocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!allows(info.requestUrl())) {
        info.block(true);
    }
}

}  // namespace pel
