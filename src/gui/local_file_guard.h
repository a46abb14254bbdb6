// Keeps the result view away from local files other than its own page and picture. The page
// is written from scraped texts, so anything it refers to is foreign input: it may show web
// pictures and the no-cover picture beside it, but read nothing else from the disk.
#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

namespace pel {

class LocalFileGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
  public:
    // The two local files the view may load: the result page and its no-cover picture.
    LocalFileGuard(QString pagePath, QString picturePath, QObject* parent = nullptr);

    // Web and data addresses pass; a local address only when it is one of the two files.
    bool allows(const QUrl& url) const;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

  private:
    const QString pagePath_;
    const QString picturePath_;
};

}  // namespace pel
