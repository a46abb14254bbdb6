#include "download/chapter_index.h"

#include "net/url_parts.h"
#include "text/encoding.h"
#include "text/regex_object.h"

namespace pel {

namespace {

Text chapterUrlFor(int site, const Text& link, const Text& bookUrl, const SiteTable& sites) {
    switch (site) {
        case 2: {
            const Text& marker = sites.domainMarker[2];
            if (findText(link, marker) != -1)
                return link;
            return urlHost(sites.baseUrl[2], true) + link;
        }
        case 3:
        case 4:
            return bookUrl + link;
        default:
            return link;
    }
}

}  // namespace

const IndexRule& indexRule(int site) {
    static const IndexRule kRules[7] = {
        {},
        {},
        {0, "><a href=\"(.*?)\">(.*?)</a></dd>", "<div id=\"content\">",
         "<script>read3();</script><script>bdshare();</script>\r"},
        {0, "<a href=\"(.*?)\">(.*?)</a></td>", "<dd id=\"contents\">", "</dd>\r"},
        {0, "<li><a href=\"(.*?)\">(.*?)</a></li>\r", "&nbsp;&nbsp;&nbsp;&nbsp;", "</div>\r"},
        {1, "<li><a href=\"http://(.*?)\" title=\"(.*?)\">.*</a></li>\r",
         "<div class=\"txt fon_size\" id=\"readcon\">\r", "阅读悦,阅读悦精彩!"},
        {1, "<li><a href=\"(.*?)\" title=\"(.*?)\">(.*?)</a></li>", "style5();</script>",
         "<script type=\"text/javascript\">style6()"},
    };
    static const IndexRule kNone{};
    return site >= 2 && site <= kSiteCount ? kRules[site] : kNone;
}

ChapterTable chapterTableFromIndex(int site, const Text& indexPage, const Text& bookUrl,
                                   const SiteTable& sites) {
    ChapterTable table;
    if (site < 2 || site > kSiteCount)
        return table;
    Text page = indexPage;
    if (site == 4) {
        static const Text kIndexStart = gbk("<!--章节目录-->\r");
        page = textBetween(page, kIndexStart, "<div class=\"clear\"></div>\r");
    }

    RegexObject matcher;
    matcher.execute(indexRule(site).pattern, page);
    const int count = matcher.matchCount();
    table.chapterUrls.resize(count);
    table.chapterTitles.resize(count);
    table.chapterTexts.resize(count);
    for (int i = 1; i <= count; ++i) {
        table.chapterTitles[i - 1] = matcher.subMatch(i, 2);
        table.chapterUrls[i - 1] = chapterUrlFor(site, matcher.subMatch(i, 1), bookUrl, sites);
    }
    return table;
}

}  // namespace pel
