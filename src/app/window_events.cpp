#include "app/window_events.h"

#include <algorithm>

#include "core/fixed_texts.h"
#include "core/no_cover_image.h"
#include "search/search_run.h"
#include "update/update_check.h"

namespace pel {

namespace {

constexpr int kAuthorBytes = 8;

}  // namespace

void onWindowCreated(AppState& app) {
    app.startThread(checkForUpdate, 0);
    app.window.setPicture(Control::CoverBox, noCoverImage());
    // The author's name is the tail of the title caption.
    const Text caption = app.window.text(Control::TitleLabel);
    const std::size_t keep = std::min<std::size_t>(caption.size(), kAuthorBytes);
    app.window.setText(Control::AuthorBox, caption.substr(caption.size() - keep));
}

void onSearchBoxFocusIn(AppState& app) {
    if (app.window.text(Control::SearchBox) == searchPlaceholder()) {
        app.window.setText(Control::SearchBox, Text{});
    }
}

void onSearchBoxFocusOut(AppState& app) {
    // Only plain blanks count as nothing typed; the text itself is kept as typed.
    const Text text = app.window.text(Control::SearchBox);
    if (text.find_first_not_of(' ') == Text::npos) {
        app.window.setText(Control::SearchBox, searchPlaceholder());
    }
}

void onSearchBoxKey(AppState& app, int keyCode) {
    if (keyCode == kEnterKeyCode) {
        startSearch(app);
    }
}

}  // namespace pel
