// The download button: site 1 opens its TXT link, sites 2..6 start a chapter download.
#pragma once

#include "core/app_state.h"

namespace pel {

void startDownload(AppState& app);
// Fetches the chapter index of downloadSite and fills the ChapterTable.
void buildChapterTable(AppState& app);
// Thread entry started by startDownload: builds the table, then starts the launcher, or, when
// the index yields no chapter, reports that and ends the download.
void runChapterDownload(AppState& app, int);

}  // namespace pel
