// The result page lstplb.html in the HTML view, and the selection of a thumbnail.
#pragma once

#include <filesystem>
#include <string>

#include "core/app_state.h"

namespace pel {

std::filesystem::path resultPagePath(const AppState& app);
std::filesystem::path noCoverPicturePath(const AppState& app);

// One thumbnail line of the page. The cover address and the caption go into attribute values
// with '"', '<', '>' and '&' written as entities; everything else goes in as it is.
Text resultLine(const Text& cover, const Text& caption, const Text& digit);
// Header + lines + footer.
Text resultPage(const Text& lines);

// Appends one thumbnail, rewrites and reloads the page: one critical section.
void addResultThumbnail(AppState& app, const Text& cover, const Text& caption, const Text& digit);

enum class Navigation { Allow, Refuse };
// Before-navigate of the HTML view. `target` is the local file the view is about to load: the
// page itself, or a clicked thumbnail's relative link "3" resolved beside it (<dir>/3). The
// window turns the view's file address into this path; any other address comes as an empty
// path and names no site. A click fills the detail boxes at once; its cover is fetched on a
// thread of its own and shown when it arrives, unless a later click came first.
Navigation onBeforeNavigate(AppState& app, const std::filesystem::path& target);
// A completed load of the result page: both files are deleted.
void onNavigateComplete(AppState& app);

}  // namespace pel
