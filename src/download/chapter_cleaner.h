// One chapter page turned into the chapter's plain text.
#pragma once

#include "core/app_state.h"

namespace pel {

// The removals applied to the cut between the content markers, for one site.
Text cleanChapterText(Text cut, int site, const Watermarks& marks);
// Fetch, cut between the download's markers, clean. Retried when the cut comes back empty or
// the page is over maxChapterPageBytes; empty, and counted in emptyChapters, when every
// attempt failed.
Text cleanChapter(AppState& app, const Text& chapterUrl);

}  // namespace pel
