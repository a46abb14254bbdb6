#include "download/chapter_index.h"

#include "core/site_rules.h"
#include "net/url_parts.h"
#include "text/regex_object.h"

namespace pel {

namespace {

Text chapterUrlFor(int site, const Text& link, const Text& bookUrl, const SiteTable& sites) {
    switch (siteRules(site).chapterAddress) {
        case ChapterAddress::AfterHostUnlessMarked: {
            const Text& marker = sites.domainMarker[site];
            if (findText(link, marker) != -1)
                return link;
            return urlHost(sites.baseUrl[site], true) + link;
        }
        case ChapterAddress::AfterBookUrl:
            return bookUrl + link;
        case ChapterAddress::AsLinked:
            break;
    }
    return link;
}

}  // namespace

ChapterTable chapterTableFromIndex(int site, const Text& indexPage, const Text& bookUrl,
                                   const SiteTable& sites) {
    ChapterTable table;
    if (!isSiteId(site) || siteRules(site).indexPattern.empty())
        return table;
    const SiteRules& rules = siteRules(site);
    Text page = indexPage;
    if (!rules.indexSection.left.empty())
        page = textBetween(page, rules.indexSection.left, rules.indexSection.right);

    RegexObject matcher;
    matcher.execute(rules.indexPattern, page);
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
