#include "download/chapter_cleaner.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/site_rules.h"
#include "download/watermark_texts.h"
#include "text/encoding.h"
#include "text/regex_object.h"

namespace pel {

namespace {

// Deletes every short "&name;" (name under 8 bytes). The matches are those of the text as it
// stood before the step; each removal applies to the current text. A name is removed
// everywhere at its first match, so its later matches have nothing left to remove: each name
// is removed once, which keeps a page of many entities of a few kinds at one pass per kind
// instead of one pass over the whole text per entity. The matcher is this call's own, so a
// hundred workers never share one; it holds a copy of the text, so it is gone before the
// removals make copies of their own.
Text removeShortEntities(Text text) {
    if (findText(text, "&") == -1 || findText(text, ";") == -1)
        return text;
    std::vector<Text> names;
    {
        RegexObject matcher;
        matcher.execute("&(.*?);", text);
        const int count = matcher.matchCount();
        std::unordered_set<Text> seen;
        for (int i = 1; i <= count; ++i) {
            Text name = matcher.subMatch(i, 1);
            if (name.size() < 8 && seen.insert(name).second)
                names.push_back(std::move(name));
        }
    }
    for (const Text& name : names)
        text = removeText(text, "&" + name + ";");
    return text;
}

Text cleanSite3(Text text, const Watermarks& marks) {
    static const Text kSiteName = gbk("顶点小说");
    static const Text kSpacedSiteName = gbk("顶 点 小 说");
    static const Text kFastest = gbk("更新最快");
    const Text domain = fullWidthUpper(marks.site3Domain);
    text = replaceText(text, "<br /><br />", "\r\n");
    text = removeText(text, domain);
    text = removeText(text, kSpacedSiteName + " " + spacedFullWidthDomain(marks.site3Domain));
    text = removeText(text, kSpacedSiteName);
    text = removeText(text, kSiteName);
    text = removeText(text, kFastest);
    // The same domain with its first full-width character (two bytes) missing.
    if (domain.size() > 2)
        text = removeText(text, domain.substr(2));
    return text;
}

Text cleanSite4(Text text, const Watermarks& marks) {
    static const Text kCreditHead = gbk("精彩阅读·尽在·无名小说网（<a href=\"http://");
    static const Text kCreditTail = gbk("</a>）<br />");
    static const Text kMobileBook = gbk("手机看书，尽在·无名小说手机版");
    static const Text kMobileGoodBook = gbk("手机看好书·尽在·无名小说手机版（");
    static const Text kMobileGoodBookTail = gbk("）</p>");
    // The credit line ends in "<br />": it goes before the line breaks, or it would never match.
    text = removeText(text, kCreditHead + marks.site4Host + "\" target=\"_blank\">" +
                                marks.site4Host + kCreditTail);
    text = removeText(text, "<br />");
    text = removeText(text,
                      kMobileBook + capitaliseFirstAndLastLetter(marks.site4MobileHost) + "</p>");
    text = removeText(text, kMobileGoodBook + marks.site4MobileHost + kMobileGoodBookTail);
    return text;
}

}  // namespace

Text cleanChapterText(Text text, int site, const Watermarks& marks) {
    static const Text kXswCredit = gbk("(小说屋 ");
    static const Text kMeikeCredit = gbk(" 美克文学网 ");
    static const Text kChapterEnd = gbk("(本章完)");
    // Every step replaces the text it worked on, so no more than two copies exist at once.
    text = removeText(text, "<p>");
    text = removeText(text, "&nbsp;");
    text = removeText(text, kXswCredit + marks.xswHost + ")");
    text = removeText(text, "&quot;");
    text = removeText(text, "</div>");
    text = removeText(text, "(" + marks.meikeName + kMeikeCredit + marks.meikeHost + ")");
    text = removeText(text, "<script>readx();</script>");
    text = removeText(text, kChapterEnd);
    text = removeShortEntities(std::move(text));
    if (!isSiteId(site))
        return text;
    switch (siteRules(site).cleanerExtras) {
        case CleanerExtras::RemoveLineBreaks:
            return removeText(text, "<br />");
        case CleanerExtras::Site3Watermarks:
            return cleanSite3(std::move(text), marks);
        case CleanerExtras::Site4Watermarks:
            return cleanSite4(std::move(text), marks);
        case CleanerExtras::None:
            break;
    }
    return text;
}

Text cleanChapter(AppState& app, const Text& chapterUrl) {
    // The page may be one byte over the cap, so that a page of exactly the cap still counts.
    const std::size_t maxPage = app.settings.maxChapterPageBytes;
    NetLimits limits = app.settings.net;
    limits.maxBodyBytes = std::min(limits.maxBodyBytes, maxPage + 1);
    // An empty page, an empty cut or a page over the cap is usually a dropped connection, an
    // overloaded site or a hostile one: fetch again after each pause before the chapter is
    // given up as empty.
    const std::vector<int>& pauses = app.settings.chapterRetryPausesMs;
    for (std::size_t attempt = 0;; ++attempt) {
        Text cut;
        {
            Bytes page = app.fetch(chapterUrl, 0, limits);
            if (page.size() <= maxPage) {
                // The text ends at the first zero byte; cut in place, with no second copy.
                page.resize(std::min(page.size(), page.find('\0')));
                cut = textBetween(page, app.download.contentStartMarker,
                                  app.download.contentEndMarker);
            }
        }  // the page is gone before the cleaning copies the cut
        if (!cut.empty())
            return cleanChapterText(std::move(cut), app.download.downloadSite.load(),
                                    app.settings.marks);
        if (attempt >= pauses.size() || app.threads.shuttingDown.load())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauses[attempt]));
    }
    app.download.emptyChapters.fetch_add(1);
    return Text();
}

}  // namespace pel
