// The fixed rules of the six source sites, one row per site: what its search asks for and
// cuts, how a download reads its chapter index, and what the cleaner takes out of its chapter
// pages. The sites' addresses and domain markers are not here: they are values of the build
// (SiteTable). Every text of a row is GBK.
#pragma once

#include "core/app_state.h"

namespace pel {

// The text between two markers (textBetween); both empty where a row has no such cut.
struct MarkerPair {
    Text left;
    Text right;
};

// The client that fetches a site's search page. Every other page goes through fetchPage.
enum class SearchClient {
    FetchPage,
    FetchPageWinHttp,  // the second client, which converts the page to GBK as it declares
};

// Where the book address of a search hit comes from.
enum class BookAddress {
    BookPage,            // cut out of the book page along with the other fields
    SearchHit,           // the search hit itself
    SearchHitElseCover,  // the search hit; without one, a path taken from the cover address
    DownloadLink,        // the TXT link of the download page, which the browser opens
};

// How a link of the chapter index becomes the chapter's address.
enum class ChapterAddress {
    AsLinked,               // the link unchanged
    AfterBookUrl,           // the book address followed by the link
    AfterHostUnlessMarked,  // the link as it is when it holds the domain marker, else the
                            // base address's host (no scheme) followed by the link
};

// What the cleaner does for the site after the removals that every site shares.
enum class CleanerExtras {
    None,
    RemoveLineBreaks,  // every "<br />"
    Site3Watermarks,   // doubled breaks become CR LF; the full-width domain credits go
    Site4Watermarks,   // the credit line, every "<br />", the two mobile credits
};

struct SiteRules {
    // Search.
    Text searchPath{};  // after the base address; the encoded keyword follows it
    SearchClient searchClient = SearchClient::FetchPage;
    Text listPattern{};      // group 1 of its first match is the search hit; empty: cut by markers
    MarkerPair infoBlock{};  // the block every field is cut from, its spaces taken out
    Text noIntroduction{};   // the introduction when the page gives none
    bool coverGetsBase = false;  // a cover without the domain marker gets the base address
    Text probeMarker{};          // in the probe's answer: no cover; empty: never probed
    BookAddress bookAddress = BookAddress::BookPage;
    Text captionPrefix{};  // caption: prefix, name, infix, author
    Text captionInfix{};

    // Download; a row without an index pattern has no chapter download.
    int indexMethod = 0;        // 0 GET, 1 POST, as fetchPage takes it
    MarkerPair indexSection{};  // the part of the index page searched; empty: the whole page
    Text indexPattern{};        // group 1 the chapter link, group 2 its title
    ChapterAddress chapterAddress = ChapterAddress::AsLinked;
    MarkerPair content{};  // a chapter's text lies between the two
    CleanerExtras cleanerExtras = CleanerExtras::None;
};

constexpr bool isSiteId(int site) {
    return site >= 1 && site <= kSiteCount;
}

// The row of a site; `site` must be a SiteId 1..6 (std::out_of_range otherwise).
const SiteRules& siteRules(SiteId site);

}  // namespace pel
