// The demo sites' catalogue: a few generated novels whose names and texts are our own.
#pragma once

#include <string>
#include <vector>

#include "text/text.h"

namespace pel::demo {

struct DemoChapter {
    Text title;  // GBK
    Text body;   // GBK plain text, lines joined by "\r\n"
};

struct DemoBook {
    std::string id;        // ASCII, used in the sites' paths
    Text name;             // GBK
    Text author;           // GBK
    Text introduction;     // GBK plain text; empty: the sites show none
    Text latestChapter;    // GBK: the last chapter's title
    bool hasCover = true;  // false: every site's cover address answers "missing"
    bool onSite[7] = {};   // which sites (1..6) list the book
    std::vector<DemoChapter> chapters;
};

// The whole catalogue (built once, immutable). Books in it, by role:
//   everywhere  - on all six sites, with cover and introduction
//   somewhere   - on sites 1, 2, 3 and 5 only
//   nocover     - on all six sites, without a cover picture
//   spaced      - a name with a space in it, on all six sites
//   long        - 2,000+ chapters on sites 2 to 6, for the benchmarks
const std::vector<DemoBook>& catalogue();
const DemoBook& bookByRole(const std::string& role);  // role names as listed above
// The first book whose name contains the GBK keyword (exact bytes), or nullptr.
const DemoBook* findBook(const Text& keyword, int site);
// Every book of the site whose name contains the keyword, in catalogue order.
std::vector<const DemoBook*> findBooks(const Text& keyword, int site);
const DemoBook* bookById(const std::string& id);  // nullptr when unknown

// What a downloaded book file holds: every chapter as its title, CR LF, its body, CR LF, in
// chapter order. The sites' chapter pages are built so that the cleaned text of chapter i is
// exactly chapters[i].body on every site.
Text expectedBookFile(const DemoBook& book);

}  // namespace pel::demo
