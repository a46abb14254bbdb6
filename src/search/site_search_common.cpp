#include "search/site_search_common.h"

#include "search/search_run.h"

namespace pel {

SearchProgressGuard::~SearchProgressGuard() {
    // A destructor must not throw; the progress step is all that matters here.
    try {
        advanceSearchProgress(app_);
    } catch (...) {
    }
}

bool isWebAddress(const Text& url) {
    return findText(url, "http://", 1, true) == 1 || findText(url, "https://", 1, true) == 1;
}

Text fetchForeignText(AppState& app, const Text& url) {
    if (!isWebAddress(url)) {
        return {};
    }
    return textFromBytes(app.fetch(url));
}

}  // namespace pel
