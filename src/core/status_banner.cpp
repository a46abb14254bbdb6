#include "core/status_banner.h"

#include <chrono>
#include <thread>

namespace pel {

void showBanner(AppState& app, const Text& gbkText) {
    app.bannerText.set(gbkText);
    app.startThread(runStatusBanner, 0);
}

void runStatusBanner(AppState& app, int) {
    Window& window = app.window;
    const auto step = std::chrono::milliseconds(app.settings.bannerStepMs);

    window.setWidth(Control::ProgressFill, 0);
    window.setVisible(Control::StatusLabel, true);
    window.setVisible(Control::ProgressFrame, true);
    for (int i = 1; i <= app.settings.bannerSteps; ++i) {
        // At exit the window is going away: leave it alone and end the thread.
        if (app.threads.shuttingDown) {
            return;
        }
        window.setWidth(Control::ProgressFill, i);
        // Read afresh at every step, so that a newer banner's text shows at once here too.
        window.setText(Control::StatusLabel, app.bannerText.get());
        std::this_thread::sleep_for(step);
    }
    if (app.threads.shuttingDown) {
        return;
    }
    window.setVisible(Control::StatusLabel, false);
    window.setVisible(Control::ProgressFrame, false);
}

}  // namespace pel
