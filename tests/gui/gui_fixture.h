// The program's window as the GUI tests drive it: the demo sites on loopback, an AppState on
// the Qt window adapter and a recording shell, the main window shown offscreen.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/app_state.h"
#include "demo/demo_sites.h"
#include "gui/main_window.h"
#include "gui/qt_window.h"
#include "support/recording_shell.h"

namespace pel::gui_test {

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The widget named `name` (a form name, UTF-8) of type T, or null.
    template <typename T>
    T* find(const char* name) const {
        return mainWindow_->findChild<T*>(QString::fromUtf8(name));
    }
    // Runs the event loop until `done` holds or `timeoutMs` passes; returns its last value.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);
    // Closes and destroys the main window, as the exit does.
    void destroyWindow();

    demo::DemoSites sites_;
    std::filesystem::path dir_;
    QtWindow window_;
    RecordingShell shell_;
    std::unique_ptr<AppState> app_;
    std::unique_ptr<MainWindow> mainWindow_;
};

}  // namespace pel::gui_test
