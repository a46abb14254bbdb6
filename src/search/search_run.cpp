#include "search/search_run.h"

#include <string>

#include "core/fixed_texts.h"
#include "core/status_banner.h"
#include "search/site_search.h"
#include "text/encoding.h"

namespace pel {

namespace {

Text progressText(int step) {
    static const Text head = gbk("正在搜索：");
    return head + std::to_string(step) + "/6";
}

}  // namespace

void startSearch(AppState& app) {
    Window& window = app.window;
    const Text title = window.text(Control::SearchBox);
    if (title.empty() || title == searchPlaceholder()) {
        return;
    }
    {
        std::lock_guard lock(app.search.thumbnailMutex);
        app.search.resultListHtml.clear();
    }
    window.setVisible(Control::ProgressFrame, true);
    window.setVisible(Control::StatusLabel, true);
    // Covers the details and the strip until this search loads a result page.
    window.setVisible(Control::DisclaimerLabel, true);
    {
        // Under the progress lock, so that a worker of an earlier search still advancing
        // cannot slip its label between the reset and the "1/6".
        std::lock_guard lock(app.search.searchProgressMutex);
        app.search.searchProgress = 1;
        window.setText(Control::StatusLabel, progressText(1));
    }
    // A worker that gets no thread still takes its step, or the search would never end.
    if (!app.startThread(runDirectDownloadSiteSearch, 0)) {
        advanceSearchProgress(app);
    }
    for (SiteId site = 2; site <= kSiteCount; ++site) {
        if (!app.startThread(runSiteSearch, site)) {
            advanceSearchProgress(app);
        }
    }
}

void advanceSearchProgress(AppState& app) {
    static const Text failed = gbk("搜索失败 技能冷却中");
    Window& window = app.window;
    // One call at a time: the label never goes backwards and the end is seen in order.
    std::lock_guard lock(app.search.searchProgressMutex);
    const int step = app.search.searchProgress.fetch_add(1) + 1;
    window.setText(Control::StatusLabel, progressText(step));
    if (step <= kSiteCount) {
        return;
    }
    window.setVisible(Control::ProgressFrame, false);
    window.setVisible(Control::StatusLabel, false);
    // The disclaimer still up means no result page was loaded during this search.
    if (window.isVisible(Control::DisclaimerLabel)) {
        showBanner(app, failed);
    }
}

}  // namespace pel
