// A search run: six site workers side by side, and the progress they report.
#pragma once

#include "core/app_state.h"

namespace pel {

// On the window thread: checks the search box, shows the progress, starts the six workers.
void startSearch(AppState& app);
// Each worker's last act, exactly once per search.
void advanceSearchProgress(AppState& app);

}  // namespace pel
