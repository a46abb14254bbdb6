// Site 1: UTF-8 pages, a UTF-8 keyword, cuts by marker pairs only, and a TXT download link
// as the book address.
#include "core/site_rules.h"
#include "search/result_page.h"
#include "search/site_fields.h"
#include "search/site_search.h"
#include "search/site_search_common.h"
#include "text/encoding.h"

namespace pel {
namespace {

constexpr int kSite = 1;

// The site's pages are UTF-8; everything is cut from their GBK form.
Text fetchSitePage(AppState& app, const Text& url) {
    return utf8ToGbk(fetchForeignText(app, url));
}

void searchDirectDownloadSite(AppState& app) {
    static const Text finishedText = gbk("- - - 已 完 本 - - -");
    const SiteRules& rules = siteRules(kSite);

    const Text keyword = app.window.text(Control::SearchBox);
    const Text& base = app.settings.sites.baseUrl[kSite];

    const Text searchHit = directDownloadSearchHit(
        fetchSitePage(app, base + rules.searchPath + urlEncodeUtf8(keyword)));
    if (searchHit.empty()) {
        return;
    }

    const DirectDownloadBook book = cutDirectDownloadBook(fetchSitePage(app, searchHit));
    writeSlotField(app, kSite, &ResultSlot::name, book.name);
    writeSlotField(app, kSite, &ResultSlot::author, book.author);
    writeSlotField(app, kSite, &ResultSlot::latestChapter, finishedText);
    // The site's cover is used as it stands: no base address, no probe.
    writeSlotField(app, kSite, &ResultSlot::coverUrl, book.coverUrl);
    writeSlotField(app, kSite, &ResultSlot::introduction, book.introduction);

    // Asked even with an empty id: the site's answer decides whether there is a link.
    const Text bookUrl =
        directDownloadLink(fetchSitePage(app, base + "/download.php?id=" + book.bookId));
    writeSlotField(app, kSite, &ResultSlot::bookUrl, bookUrl);
    if (bookUrl.empty()) {
        return;
    }
    addResultThumbnail(app, book.coverUrl,
                       rules.captionPrefix + book.name + rules.captionInfix + book.author, "1");
}

}  // namespace

void runDirectDownloadSiteSearch(AppState& app, int) {
    SearchProgressGuard progress(app);
    try {
        searchDirectDownloadSite(app);
    } catch (...) {
        // A worker thread must not end the process; the guard still reports progress.
    }
}

}  // namespace pel
