// The application as the suites above the HTTP layer drive it: an AppState on a recording
// window and a recording shell, with a fresh program directory and short pauses.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "support/recording_shell.h"
#include "support/recording_window.h"

namespace pel::demo {
class DemoSites;
}

namespace pel::testing {

// A new empty directory under $PELNORIA_TEST_TMP (or /tmp).
std::filesystem::path makeTempDirectory(const std::string& prefix = "pelnoria");

// The build's settings with the program directory set to `dir` and every wait made short:
// banner steps of 1 ms, retry pauses of a few ms, tight network limits.
AppSettings testSettings(const std::filesystem::path& dir);

using SettingsAdjust = std::function<void(AppSettings&)>;

class AppFixture {
  public:
    // `adjust` may change the settings before the state is made; `keepAlive` is held until
    // the state is gone (the demo sites use it).
    explicit AppFixture(const SettingsAdjust& adjust = {}, std::shared_ptr<void> keepAlive = {});
    // Waits for every thread the app started. Threads still running after a long wait are a
    // test failure; the state is then left alive (leaked) rather than freed under them.
    ~AppFixture();
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    AppState& app();
    RecordingWindow& window();
    RecordingShell& shell();
    const std::filesystem::path& dir() const;

    // True when every thread the app started has ended within the timeout.
    bool waitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(30));

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// AppFixture with the demo sites running on loopback and filled into the site table.
class DemoAppFixture : public AppFixture {
  public:
    explicit DemoAppFixture(const SettingsAdjust& adjust = {});
    demo::DemoSites& sites();

  private:
    DemoAppFixture(std::shared_ptr<demo::DemoSites> sites, const SettingsAdjust& adjust);
    std::shared_ptr<demo::DemoSites> sites_;
};

// A thread starter that refuses the starts `refuse` picks by their number (counted from 1 over
// every start it is asked for) and makes the others as the program does.
ThreadStarter refusingStarter(std::function<bool(int)> refuse);

// Polls `done` every millisecond until it holds or the timeout passes; returns its last value.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace pel::testing
