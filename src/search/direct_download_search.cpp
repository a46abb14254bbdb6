// Site 1: UTF-8 pages, a UTF-8 keyword, cuts by marker pairs only, and a TXT download link
// as the book address.
#include "app/fixed_texts.h"
#include "search/result_page.h"
#include "search/site_search.h"
#include "search/site_search_common.h"
#include "text/encoding.h"

namespace pel {
namespace {

constexpr int kSite = 1;

// The site's pages are UTF-8; everything is cut from their GBK form.
Text fetchSitePage(AppState& app, const Text& url) {
    return utf8ToGbk(fetchForeignText(app, url));
}

void searchDirectDownloadSite(AppState& app) {
    static const Text markBookLink = gbk("\">《");
    static const Text markNameLeft = gbk(">《");
    static const Text markNameRight = gbk("》");
    static const Text markAuthor = gbk("作者：");
    static const Text markCoverRight = gbk("\" title=\"点");
    static const Text markIntro = gbk("【内容简介】：");
    static const Text markDownload = gbk("点击下载");
    static const Text ideographicSpace = gbk("　");
    static const Text finishedText = gbk("- - - 已 完 本 - - -");
    static const Text linkBlockLeft = gbk("下载地址＆TXT");
    static const Text linkBlockRight = gbk("下载声明");
    static const Text captionHead = gbk("知轩：《");
    static const Text captionMiddle = gbk("》 作者：");

    const Text keyword = app.window.text(Control::SearchBox);
    const Text& base = app.settings.sites.baseUrl[kSite];

    const Text searchPage =
        fetchSitePage(app, base + "/index.php?keyword=" + urlEncodeUtf8(keyword));
    std::vector<Text> hits;
    if (textBetweenAll(searchPage, "<dl id=\"plist", "</dd>", hits) == 0) {
        return;
    }
    const Text searchHit = textBetween(hits.front(), "<a href=\"", markBookLink);
    if (searchHit.empty()) {
        return;
    }

    const Text bookPage = fetchSitePage(app, searchHit);
    const Text block = textBetween(bookPage, "<a target=\"_blank", markDownload);

    const Text name = textBetween(block, markNameLeft, markNameRight);
    writeSlotField(app, kSite, &ResultSlot::name, name);
    const Text author = textBetween(block, markAuthor, "\" border=");
    writeSlotField(app, kSite, &ResultSlot::author, author);
    writeSlotField(app, kSite, &ResultSlot::latestChapter, finishedText);
    // The site's cover is used as it stands: no base address, no probe.
    const Text coverUrl = textBetween(block, "<img src=\"", markCoverRight);
    writeSlotField(app, kSite, &ResultSlot::coverUrl, coverUrl);
    Text introduction = textBetween(block, markIntro, "</p>");
    if (introduction.empty()) {
        introduction = noIntroText();
    } else {
        introduction = replaceFive(introduction, kAllOccurrences, 1, false, " ", "",
                                   ideographicSpace, "", "<br/>", "", "</p>", "", "&nbsp;", "");
    }
    writeSlotField(app, kSite, &ResultSlot::introduction, introduction);

    // Asked even with an empty id: the site's answer decides whether there is a link.
    const Text bookId = textBetween(block, "php?id=", "\" rel=");
    const Text downloadPage = fetchSitePage(app, base + "/download.php?id=" + bookId);
    const Text linkBlock = textBetween(downloadPage, linkBlockLeft, linkBlockRight);
    const std::vector<Text> pieces = splitText(linkBlock, "_blank");
    const Text bookUrl =
        pieces.empty() ? Text{} : textBetween(pieces.front(), "href=\"", "\" target");
    writeSlotField(app, kSite, &ResultSlot::bookUrl, bookUrl);
    if (bookUrl.empty()) {
        return;
    }
    addResultThumbnail(app, coverUrl, captionHead + name + captionMiddle + author, "1");
}

}  // namespace

void runDirectDownloadSiteSearch(AppState& app, int) {
    SearchProgressGuard progress(app);
    try {
        searchDirectDownloadSite(app);
    } catch (...) {
        // A worker thread must not end the process; the guard still reports progress.
    }
}

}  // namespace pel
