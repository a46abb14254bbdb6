// The status banner: the animated notice at the foot of the window.
#pragma once

#include "core/app_state.h"

namespace pel {

// Replaces bannerText and starts the animation on a thread of its own.
void showBanner(AppState& app, const Text& gbkText);
// The animation itself (thread entry; the parameter is ignored).
void runStatusBanner(AppState& app, int);

}  // namespace pel
