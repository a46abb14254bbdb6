#include "search/site_search_common.h"

#include "net/url_parts.h"
#include "search/search_run.h"

namespace pel {

SearchProgressGuard::~SearchProgressGuard() {
    // A destructor must not throw; the progress step is all that matters here.
    try {
        advanceSearchProgress(app_);
    } catch (...) {
    }
}

Text fetchForeignText(AppState& app, const Text& url) {
    if (!isFetchableAddress(url)) {
        return {};
    }
    return textFromBytes(app.fetch(url));
}

}  // namespace pel
