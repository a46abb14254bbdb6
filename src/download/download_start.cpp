#include "download/download_start.h"

#include <memory>

#include "core/site_rules.h"
#include "core/status_banner.h"
#include "download/chapter_cache.h"
#include "download/chapter_index.h"
#include "download/chapter_scheduler.h"
#include "text/encoding.h"

namespace pel {

namespace {

// A thread of the download could not be made: the download is over, and the user told so.
void endUnstartedDownload(AppState& app) {
    static const Text kStartFailed = gbk("下载启动失败");
    showBanner(app, kStartFailed);
    app.download.downloadInProgress.store(false);
}

}  // namespace

void startDownload(AppState& app) {
    const int site = app.search.selectedSite.load();
    if (!isSiteId(site))
        return;
    // A book address that is a download link is the browser's to fetch; no chapters here.
    if (siteRules(site).bookAddress == BookAddress::DownloadLink) {
        openInBrowser(app, app.search.resultSlots[site].get().bookUrl);
        return;
    }
    // Two presses must not both start: only the one that flips the flag goes on.
    bool idle = false;
    if (!app.download.downloadInProgress.compare_exchange_strong(idle, true))
        return;

    // The copies are taken here, on the window thread, so that a later click or search
    // changes nothing in this download.
    const ResultSlot slot = app.search.resultSlots[site].get();
    app.download.downloadSite.store(site);
    app.download.downloadBookUrl = slot.bookUrl;
    app.download.downloadName = slot.name;
    app.download.downloadAuthor = slot.author;

    app.window.setVisible(Control::StatusLabel, true);
    app.window.setVisible(Control::ProgressFrame, true);
    // The index page is fetched off the window thread so the window stays responsive.
    if (!app.startThread(&runChapterDownload, 0))
        endUnstartedDownload(app);
}

void buildChapterTable(AppState& app) {
    const int site = app.download.downloadSite.load();
    if (!isSiteId(site) || siteRules(site).indexPattern.empty())
        return;
    const SiteRules& rules = siteRules(site);
    app.download.contentStartMarker = rules.content.left;
    app.download.contentEndMarker = rules.content.right;

    const Text page = textFromBytes(app.fetch(app.download.downloadBookUrl, rules.indexMethod));
    ChapterTable table =
        chapterTableFromIndex(site, page, app.download.downloadBookUrl, app.settings.sites);
    const int count = static_cast<int>(table.chapterUrls.size());
    app.download.chapterTable = std::move(table);
    app.download.emptyChapters.store(0);
    app.download.chaptersDone.store(0);
    app.download.chapterCount.store(count);
}

void runChapterDownload(AppState& app, int) {
    // Made here, not at start-up: a run that never downloads never touches the folder. One
    // download runs at a time, so no two threads make it.
    if (!app.download.chapterCache && !app.settings.chapterCacheDirectory.empty()) {
        app.download.chapterCache = std::make_shared<ChapterCache>(
            app.settings.chapterCacheDirectory, app.settings.chapterCacheBytes);
    }
    buildChapterTable(app);
    if (app.download.chapterCount.load() > 0) {
        if (!app.startThread(&chapterLauncher, 0))
            endUnstartedDownload(app);
        return;
    }
    // Nothing to fetch: say so instead of leaving the last progress in view, and end here.
    static const Text kIndexFailed = gbk("目录获取失败");
    showBanner(app, kIndexFailed);
    app.download.downloadInProgress.store(false);
}

}  // namespace pel
