// What the site workers cut out of the pages they fetch, as pure functions of the page text:
// no request, no state, so any page can be checked without a network.
#pragma once

#include "text/text.h"

namespace pel {

// The fields of one book as the page of a site 2..6 gives them, before the defaults (the
// introduction's fallback text) and before the cover probe.
struct SiteBookFields {
    Text name;
    Text author;
    Text latestChapter;
    Text introduction;
    Text coverUrl;
    Text bookUrl;  // sites 3, 5 and 6 only; sites 2 and 4 take it from the search hit
};

// Sites 2..6: the first hit's address on a search page, or empty.
Text siteSearchHit(int site, const Text& searchPage);

// Sites 2..6: the fields of a book page (or of the search page when there was no hit). False
// when the page lacks what the site needs; the worker then leaves the slot as it is.
bool cutSiteBookFields(int site, const Text& page, SiteBookFields& fields);

// The part of a text up to and including its last "/"; empty when it has none.
Text upToLastSlash(const Text& text);

// Site 1, the direct-download site, on the GBK form of its pages.
struct DirectDownloadBook {
    Text name;
    Text author;
    Text coverUrl;
    Text introduction;  // the default text when the page has none
    Text bookId;
};

// The first hit's book address on the search page, or empty.
Text directDownloadSearchHit(const Text& searchPage);
// The fields of the book page.
DirectDownloadBook cutDirectDownloadBook(const Text& bookPage);
// The TXT link on the download page, or empty.
Text directDownloadLink(const Text& downloadPage);

}  // namespace pel
