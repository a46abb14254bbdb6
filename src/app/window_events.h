// The main window's own event handlers that do not depend on the toolkit.
#pragma once

#include "core/app_state.h"

namespace pel {

// After the window exists: update check thread, default cover, author box.
void onWindowCreated(AppState& app);
void onSearchBoxFocusIn(AppState& app);
void onSearchBoxFocusOut(AppState& app);
inline constexpr int kEnterKeyCode = 13;
// Key 13 (Enter) starts a search; the key is not swallowed.
void onSearchBoxKey(AppState& app, int keyCode);

}  // namespace pel
