// Pieces that every site search worker shares.
#pragma once

#include "core/app_state.h"

namespace pel {

// Calls advanceSearchProgress exactly once when the worker's run ends, on every path out of
// it, early returns and exceptions included.
class SearchProgressGuard {
  public:
    explicit SearchProgressGuard(AppState& app) : app_(app) {}
    ~SearchProgressGuard();
    SearchProgressGuard(const SearchProgressGuard&) = delete;
    SearchProgressGuard& operator=(const SearchProgressGuard&) = delete;

  private:
    AppState& app_;
};

// GET of an address that may come from a foreign page, as text up to its first zero byte.
// An address without a scheme goes out as plain http, as fetchPage sends it; one with any
// scheme but http and https gives the empty text without a request, so a hostile page cannot
// point the worker at a local file or another protocol.
Text fetchForeignText(AppState& app, const Text& url);

// Replaces one field of the slot in one locked write, so a reader never sees it half-written.
template <class Field>
void writeSlotField(AppState& app, int site, Field ResultSlot::*field, const Text& value) {
    app.search.resultSlots[site].with([&](ResultSlot& slot) { slot.*field = value; });
}

}  // namespace pel
