#include "download/download_start.h"

#include "app/status_banner.h"
#include "download/chapter_scheduler.h"
#include "text/encoding.h"
#include "text/regex_object.h"

namespace pel {

namespace {

struct IndexRule {
    int method;           // 0 GET, 1 POST
    const char* pattern;  // UTF-8 literal; every pattern here is ASCII
    const char* startMarker;
    const char* endMarker;
};

const IndexRule& indexRule(int site) {
    static const IndexRule kRules[7] = {
        {},
        {},
        {0, "><a href=\"(.*?)\">(.*?)</a></dd>", "<div id=\"content\">",
         "<script>read3();</script><script>bdshare();</script>\r"},
        {0, "<a href=\"(.*?)\">(.*?)</a></td>", "<dd id=\"contents\">", "</dd>\r"},
        {0, "<li><a href=\"(.*?)\">(.*?)</a></li>\r", "&nbsp;&nbsp;&nbsp;&nbsp;", "</div>\r"},
        {1, "<li><a href=\"http://(.*?)\" title=\"(.*?)\">.*</a></li>\r",
         "<div class=\"txt fon_size\" id=\"readcon\">\r", "阅读悦,阅读悦精彩!"},
        {1, "<li><a href=\"(.*?)\" title=\"(.*?)\">(.*?)</a></li>", "style5();</script>",
         "<script type=\"text/javascript\">style6()"},
    };
    return kRules[site];
}

// "http://127.0.0.1:8081/" -> "127.0.0.1:8081": what follows the scheme, up to the path.
Text hostOf(const Text& baseUrl) {
    Text host = baseUrl;
    const std::size_t scheme = host.find("://");
    if (scheme != Text::npos)
        host.erase(0, scheme + 3);
    const std::size_t slash = host.find('/');
    if (slash != Text::npos)
        host.erase(slash);
    return host;
}

Text chapterUrlFor(const AppState& app, int site, const Text& link) {
    switch (site) {
        case 2: {
            const Text& marker = app.settings.sites.domainMarker[2];
            if (findText(link, marker) != -1)
                return link;
            return hostOf(app.settings.sites.baseUrl[2]) + link;
        }
        case 3:
        case 4:
            return app.downloadBookUrl + link;
        default:
            return link;
    }
}

}  // namespace

void startDownload(AppState& app) {
    const int site = app.selectedSite.load();
    if (site == 1) {
        openInBrowser(app, app.resultSlots[1].get().bookUrl);
        return;
    }
    if (site < 2 || site > kSiteCount)
        return;
    // Two presses must not both start: only the one that flips the flag goes on.
    bool idle = false;
    if (!app.downloadInProgress.compare_exchange_strong(idle, true))
        return;

    // The copies are taken here, on the window thread, so that a later click or search
    // changes nothing in this download.
    const ResultSlot slot = app.resultSlots[site].get();
    app.downloadSite.store(site);
    app.downloadBookUrl = slot.bookUrl;
    app.downloadName = slot.name;
    app.downloadAuthor = slot.author;

    app.window.setVisible(Control::StatusLabel, true);
    app.window.setVisible(Control::ProgressFrame, true);
    // The index page is fetched off the window thread so the window stays responsive.
    app.startThread(&runChapterDownload, 0);
}

void buildChapterTable(AppState& app) {
    const int site = app.downloadSite.load();
    if (site < 2 || site > kSiteCount)
        return;
    const IndexRule& rule = indexRule(site);
    app.contentStartMarker = gbk(rule.startMarker);
    app.contentEndMarker = gbk(rule.endMarker);

    Text page = textFromBytes(app.fetch(app.downloadBookUrl, rule.method));
    if (site == 4) {
        static const Text kIndexStart = gbk("<!--章节目录-->\r");
        page = textBetween(page, kIndexStart, "<div class=\"clear\"></div>\r");
    }

    RegexObject matcher;
    matcher.execute(rule.pattern, page);
    const int count = matcher.matchCount();

    ChapterTable table;
    table.chapterUrls.resize(count);
    table.chapterTitles.resize(count);
    table.chapterTexts.resize(count);
    for (int i = 1; i <= count; ++i) {
        table.chapterTitles[i - 1] = matcher.subMatch(i, 2);
        table.chapterUrls[i - 1] = chapterUrlFor(app, site, matcher.subMatch(i, 1));
    }
    app.chapterTable = std::move(table);
    app.emptyChapters.store(0);
    app.chaptersDone.store(0);
    app.chapterCount.store(count);
}

void runChapterDownload(AppState& app, int) {
    buildChapterTable(app);
    if (app.chapterCount.load() > 0) {
        app.startThread(&chapterLauncher, 0);
        return;
    }
    // Nothing to fetch: say so instead of leaving the last progress in view, and end here.
    static const Text kIndexFailed = gbk("目录获取失败");
    showBanner(app, kIndexFailed);
    app.downloadInProgress.store(false);
}

}  // namespace pel
