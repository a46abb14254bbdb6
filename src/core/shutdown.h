// The end of a run, once the window is gone.
#pragma once

#include <chrono>
#include <memory>

#include "core/app_state.h"

namespace pel {

// Tells every thread the program is closing (banners stop, the launcher stops starting
// workers and is woken if it waits for room) and gives them `grace` to return. When they do,
// the state is destroyed and `status` returned. When they do not, the process ends at once
// with `status`, without destroying the state the remaining threads still use.
int finishRun(std::unique_ptr<AppState> app, int status, std::chrono::milliseconds grace);

}  // namespace pel
