// The site workers' cuts on arbitrary pages: the search hit, the book fields of sites 2..6
// and the three pages of the direct-download site. No crash, and a field is never longer
// than the page it was cut from (plus the fixed texts a cut may add).
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "search/site_fields.h"

using namespace pel;

namespace {

// Site 3 appends "/" to its book address; site 6 turns line breaks into CR LF, and site 1
// falls back to a fixed introduction of a few dozen bytes.
constexpr size_t kSlack = 64;

void checkLength(const Text& field, const Text& page) {
    if (field.size() > 2 * page.size() + kSlack)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    const int site = 1 + in.number(6);
    const Text page = in.remaining();
    if (site == 1) {
        checkLength(directDownloadSearchHit(page), page);
        const DirectDownloadBook book = cutDirectDownloadBook(page);
        for (const Text* field :
             {&book.name, &book.author, &book.coverUrl, &book.introduction, &book.bookId}) {
            checkLength(*field, page);
        }
        checkLength(directDownloadLink(page), page);
        return 0;
    }
    checkLength(siteSearchHit(site, page), page);
    SiteBookFields f;
    if (cutSiteBookFields(site, page, f)) {
        for (const Text* field :
             {&f.name, &f.author, &f.latestChapter, &f.introduction, &f.coverUrl, &f.bookUrl}) {
            checkLength(*field, page);
        }
    } else if (!f.name.empty() || !f.bookUrl.empty()) {
        std::abort();  // a rejected page must leave the fields alone
    }
    upToLastSlash(page);
    return 0;
}
