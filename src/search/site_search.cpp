// Sites 2 to 6: one pipeline (search page, first hit, book page, gate, fields, cover probe,
// book address, thumbnail); the sites differ in their rows of the site table and in their
// field cuts (site_fields.cpp).
#include "search/site_search.h"

#include "core/fixed_texts.h"
#include "core/site_rules.h"
#include "net/fetch_page_winhttp.h"
#include "search/result_page.h"
#include "search/site_fields.h"
#include "search/site_search_common.h"
#include "text/encoding.h"

namespace pel {
namespace {

Text fetchSearchPage(AppState& app, const SiteRules& rules, const Text& url) {
    if (rules.searchClient == SearchClient::FetchPage) {
        return fetchForeignText(app, url);
    }
    WinHttpRequest request;
    request.url = url;
    request.timeoutSeconds = app.settings.winHttpTimeoutSeconds;
    request.totalTimeoutMs = app.settings.net.totalTimeoutMs;
    return textFromBytes(fetchPageWinHttp(request));
}

void searchSite(AppState& app, int site) {
    const SiteRules& rules = siteRules(site);
    const Text& base = app.settings.sites.baseUrl[site];
    const Text keyword = app.window.text(Control::SearchBox);

    Text page = fetchSearchPage(app, rules, base + rules.searchPath + percentEncodeGbk(keyword));
    const Text searchHit = siteSearchHit(site, page);
    if (!searchHit.empty()) {
        page = fetchForeignText(app, searchHit);
    }

    SiteBookFields fields;
    if (!cutSiteBookFields(site, page, fields)) {
        return;
    }

    writeSlotField(app, site, &ResultSlot::name, fields.name);
    writeSlotField(app, site, &ResultSlot::author, fields.author);
    writeSlotField(app, site, &ResultSlot::latestChapter, fields.latestChapter);
    if (fields.introduction.empty()) {
        fields.introduction = rules.noIntroduction;
    }
    writeSlotField(app, site, &ResultSlot::introduction, fields.introduction);

    Text coverUrl = fields.coverUrl;
    if (rules.coverGetsBase && !containsText(coverUrl, app.settings.sites.domainMarker[site])) {
        coverUrl = base + coverUrl;
    }
    // An error answer is a body like any other: the marker in it means the picture is missing.
    if (containsText(fetchForeignText(app, coverUrl), rules.probeMarker)) {
        coverUrl = noCoverFileName();
    }
    writeSlotField(app, site, &ResultSlot::coverUrl, coverUrl);

    Text bookUrl = fields.bookUrl;
    if (rules.bookAddress == BookAddress::SearchHit) {
        bookUrl = searchHit;
    } else if (rules.bookAddress == BookAddress::SearchHitElseCover) {
        bookUrl = !searchHit.empty() ? searchHit
                                     : base + upToLastSlash(textBetween(coverUrl, "image", "."));
    }
    writeSlotField(app, site, &ResultSlot::bookUrl, bookUrl);
    if (bookUrl.empty()) {
        return;
    }
    addResultThumbnail(app, coverUrl,
                       rules.captionPrefix + fields.name + rules.captionInfix + fields.author,
                       decimal(site));
}

}  // namespace

void runSiteSearch(AppState& app, int site) {
    SearchProgressGuard progress(app);
    // The direct-download site, which lists no hits for a pattern, has a worker of its own.
    if (!isSiteId(site) || siteRules(site).listPattern.empty()) {
        return;
    }
    try {
        searchSite(app, site);
    } catch (...) {
        // A worker thread must not end the process; the guard still reports progress.
    }
}

}  // namespace pel
