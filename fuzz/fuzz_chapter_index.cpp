// The chapter table cut from an arbitrary index page, for sites 2..6: no crash, and the three
// columns of the table always have one entry per chapter.
#include <cstdlib>

#include "download/chapter_index.h"
#include "fuzz/fuzz_input.h"

using namespace pel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SiteTable buildSites = buildSettings().sites;
    fuzz::FuzzInput in(data, size);
    const int site = 2 + in.number(5);
    SiteTable sites = buildSites;
    sites.baseUrl[2] = in.text();
    sites.domainMarker[2] = in.text();
    const Text bookUrl = in.text();
    const Text page = in.remaining();
    const ChapterTable table = chapterTableFromIndex(site, page, bookUrl, sites);
    const size_t n = table.chapterUrls.size();
    if (table.chapterTitles.size() != n || table.chapterTexts.size() != n)
        std::abort();
    if (n > page.size())
        std::abort();
    return 0;
}
