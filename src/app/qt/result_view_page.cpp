#include "app/qt/result_view_page.h"

#include <QColor>
#include <QUrl>
#include <QWebEngineSettings>

#include "search/result_page.h"

namespace pel {

ResultViewPage::ResultViewPage(AppState& app, QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent), app_(app) {
    // The result page is a local file written from scraped texts: it must not read other
    // local files, but the covers it shows are remote pictures over http.
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // Before the first page arrives the strip shows the window's navy, not white.
    setBackgroundColor(QColor(2, 22, 30));
}

bool ResultViewPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    // A thumbnail's relative link "3" arrives here resolved against the page: file:///<dir>/3.
    const std::string target = url.toString().toStdString();
    return onBeforeNavigate(app_, target) == Navigation::Allow;
}

}  // namespace pel
