// The main window 窗口, built from the form table: one Qt widget per control, named by its
// form name, and the handlers of the controls' events.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "core/app_state.h"
#include "core/form.h"
#include "core/window.h"

class QWebEngineProfile;
class QWebEngineView;
class QWindow;

namespace pel {

class QtWindow;
class ResultViewPage;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // `mirror` is the Window of `app`: what the user types is recorded there.
    MainWindow(AppState& app, QtWindow& mirror);
    ~MainWindow() override;

    // The widget of a control; the window itself for Control::MainWindow.
    QWidget* control(Control id) const;
    QWebEngineView* htmlView() const;

    // A property write, on the GUI thread.
    void applyWrite(const PropertyWrite& write);

    // What a left press on the title label does with the window's handle: by default the
    // window system's own move, so that the user drags the window by the label. The tests
    // put a recorder here.
    void setSystemMove(std::function<void(QWindow&)> move);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void connectHandlers();
    void applyText(Control id, const QString& text);
    void applyPicture(Control id, const Bytes& bytes);
    void applyIntroAlignment();

    AppState& app_;
    QtWindow& mirror_;
    bool created_ = false;
    Alignment introAlignment_ = Alignment::Left;
    std::function<void(QWindow&)> systemMove_;
    // The view's page must go before its profile, and the view before the page: members are
    // destroyed in reverse order, so the controls (the view among them) go first.
    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<ResultViewPage> page_;
    // Indexed by Control; entry 0 (the window itself) stays empty. Children follow their
    // parents in the form, so the reverse destruction order takes children first.
    std::array<std::unique_ptr<QWidget>, kControlCount> controls_;
};

}  // namespace pel
