#include "search/site_fields.h"

#include "core/site_rules.h"
#include "text/encoding.h"
#include "text/regex_object.h"

namespace pel {
namespace {

// The text of the first site-4 "》正文" piece: what follows the first marker, up to the next
// one or the end. When nothing follows the marker the latest chapter would come out empty;
// the box then shows the text in front of the marker instead, which is what the site listed.
Text afterMainTextMarker(const Text& text) {
    static const Text marker = gbk("》正文");
    const int first = findText(text, marker);
    if (first < 0) {
        return text;
    }
    const Text rest = text.substr(first - 1 + marker.size());
    const int next = findText(rest, marker);
    const Text piece = next < 0 ? rest : leftBytes(rest, next - 1);
    return piece.empty() ? leftBytes(text, first - 1) : piece;
}

void cutSite2(const Text& block, SiteBookFields& f) {
    static const Text author = gbk("作者：");
    f.name = textBetween(block, "<h1>", "</h1>");
    f.author = textBetween(block, author, "</p>");
    f.latestChapter = textBetween(block, "html\">", "</a></p>");
    f.introduction = textBetween(block, "intro\">\r\n<p>", "</p>");
    f.coverUrl = textBetween(block, "src=\"", "\"onerror");
}

void cutSite3(const Text& block, SiteBookFields& f) {
    static const Text fullText = gbk("全文阅读");
    static const Text authorLeft = gbk("文章作者</th><td>");
    static const Text authorRight = gbk("</td><th>文");
    static const Text latestLeft = gbk("最新章节：<ahre");
    static const Text introLeft = gbk("内容简介：");
    f.name = removeText(textBetween(block, "<h1>", "</h1>"), fullText);
    f.author = textBetween(block, authorLeft, authorRight);
    f.latestChapter = textBetween(textBetween(block, latestLeft, "</p>"), ">", "</a>");
    f.introduction = replaceText(
        textBetween(textBetween(block, introLeft, "<pstyle="), "<p>", "</p>"), "<br/>", "\r\n");
    f.coverUrl = textBetween(block, "src=\"", "\"onerror");
    f.bookUrl = textBetween(block, "href=\"", "/\">") + "/";
}

void cutSite4(const Text& block, SiteBookFields& f) {
    static const Text authorLeft = gbk("作者：");
    static const Text authorRight = gbk(">状态");
    static const Text latestLeft = gbk("最新章节：");
    static const Text chapterIndex = gbk("章节目录");
    f.name = textBetween(block, "<h1>", "</h1>");
    f.author = textBetween(textBetween(block, authorLeft, authorRight), ">", "</a></span>");
    const Text latest = textBetween(textBetween(block, latestLeft, "</p>"), ">", "</a>");
    f.latestChapter = removeText(afterMainTextMarker(latest), chapterIndex);
    // The site's book page has no usable introduction: the default text stands.
    f.coverUrl = textBetween(block, "imgsrc=\"", "\"width=");
}

// Sites 2..4 cut an info block out of the page first and take every field from it, with the
// blanks and the non-breaking spaces taken out.
bool cutFromInfoBlock(const MarkerPair& markers, const Text& page, SiteBookFields& f,
                      void (*cutFields)(const Text& block, SiteBookFields& f)) {
    Text block = textBetween(page, markers.left, markers.right);
    if (block.empty()) {
        return false;
    }
    block = removeText(removeText(block, " "), "&nbsp;");
    cutFields(block, f);
    return true;
}

bool cutSite5(const Text& rawPage, SiteBookFields& f) {
    if (rawPage.empty()) {
        return false;
    }
    const Text page = replaceText(replaceText(rawPage, "&nbsp;", "", true), "<br />", "", true);
    RegexObject meta;
    meta.execute("property=\"og(.*?)content=\"(.*?)\"/>\r", page);
    f.name = meta.subMatch(2, 2);
    f.author = meta.subMatch(5, 2);
    f.latestChapter = meta.subMatch(11, 2);
    f.introduction = textBetween(page, "og:description\" content=\"", "\n\"/>");
    f.coverUrl = meta.subMatch(3, 2);
    f.bookUrl = meta.subMatch(7, 2);
    return true;
}

bool cutSite6(const Text& page, SiteBookFields& f) {
    RegexObject meta;
    meta.execute("<meta property=\"og(.*?)\" content=\"(.*?)\"/>", page);
    if (meta.matchCount() < 10) {
        return false;
    }
    f.name = meta.subMatch(2, 2);
    f.author = meta.subMatch(5, 2);
    f.latestChapter = meta.subMatch(9, 2);
    f.introduction = removeText(
        replaceText(textBetween(page, "og:description\" content=\"", "\"/>"), "<br />", "\r\n"),
        "&nbsp;");
    f.coverUrl = meta.subMatch(3, 2);
    f.bookUrl = upToLastSlash(meta.subMatch(10, 2));
    return true;
}

}  // namespace

Text siteSearchHit(int site, const Text& searchPage) {
    if (!isSiteId(site) || siteRules(site).listPattern.empty()) {
        return {};
    }
    RegexObject list;
    list.execute(siteRules(site).listPattern, searchPage);
    return list.subMatch(1, 1);
}

bool cutSiteBookFields(int site, const Text& page, SiteBookFields& fields) {
    if (!isSiteId(site)) {
        return false;
    }
    // Each site's cuts are code of its own; the block markers are data of its row.
    const MarkerPair& block = siteRules(site).infoBlock;
    switch (site) {
        case 2:
            return cutFromInfoBlock(block, page, fields, cutSite2);
        case 3:
            return cutFromInfoBlock(block, page, fields, cutSite3);
        case 4:
            return cutFromInfoBlock(block, page, fields, cutSite4);
        case 5:
            return cutSite5(page, fields);
        case 6:
            return cutSite6(page, fields);
        default:
            return false;
    }
}

Text upToLastSlash(const Text& text) {
    const int last = findLastText(text, "/");
    return last < 0 ? Text{} : leftBytes(text, last);
}

Text directDownloadSearchHit(const Text& searchPage) {
    static const Text markBookLink = gbk("\">《");
    std::vector<Text> hits;
    if (textBetweenAll(searchPage, "<dl id=\"plist", "</dd>", hits) == 0) {
        return {};
    }
    return textBetween(hits.front(), "<a href=\"", markBookLink);
}

DirectDownloadBook cutDirectDownloadBook(const Text& bookPage) {
    static const Text markNameLeft = gbk(">《");
    static const Text markNameRight = gbk("》");
    static const Text markAuthor = gbk("作者：");
    static const Text markCoverRight = gbk("\" title=\"点");
    static const Text markIntro = gbk("【内容简介】：");
    static const Text markDownload = gbk("点击下载");
    static const Text ideographicSpace = gbk("　");

    const Text block = textBetween(bookPage, "<a target=\"_blank", markDownload);
    DirectDownloadBook book;
    book.name = textBetween(block, markNameLeft, markNameRight);
    book.author = textBetween(block, markAuthor, "\" border=");
    book.coverUrl = textBetween(block, "<img src=\"", markCoverRight);
    const Text introduction = textBetween(block, markIntro, "</p>");
    if (introduction.empty()) {
        book.introduction = siteRules(1).noIntroduction;
    } else {
        book.introduction =
            replaceFive(introduction, kAllOccurrences, 1, false, " ", "", ideographicSpace, "",
                        "<br/>", "", "</p>", "", "&nbsp;", "");
    }
    book.bookId = textBetween(block, "php?id=", "\" rel=");
    return book;
}

Text directDownloadLink(const Text& downloadPage) {
    static const Text linkBlockLeft = gbk("下载地址＆TXT");
    static const Text linkBlockRight = gbk("下载声明");
    const Text linkBlock = textBetween(downloadPage, linkBlockLeft, linkBlockRight);
    const std::vector<Text> pieces = splitText(linkBlock, "_blank");
    return pieces.empty() ? Text{} : textBetween(pieces.front(), "href=\"", "\" target");
}

}  // namespace pel
