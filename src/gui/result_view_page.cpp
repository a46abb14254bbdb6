#include "gui/result_view_page.h"

#include <QColor>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include "search/result_page.h"

namespace pel {

ResultViewPage::ResultViewPage(AppState& app, QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      app_(app),
      guard_(std::make_unique<LocalFileGuard>(
          QString::fromStdString(resultPagePath(app).string()),
          QString::fromStdString(noCoverPicturePath(app).string()))) {
    // The result page is a local file written from scraped texts. It shows remote covers
    // over http and the no-cover picture beside it (so local access stays on), and the guard
    // on the profile refuses every other local file.
    profile->setUrlRequestInterceptor(guard_.get());
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // Before the first page arrives the strip shows the window's navy, not white.
    setBackgroundColor(QColor(2, 22, 30));
    // The page asks for its navy as bgcolor="rgb(2,22,30)", a form that the view's legacy
    // colour parser reads as a dark green. A style of ours gives the body the navy meant;
    // the page file itself keeps its bytes.
    QWebEngineScript navy;
    navy.setName("pelnoria-navy");
    navy.setInjectionPoint(QWebEngineScript::DocumentReady);
    navy.setWorldId(QWebEngineScript::ApplicationWorld);
    navy.setRunsOnSubFrames(false);
    navy.setSourceCode(
        "(function(){var s=document.createElement('style');"
        "s.textContent='body{background-color:rgb(2,22,30) !important}';"
        "(document.head||document.documentElement).appendChild(s);})();");
    scripts().insert(navy);
}

ResultViewPage::~ResultViewPage() {
    profile()->setUrlRequestInterceptor(nullptr);
}

std::filesystem::path navigationTarget(const QUrl& url) {
    if (!url.isLocalFile()) {
        return {};
    }
    // file://localhost/<path> names the same file as file:///<path>; any other host would
    // be a network share, which is no file of ours.
    QUrl local = url;
    if (local.host().compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) {
        local.setHost(QString());
    }
    if (!local.host().isEmpty()) {
        return {};
    }
    return local.toLocalFile().toStdString();
}

bool ResultViewPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    // A thumbnail's relative link "3" arrives here resolved against the page: file:///<dir>/3.
    return onBeforeNavigate(app_, navigationTarget(url)) == Navigation::Allow;
}

}  // namespace pel
