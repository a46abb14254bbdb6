// The search workers of sites 2 to 6 and of the direct-download site 1.
#pragma once

#include "core/app_state.h"

namespace pel {

// Thread entry for sites 2..6 (the parameter is the SiteId).
void runSiteSearch(AppState& app, int site);
// Thread entry for site 1 (the parameter is ignored).
void runDirectDownloadSiteSearch(AppState& app, int);

}  // namespace pel
