// The page of the thumbnail view: every navigation is put to the result-page handlers first.
#pragma once

#include <QWebEnginePage>

#include "app/app_state.h"

namespace pel {

class ResultViewPage : public QWebEnginePage {
    Q_OBJECT
  public:
    ResultViewPage(AppState& app, QWebEngineProfile* profile, QObject* parent = nullptr);

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

  private:
    AppState& app_;
};

}  // namespace pel
