#include "search/result_page.h"

#include <climits>
#include <system_error>

#include "core/file_write.h"
#include "core/fixed_texts.h"
#include "core/no_cover_image.h"
#include "core/status_banner.h"
#include "net/url_parts.h"
#include "search/site_search_common.h"
#include "text/encoding.h"

namespace pel {
namespace {

// A page written whole is never smaller than this; anything below means the write failed.
constexpr long long kMinimumPageSize = 223;

const Text& pageHeader() {
    static const Text header = gbk(
        "<html>\r\n"
        "<script language=\"JavaScript\" type=\"text/JavaScript\">\r\n"
        "document.oncontextmenu=new Function('event.returnValue=false;');<!--禁止右键-->\r\n"
        "document.onselectstart=new Function('event.returnValue=false;');<!--禁止内容选择-->\r\n"
        "</script>\r\n"
        "<body bgcolor=\"rgb(2,22,30)\">\r\n");
    return header;
}

const Text& pageFooter() {
    static const Text footer = "</body>\r\n</html>";
    return footer;
}

// Cover addresses and captions come from foreign pages and go into attribute values of our
// own local page: the four characters that could end the attribute or open markup are
// written as entities. None of them can be the trailing byte of a GBK character (those are
// 0x40 and above), so a byte-wise pass is safe.
Text escapeAttribute(const Text& text) {
    Text out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

long long fileSizeOrMinusOne(const std::filesystem::path& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(size);
}

// The site a thumbnail link names: its last byte as a digit 1..6. The page only ever links
// "1" to "6"; any other last byte, 7 to 9 included, names no site and gives 0, so nothing
// downstream can index the six slots with it.
int siteFromTarget(const std::string& target) {
    if (target.empty()) {
        return 0;
    }
    const char last = target.back();
    if (last < '1' || last > '6') {
        return 0;
    }
    return last - '0';
}

// The body of a cover fetch thread: fetches the cover of click `generation` and shows it
// unless a later click came in the meantime.
void fetchClickedCover(AppState& app, int generation) {
    using CoverRequest = SearchState::CoverRequest;
    const Text url = app.search.clickedCover.with([&](const CoverRequest& request) {
        return request.generation == generation ? request.url : Text{};
    });
    if (url.empty()) {
        return;  // a later click came before this thread started
    }
    const Bytes picture = app.fetch(url);
    if (picture.empty()) {
        return;  // a failed fetch leaves the box cleared, as the click left it
    }
    app.search.clickedCover.with([&](const CoverRequest& request) {
        if (request.generation == generation) {
            app.window.setPicture(Control::CoverBox, picture);
        }
    });
}

// The cover box of a click: the built-in picture for "zwfm.jpg"; otherwise the box is cleared
// at once and the cover, when fetchPage can send its address (http, https, or no scheme),
// is fetched on a thread of its own, so that a slow cover server never holds the window.
void showClickedCover(AppState& app, const Text& coverUrl) {
    using CoverRequest = SearchState::CoverRequest;
    const bool builtIn = coverUrl == noCoverFileName();
    const bool fetch = !builtIn && isFetchableAddress(coverUrl);
    // The box is written under the request's lock, so an earlier fetch that is about to
    // show its picture either does so before this click or not at all.
    const int generation = app.search.clickedCover.with([&](CoverRequest& request) {
        request.generation = request.generation == INT_MAX ? 1 : request.generation + 1;
        request.url = fetch ? coverUrl : Text{};
        app.window.setPicture(Control::CoverBox, builtIn ? noCoverImage() : Bytes{});
        return request.generation;
    });
    if (fetch) {
        app.startThread(&fetchClickedCover, generation);
    }
}

}  // namespace

std::filesystem::path resultPagePath(const AppState& app) {
    return app.settings.pageDirectory / "lstplb.html";
}

std::filesystem::path noCoverPicturePath(const AppState& app) {
    return app.settings.pageDirectory / "zwfm.jpg";
}

Text resultLine(const Text& cover, const Text& caption, const Text& digit) {
    return "<img src=\"" + escapeAttribute(cover) + "\" width=\"62\" height=\"82\" alt=\"" +
           escapeAttribute(caption) + "\" onclick=\"location.href='" + digit + "';\">\r\n";
}

Text resultPage(const Text& lines) {
    return pageHeader() + lines + pageFooter();
}

void addResultThumbnail(AppState& app, const Text& cover, const Text& caption, const Text& digit) {
    static const Text insertFailed = gbk("插入失败 请尝试管理员运行");
    std::lock_guard lock(app.search.thumbnailMutex);
    app.search.resultListHtml += resultLine(cover, caption, digit);
    const auto pagePath = resultPagePath(app);
    const bool written = writeWholeFile(pagePath, resultPage(app.search.resultListHtml));
    writeWholeFile(noCoverPicturePath(app), noCoverImage());
    // A failed write counts as a missing page, so a stale page left by an earlier hit is not
    // loaded as if it were this one.
    const long long size = written ? fileSizeOrMinusOne(pagePath) : -1;
    if (size < kMinimumPageSize) {
        showBanner(app, insertFailed);
        return;
    }
    app.window.setAddress(Control::HtmlView, pagePath.string());
    app.window.setVisible(Control::DisclaimerLabel, false);
}

Navigation onBeforeNavigate(AppState& app, const std::filesystem::path& target) {
    if (target.native() == resultPagePath(app).native()) {
        return Navigation::Allow;
    }
    const int site = siteFromTarget(target.native());
    app.search.selectedSite.store(site);
    if (site < 1) {
        return Navigation::Refuse;
    }
    const ResultSlot slot = app.search.resultSlots[site].get();
    showClickedCover(app, slot.coverUrl);
    app.window.setText(Control::NameBox, slot.name);
    app.window.setText(Control::AuthorBox, slot.author);
    app.window.setText(Control::LatestBox, slot.latestChapter);
    app.window.setText(Control::IntroBox, slot.introduction);
    const bool noIntro = app.window.text(Control::IntroBox) == noIntroText();
    app.window.setAlignment(Control::IntroBox, noIntro ? Alignment::Center : Alignment::Left);
    return Navigation::Refuse;
}

void onNavigateComplete(AppState& app) {
    std::error_code ec;
    std::filesystem::remove(resultPagePath(app), ec);
    std::filesystem::remove(noCoverPicturePath(app), ec);
}

}  // namespace pel
