// The chapter index of sites 2..6: how its page is asked for, and the chapter table cut out of
// it. The table build is a pure function of the page text.
#pragma once

#include "core/app_state.h"

namespace pel {

struct IndexRule {
    int method;               // 0 GET, 1 POST
    const char* pattern;      // UTF-8 literal; every pattern here is ASCII
    const char* startMarker;  // UTF-8 literals: the chapter text lies between the two
    const char* endMarker;
};

// The rule of site 2..6 (an empty rule for any other number).
const IndexRule& indexRule(int site);

// The table of the index page of `site`: titles and chapter addresses in page order (the
// addresses made whole against the book address or the site's host), texts still empty.
ChapterTable chapterTableFromIndex(int site, const Text& indexPage, const Text& bookUrl,
                                   const SiteTable& sites);

}  // namespace pel
