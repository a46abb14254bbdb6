// Sites 2 to 6: one pipeline (search page, first hit, book page, gate, fields, cover probe,
// book address, thumbnail); the sites differ in the constants below and in their field cuts.
#include "search/site_search.h"

#include "app/fixed_texts.h"
#include "net/fetch_page_winhttp.h"
#include "search/result_page.h"
#include "search/site_search_common.h"
#include "text/encoding.h"
#include "text/regex_object.h"

namespace pel {
namespace {

struct SiteRules {
    Text searchPath;
    Text listPattern;  // group 1 is the first hit's address
    Text captionHead;
    Text probeMarker;  // its presence in the probe's answer means "no cover"
};

const SiteRules& rulesOf(int site) {
    static const Text tableList = "class=\"odd\"><a href=\"(.*?)\">(.*?)</a></td>";
    static const Text missingFile = gbk("找不到文件");
    static const SiteRules rules[7] = {
        {},
        {},
        {"/modules/article/soshu.php?searchkey=+", tableList, gbk("笔趣：《"), missingFile},
        {"/modules/article/search.php?searchtype=keywords&searchkey=", tableList, gbk("顶点：《"),
         missingFile},
        {"/modules/article/search.php?searchkey=", tableList, gbk("无名：《"), missingFile},
        {"/modules/article/search.php?searchkey=+",
         "f-black\" href=\"(.*?)\" target=\"_blank\">(.*?)</a></h6>", gbk("阅读：《"), missingFile},
        {"/modules/article/search.php?searchkey=",
         "<li><a target=\"_blank\" href=\"(.*?)\" class=\"l mr10\">", gbk("全书：《"), "404"},
    };
    return rules[site];
}

// What the field cuts of one site produce, before the defaults and the cover probe.
struct Fields {
    Text name;
    Text author;
    Text latestChapter;
    Text introduction;
    Text coverUrl;
};

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

Fields cutSite2(const Text& block) {
    static const Text author = gbk("作者：");
    Fields f;
    f.name = textBetween(block, "<h1>", "</h1>");
    f.author = textBetween(block, author, "</p>");
    f.latestChapter = textBetween(block, "html\">", "</a></p>");
    f.introduction = textBetween(block, "intro\">\r\n<p>", "</p>");
    f.coverUrl = textBetween(block, "src=\"", "\"onerror");
    return f;
}

Fields cutSite3(const Text& block) {
    static const Text fullText = gbk("全文阅读");
    static const Text authorLeft = gbk("文章作者</th><td>");
    static const Text authorRight = gbk("</td><th>文");
    static const Text latestLeft = gbk("最新章节：<ahre");
    static const Text introLeft = gbk("内容简介：");
    Fields f;
    f.name = removeText(textBetween(block, "<h1>", "</h1>"), fullText);
    f.author = textBetween(block, authorLeft, authorRight);
    f.latestChapter = textBetween(textBetween(block, latestLeft, "</p>"), ">", "</a>");
    f.introduction = replaceText(
        textBetween(textBetween(block, introLeft, "<pstyle="), "<p>", "</p>"), "<br/>", "\r\n");
    f.coverUrl = textBetween(block, "src=\"", "\"onerror");
    return f;
}

Fields cutSite4(const Text& block) {
    static const Text authorLeft = gbk("作者：");
    static const Text authorRight = gbk(">状态");
    static const Text latestLeft = gbk("最新章节：");
    static const Text chapterIndex = gbk("章节目录");
    Fields f;
    f.name = textBetween(block, "<h1>", "</h1>");
    f.author = textBetween(textBetween(block, authorLeft, authorRight), ">", "</a></span>");
    const Text latest = textBetween(textBetween(block, latestLeft, "</p>"), ">", "</a>");
    f.latestChapter = removeText(afterMainTextMarker(latest), chapterIndex);
    // The site's book page has no usable introduction: the default text stands.
    f.coverUrl = textBetween(block, "imgsrc=\"", "\"width=");
    return f;
}

Fields cutSite5(const Text& page, const RegexObject& meta) {
    Fields f;
    f.name = meta.subMatch(2, 2);
    f.author = meta.subMatch(5, 2);
    f.latestChapter = meta.subMatch(11, 2);
    f.introduction = textBetween(page, "og:description\" content=\"", "\n\"/>");
    f.coverUrl = meta.subMatch(3, 2);
    return f;
}

Fields cutSite6(const Text& page, const RegexObject& meta) {
    Fields f;
    f.name = meta.subMatch(2, 2);
    f.author = meta.subMatch(5, 2);
    f.latestChapter = meta.subMatch(9, 2);
    f.introduction = removeText(
        replaceText(textBetween(page, "og:description\" content=\"", "\"/>"), "<br />", "\r\n"),
        "&nbsp;");
    f.coverUrl = meta.subMatch(3, 2);
    return f;
}

// The part of a text up to and including its last "/"; empty when it has none.
Text upToLastSlash(const Text& text) {
    const int last = findLastText(text, "/");
    return last < 0 ? Text{} : leftBytes(text, last);
}

Text fetchSearchPage(AppState& app, int site, const Text& url) {
    if (site != 4) {
        return fetchForeignText(app, url);
    }
    WinHttpRequest request;
    request.url = url;
    request.timeoutSeconds = app.settings.winHttpTimeoutSeconds;
    return textFromBytes(fetchPageWinHttp(request));
}

void searchSite(AppState& app, int site) {
    static const Text site6NoIntro = gbk("\r\n暂无简介");
    const SiteRules& rules = rulesOf(site);
    const Text& base = app.settings.sites.baseUrl[site];
    const Text keyword = app.window.text(Control::SearchBox);

    // A matcher of this run alone: nothing else can execute on it between our execute and
    // our last group read.
    RegexObject regex;
    Text page = fetchSearchPage(app, site, base + rules.searchPath + percentEncodeGbk(keyword));
    regex.execute(rules.listPattern, page);
    const Text searchHit = regex.subMatch(1, 1);
    if (!searchHit.empty()) {
        page = fetchForeignText(app, searchHit);
    }

    Fields fields;
    switch (site) {
        case 2:
        case 3:
        case 4: {
            static const Text blockMarkers[5][2] = {{},
                                                    {},
                                                    {"<div id=\"info\">", "<div id=\"list\">\r"},
                                                    {"id=\"content", "<font class=\"fr"},
                                                    {"class=\"catalog1", "class=\"last9"}};
            Text block = textBetween(page, blockMarkers[site][0], blockMarkers[site][1]);
            if (block.empty()) {
                return;
            }
            block = removeText(removeText(block, " "), "&nbsp;");
            fields = site == 2 ? cutSite2(block) : site == 3 ? cutSite3(block) : cutSite4(block);
            page = std::move(block);
            break;
        }
        case 5:
            if (page.empty()) {
                return;
            }
            page = replaceText(replaceText(page, "&nbsp;", "", true), "<br />", "", true);
            regex.execute("property=\"og(.*?)content=\"(.*?)\"/>\r", page);
            fields = cutSite5(page, regex);
            break;
        case 6:
            regex.execute("<meta property=\"og(.*?)\" content=\"(.*?)\"/>", page);
            if (regex.matchCount() < 10) {
                return;
            }
            fields = cutSite6(page, regex);
            break;
    }

    writeSlotField(app, site, &ResultSlot::name, fields.name);
    writeSlotField(app, site, &ResultSlot::author, fields.author);
    writeSlotField(app, site, &ResultSlot::latestChapter, fields.latestChapter);
    if (fields.introduction.empty()) {
        fields.introduction = site == 6 ? site6NoIntro : noIntroText();
    }
    writeSlotField(app, site, &ResultSlot::introduction, fields.introduction);

    Text coverUrl = fields.coverUrl;
    if (site <= 4 && !containsText(coverUrl, app.settings.sites.domainMarker[site])) {
        coverUrl = base + coverUrl;
    }
    // An error answer is a body like any other: the marker in it means the picture is missing.
    if (containsText(fetchForeignText(app, coverUrl), rules.probeMarker)) {
        coverUrl = noCoverFileName();
    }
    writeSlotField(app, site, &ResultSlot::coverUrl, coverUrl);

    Text bookUrl;
    switch (site) {
        case 2:
            bookUrl = searchHit;
            break;
        case 3:
            bookUrl = textBetween(page, "href=\"", "/\">") + "/";
            break;
        case 4:
            bookUrl = !searchHit.empty()
                          ? searchHit
                          : base + upToLastSlash(textBetween(coverUrl, "image", "."));
            break;
        case 5:
            bookUrl = regex.subMatch(7, 2);
            break;
        case 6:
            bookUrl = upToLastSlash(regex.subMatch(10, 2));
            break;
    }
    writeSlotField(app, site, &ResultSlot::bookUrl, bookUrl);
    if (bookUrl.empty()) {
        return;
    }
    static const Text captionMiddle = gbk("》作者：");
    addResultThumbnail(app, coverUrl,
                       rules.captionHead + fields.name + captionMiddle + fields.author,
                       decimal(site));
}

}  // namespace

void runSiteSearch(AppState& app, int site) {
    SearchProgressGuard progress(app);
    if (site < 2 || site > 6) {
        return;
    }
    try {
        searchSite(app, site);
    } catch (...) {
        // A worker thread must not end the process; the guard still reports progress.
    }
}

}  // namespace pel
