#include "core/site_rules.h"

#include <array>

#include "core/fixed_texts.h"
#include "text/encoding.h"

namespace pel {
namespace {

using Rows = std::array<SiteRules, kSiteCount>;

// The literals below are UTF-8 source text; gbk() gives their bytes (ASCII stays as it is).
Rows makeRows() {
    const Text tableList = gbk("class=\"odd\"><a href=\"(.*?)\">(.*?)</a></td>");
    const Text missingFile = gbk("找不到文件");
    const Text captionInfix = gbk("》作者：");
    return Rows{{
        // 1 知轩: UTF-8 pages and its own worker; the book is a TXT file the browser fetches.
        {
            .searchPath = gbk("/index.php?keyword="),
            .noIntroduction = noIntroText(),
            .bookAddress = BookAddress::DownloadLink,
            .captionPrefix = gbk("知轩：《"),
            .captionInfix = gbk("》 作者："),
        },
        // 2 笔趣
        {
            .searchPath = gbk("/modules/article/soshu.php?searchkey=+"),
            .listPattern = tableList,
            .infoBlock = {gbk("<div id=\"info\">"), gbk("<div id=\"list\">\r")},
            .noIntroduction = noIntroText(),
            .coverGetsBase = true,
            .probeMarker = missingFile,
            .bookAddress = BookAddress::SearchHit,
            .captionPrefix = gbk("笔趣：《"),
            .captionInfix = captionInfix,
            .indexPattern = gbk("><a href=\"(.*?)\">(.*?)</a></dd>"),
            .chapterAddress = ChapterAddress::AfterHostUnlessMarked,
            .content = {gbk("<div id=\"content\">"),
                        gbk("<script>read3();</script><script>bdshare();</script>\r")},
            .cleanerExtras = CleanerExtras::RemoveLineBreaks,
        },
        // 3 顶点
        {
            .searchPath = gbk("/modules/article/search.php?searchtype=keywords&searchkey="),
            .listPattern = tableList,
            .infoBlock = {gbk("id=\"content"), gbk("<font class=\"fr")},
            .noIntroduction = noIntroText(),
            .coverGetsBase = true,
            .probeMarker = missingFile,
            .bookAddress = BookAddress::BookPage,
            .captionPrefix = gbk("顶点：《"),
            .captionInfix = captionInfix,
            .indexPattern = gbk("<a href=\"(.*?)\">(.*?)</a></td>"),
            .chapterAddress = ChapterAddress::AfterBookUrl,
            .content = {gbk("<dd id=\"contents\">"), gbk("</dd>\r")},
            .cleanerExtras = CleanerExtras::Site3Watermarks,
        },
        // 4 无名
        {
            .searchPath = gbk("/modules/article/search.php?searchkey="),
            .searchClient = SearchClient::FetchPageWinHttp,
            .listPattern = tableList,
            .infoBlock = {gbk("class=\"catalog1"), gbk("class=\"last9")},
            .noIntroduction = noIntroText(),
            .coverGetsBase = true,
            .probeMarker = missingFile,
            .bookAddress = BookAddress::SearchHitElseCover,
            .captionPrefix = gbk("无名：《"),
            .captionInfix = captionInfix,
            .indexSection = {gbk("<!--章节目录-->\r"), gbk("<div class=\"clear\"></div>\r")},
            .indexPattern = gbk("<li><a href=\"(.*?)\">(.*?)</a></li>\r"),
            .chapterAddress = ChapterAddress::AfterBookUrl,
            .content = {gbk("&nbsp;&nbsp;&nbsp;&nbsp;"), gbk("</div>\r")},
            .cleanerExtras = CleanerExtras::Site4Watermarks,
        },
        // 5 阅读
        {
            .searchPath = gbk("/modules/article/search.php?searchkey=+"),
            .listPattern = gbk("f-black\" href=\"(.*?)\" target=\"_blank\">(.*?)</a></h6>"),
            .noIntroduction = noIntroText(),
            .probeMarker = missingFile,
            .bookAddress = BookAddress::BookPage,
            .captionPrefix = gbk("阅读：《"),
            .captionInfix = captionInfix,
            .indexMethod = 1,
            .indexPattern = gbk("<li><a href=\"http://(.*?)\" title=\"(.*?)\">.*</a></li>\r"),
            .chapterAddress = ChapterAddress::AsLinked,
            .content = {gbk("<div class=\"txt fon_size\" id=\"readcon\">\r"),
                        gbk("阅读悦,阅读悦精彩!")},
            .cleanerExtras = CleanerExtras::RemoveLineBreaks,
        },
        // 6 全书
        {
            .searchPath = gbk("/modules/article/search.php?searchkey="),
            .listPattern = gbk("<li><a target=\"_blank\" href=\"(.*?)\" class=\"l mr10\">"),
            .noIntroduction = gbk("\r\n暂无简介"),
            .probeMarker = gbk("404"),
            .bookAddress = BookAddress::BookPage,
            .captionPrefix = gbk("全书：《"),
            .captionInfix = captionInfix,
            .indexMethod = 1,
            .indexPattern = gbk("<li><a href=\"(.*?)\" title=\"(.*?)\">(.*?)</a></li>"),
            .chapterAddress = ChapterAddress::AsLinked,
            .content = {gbk("style5();</script>"),
                        gbk("<script type=\"text/javascript\">style6()")},
            .cleanerExtras = CleanerExtras::RemoveLineBreaks,
        },
    }};
}

}  // namespace

const SiteRules& siteRules(SiteId site) {
    static const Rows rows = makeRows();
    return rows.at(static_cast<std::size_t>(site - 1));
}

}  // namespace pel
