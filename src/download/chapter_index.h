// The chapter table cut out of the chapter index page of sites 2..6, by the rules of the site's
// row: a pure function of the page text.
#pragma once

#include "core/app_state.h"

namespace pel {

// The table of the index page of `site`: titles and chapter addresses in page order (the
// addresses made whole against the book address or the site's host), texts still empty.
ChapterTable chapterTableFromIndex(int site, const Text& indexPage, const Text& bookUrl,
                                   const SiteTable& sites);

}  // namespace pel
