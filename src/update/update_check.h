// The update notice: checked once at start, opened on a click of the disclaimer label.
#pragma once

#include "core/app_state.h"

namespace pel {

void checkForUpdate(AppState& app, int);
void openUpdateLink(AppState& app);

}  // namespace pel
