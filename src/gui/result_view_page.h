// The page of the thumbnail view: every navigation is put to the result-page handlers first.
#pragma once

#include <QWebEnginePage>
#include <filesystem>
#include <memory>

#include "core/app_state.h"
#include "gui/local_file_guard.h"

namespace pel {

// The local file a navigation of the view leads to: file:///<dir>/lstplb.html gives
// <dir>/lstplb.html, a thumbnail's link resolved beside it gives <dir>/3. An address that is
// no local file gives the empty path.
std::filesystem::path navigationTarget(const QUrl& url);

class ResultViewPage : public QWebEnginePage {
    Q_OBJECT
  public:
    ResultViewPage(AppState& app, QWebEngineProfile* profile, QObject* parent = nullptr);
    ~ResultViewPage() override;

    const LocalFileGuard& localFileGuard() const { return *guard_; }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

  private:
    AppState& app_;
    std::unique_ptr<LocalFileGuard> guard_;
};

}  // namespace pel
