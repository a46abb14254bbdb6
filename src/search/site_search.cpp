// Sites 2 to 6: one pipeline (search page, first hit, book page, gate, fields, cover probe,
// book address, thumbnail); the sites differ in the constants below and in their field cuts
// (site_fields.cpp).
#include "search/site_search.h"

#include "core/fixed_texts.h"
#include "net/fetch_page_winhttp.h"
#include "search/result_page.h"
#include "search/site_fields.h"
#include "search/site_search_common.h"
#include "text/encoding.h"

namespace pel {
namespace {

struct SiteRules {
    Text searchPath;
    Text captionHead;
    Text probeMarker;  // its presence in the probe's answer means "no cover"
};

const SiteRules& rulesOf(int site) {
    static const Text missingFile = gbk("找不到文件");
    static const SiteRules rules[7] = {
        {},
        {},
        {"/modules/article/soshu.php?searchkey=+", gbk("笔趣：《"), missingFile},
        {"/modules/article/search.php?searchtype=keywords&searchkey=", gbk("顶点：《"),
         missingFile},
        {"/modules/article/search.php?searchkey=", gbk("无名：《"), missingFile},
        {"/modules/article/search.php?searchkey=+", gbk("阅读：《"), missingFile},
        {"/modules/article/search.php?searchkey=", gbk("全书：《"), "404"},
    };
    return rules[site];
}

Text fetchSearchPage(AppState& app, int site, const Text& url) {
    if (site != 4) {
        return fetchForeignText(app, url);
    }
    WinHttpRequest request;
    request.url = url;
    request.timeoutSeconds = app.settings.winHttpTimeoutSeconds;
    return textFromBytes(fetchPageWinHttp(request));
}

void searchSite(AppState& app, int site) {
    static const Text site6NoIntro = gbk("\r\n暂无简介");
    const SiteRules& rules = rulesOf(site);
    const Text& base = app.settings.sites.baseUrl[site];
    const Text keyword = app.window.text(Control::SearchBox);

    Text page = fetchSearchPage(app, site, base + rules.searchPath + percentEncodeGbk(keyword));
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
        fields.introduction = site == 6 ? site6NoIntro : noIntroText();
    }
    writeSlotField(app, site, &ResultSlot::introduction, fields.introduction);

    Text coverUrl = fields.coverUrl;
    if (site <= 4 && !containsText(coverUrl, app.settings.sites.domainMarker[site])) {
        coverUrl = base + coverUrl;
    }
    // An error answer is a body like any other: the marker in it means the picture is missing.
    if (containsText(fetchForeignText(app, coverUrl), rules.probeMarker)) {
        coverUrl = noCoverFileName();
    }
    writeSlotField(app, site, &ResultSlot::coverUrl, coverUrl);

    Text bookUrl = fields.bookUrl;
    if (site == 2) {
        bookUrl = searchHit;
    } else if (site == 4) {
        bookUrl = !searchHit.empty() ? searchHit
                                     : base + upToLastSlash(textBetween(coverUrl, "image", "."));
    }
    writeSlotField(app, site, &ResultSlot::bookUrl, bookUrl);
    if (bookUrl.empty()) {
        return;
    }
    static const Text captionMiddle = gbk("》作者：");
    addResultThumbnail(app, coverUrl,
                       rules.captionHead + fields.name + captionMiddle + fields.author,
                       decimal(site));
}

}  // namespace

void runSiteSearch(AppState& app, int site) {
    SearchProgressGuard progress(app);
    if (site < 2 || site > 6) {
        return;
    }
    try {
        searchSite(app, site);
    } catch (...) {
        // A worker thread must not end the process; the guard still reports progress.
    }
}

}  // namespace pel
