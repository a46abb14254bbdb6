// Sites 2..6: search pages and book pages. Pages are written in UTF-8 with the spaces, line
// ends and attribute order of the real layouts, and converted to GBK once (site 4's search
// page stays UTF-8 and says so in its meta tag).
#include <string>

#include "demo/demo_page_parts.h"
#include "text/encoding.h"

namespace pel::demo {

namespace {

constexpr const char* kNbsp4 = "&nbsp;&nbsp;&nbsp;&nbsp;";

std::string coverFor(const DemoContext& ctx, int site, const DemoBook& book) {
    return relativeCover(site, book) ? coverPath(book) : ctx.baseUrl[site] + coverPath(book);
}

std::string hitUrl(const DemoContext& ctx, int site, const DemoBook& book) {
    return ctx.baseUrl[site] + bookPagePath(site, book);
}

std::string latestUrl(const DemoContext& ctx, int site, const DemoBook& book) {
    return ctx.baseUrl[site] + chapterPagePath(site, book, static_cast<int>(book.chapters.size()));
}

std::string noHit() {
    return "<div class=\"blocknote\">对不起，没有搜索到您要的小说！</div>\r\n";
}

// Sites 2, 3 and 4 share the search layout of one table row per hit.
std::string tableSearch(const DemoContext& ctx, int site, const Text& keyword) {
    std::string page =
        "<table class=\"grid\" width=\"100%\" align=\"center\">\r\n"
        "<tr>\r\n<th>文章名称</th>\r\n<th>最新章节</th>\r\n<th>作者</th>\r\n"
        "</tr>\r\n";
    const auto hits = findBooks(keyword, site);
    for (const DemoBook* book : hits) {
        page += "<tr id=\"nr\">\r\n<td class=\"odd\"><a href=\"" + hitUrl(ctx, site, *book) +
                "\">" + u8(book->name) + "</a></td>\r\n<td class=\"even\"><a href=\"" +
                latestUrl(ctx, site, *book) + "\" target=\"_blank\">" + u8(book->latestChapter) +
                "</a></td>\r\n<td class=\"odd\">" + u8(book->author) + "</td>\r\n</tr>\r\n";
    }
    page += "</table>\r\n";
    if (hits.empty()) {
        page += noHit();
    }
    return page;
}

std::string searchPage(const DemoContext& ctx, int site, const Text& keyword) {
    const auto hits = findBooks(keyword, site);
    std::string page;
    switch (site) {
        case 2:
        case 3:
            page = gbkHead("搜索结果") + tableSearch(ctx, site, keyword);
            break;
        case 4:
            page =
                "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" "
                "content=\"text/html; charset=utf-8\" />\r\n<title>搜索结果</title>\r\n"
                "</head>\r\n<body>\r\n" +
                tableSearch(ctx, site, keyword);
            break;
        case 5:
            page = gbkHead("搜索结果") + "<div class=\"result-list\">\r\n";
            for (const DemoBook* book : hits) {
                page += "<div class=\"result-item\">\r\n<h6><a class=\"f-black\" href=\"" +
                        hitUrl(ctx, site, *book) + "\" target=\"_blank\">" + u8(book->name) +
                        "</a></h6>\r\n<p>作者：" + u8(book->author) + "</p>\r\n</div>\r\n";
            }
            page += hits.empty() ? noHit() : "";
            page += "</div>\r\n";
            break;
        default:
            page = gbkHead("搜索结果") + "<ul class=\"search-list\">\r\n";
            for (const DemoBook* book : hits) {
                page += "<li><a target=\"_blank\" href=\"" + hitUrl(ctx, site, *book) +
                        "\" class=\"l mr10\">" + u8(book->name) + "</a><span>" + u8(book->author) +
                        "</span></li>\r\n";
            }
            page += "</ul>\r\n";
            page += hits.empty() ? noHit() : "";
            break;
    }
    return page + "</body>\r\n</html>\r\n";
}

std::string site2BookPage(const DemoContext& ctx, const DemoBook& book) {
    const std::string name = u8(book.name);
    std::vector<std::string> intro = u8Lines(book.introduction);
    for (std::string& line : intro) {
        line = kNbsp4 + line;
    }
    std::string page = gbkHead(name + "最新章节列表");
    page += "<div id=\"wrapper\">\r\n<div class=\"box_con\">\r\n<div id=\"maininfo\">\r\n";
    page += "<div id=\"info\">\r\n<h1>" + name + "</h1>\r\n";
    page += "<p>作&nbsp;&nbsp;&nbsp;&nbsp;者：" + u8(book.author) + "</p>\r\n";
    page += "<p>动&nbsp;&nbsp;&nbsp;&nbsp;作：<a href=\"#footer\">直达底部</a></p>\r\n";
    page += "<p>最后更新：2026-12-01 08:00:00</p>\r\n";
    page += "<p>最新章节：<a href=\"" +
            chapterPagePath(2, book, static_cast<int>(book.chapters.size())) + "\">" +
            u8(book.latestChapter) + "</a></p>\r\n</div>\r\n";
    page += "<div id=\"intro\">\r\n<p>" + joined(intro, "\r\n") + "</p>\r\n</div>\r\n";
    page += "<div id=\"fmimg\"><img src=\"" + coverFor(ctx, 2, book) +
            "\" onerror=\"this.src='/images/nocover.jpg'\" alt=\"" + name +
            "\" width=\"120\" height=\"150\" /></div>\r\n";
    page += "</div>\r\n</div>\r\n<div class=\"box_con\">\r\n";
    page += bookPageChapterList(ctx, 2, book);
    page += "</div>\r\n</div>\r\n";
    return page;
}

std::string site3BookPage(const DemoContext& ctx, const DemoBook& book) {
    const std::string name = u8(book.name);
    std::vector<std::string> intro = u8Lines(book.introduction);
    for (std::string& line : intro) {
        line = kNbsp4 + line;
    }
    const std::string index = ctx.baseUrl[3] + indexPagePath(3, book);
    std::string page = gbkHead(name + "全文阅读");
    page += "<div id=\"content\">\r\n<dl>\r\n<dd><h1>" + name + "全文阅读</h1></dd>\r\n";
    page += "<dd><div class=\"fl\"><a class=\"hst\" href=\"" + index + "\"><img src=\"" +
            coverFor(ctx, 3, book) + "\" onerror=\"this.src='/images/nocover.jpg'\" alt=\"" + name +
            "\" /></a></div>\r\n";
    page +=
        "<table cellspacing=\"1\" cellpadding=\"0\" bgcolor=\"#E4E4E4\" width=\"100%\">\r\n"
        "<tr><th>文章类别</th><td>&nbsp;武侠仙侠</td><th>文章作者</th><td>&nbsp;" +
        u8(book.author) + "</td><th>文章状态</th><td>&nbsp;连载中</td></tr>\r\n</table>\r\n";
    page += "<p>最新章节：<a href=\"" + latestUrl(ctx, 3, book) + "\">" + u8(book.latestChapter) +
            "</a></p>\r\n";
    page += "<p><b>内容简介：</b></p><p>" + joined(intro, "<br />") + "</p>\r\n";
    page += "<p style=\"display:none\">关键词：" + name + "</p>\r\n";
    page += "<p class=\"btnlinks\"><a href=\"" + index +
            "\" class=\"read\">章节列表</a></p></dd>\r\n</dl>\r\n";
    page += "<font class=\"fr\">本站所有小说均来自网络</font>\r\n</div>\r\n";
    return page;
}

std::string site4BookPage(const DemoContext& ctx, const DemoBook& book) {
    const std::string name = u8(book.name);
    std::string page = gbkHead(name + "章节目录");
    page += "<div class=\"catalog1\">\r\n<h1>" + name + "</h1>\r\n";
    page += "<div class=\"info\"><span>作者：<a href=\"" + ctx.baseUrl[4] + "/author/" + book.id +
            "/\">" + u8(book.author) + "</a></span><span>状态：连载中</span></div>\r\n";
    page += "<p>最新章节：<a href=\"" + latestUrl(ctx, 4, book) + "\">《" + name + "》正文" +
            u8(book.latestChapter) + "</a></p>\r\n";
    page += "<div class=\"pic\"><img src=\"" + coverFor(ctx, 4, book) +
            "\" width=\"120\" height=\"150\" alt=\"" + name + "\" /></div>\r\n</div>\r\n";
    page += "<div class=\"last9\"><h2>最近更新</h2></div>\r\n";
    page += bookPageChapterList(ctx, 4, book);
    return page;
}

// One Open Graph line of site 5 or 6; site 5 ends its lines with the CR LF its pattern needs.
std::string og(const std::string& property, const std::string& content) {
    return "<meta property=\"og:" + property + "\" content=\"" + content + "\"/>\r\n";
}

std::string site5BookPage(const DemoContext& ctx, const DemoBook& book) {
    const std::string name = u8(book.name);
    const int n = static_cast<int>(book.chapters.size());
    // Line breaks and spaces in both letter cases: the site removes them ignoring case.
    std::vector<std::string> intro = u8Lines(book.introduction);
    for (size_t i = 0; i < intro.size(); ++i) {
        intro[i] = (i % 2 == 0 ? "&nbsp;&nbsp;" : "&NBSP;&nbsp;") + intro[i] +
                   (i % 2 == 0 ? "<br />" : "<BR />");
    }
    std::string head;
    head += og("type", "novel");
    head += og("title", name);
    head += og("image", ctx.baseUrl[5] + coverPath(book));
    head += og("novel:category", "武侠仙侠");
    head += og("novel:author", u8(book.author));
    head += og("novel:book_name", name);
    head += og("novel:read_url", ctx.baseUrl[5] + indexPagePath(5, book));
    head += og("url", ctx.baseUrl[5] + bookPagePath(5, book));
    head += og("novel:status", "连载中");
    head += og("novel:update_time", "2026-12-01 08:00");
    head += og("novel:latest_chapter_name", u8(book.latestChapter));
    head += og("novel:latest_chapter_url", ctx.baseUrl[5] + chapterPagePath(5, book, n));
    // The description ends in a bare LF before its closing quote.
    head += "<meta property=\"og:description\" content=\"" + joined(intro, "\r\n") + "\n\"/>\r\n";
    std::string page = gbkHead(name + "最新章节", head);
    page += "<div class=\"book-info\">\r\n<h1>" + name + "</h1>\r\n<p>作者：" + u8(book.author) +
            "</p>\r\n<p><a href=\"" + ctx.baseUrl[5] + indexPagePath(5, book) +
            "\">开始阅读</a></p>\r\n</div>\r\n";
    return page;
}

std::string site6BookPage(const DemoContext& ctx, const DemoBook& book) {
    const std::string name = u8(book.name);
    const int n = static_cast<int>(book.chapters.size());
    std::vector<std::string> intro = u8Lines(book.introduction);
    for (std::string& line : intro) {
        line = kNbsp4 + line;
    }
    std::string head;
    head += og("type", "novel");
    head += og("title", name);
    head += og("image", ctx.baseUrl[6] + coverPath(book));
    head += og("description", joined(intro, "<br />"));
    head += og("novel:author", u8(book.author));
    head += og("novel:category", "武侠仙侠");
    head += og("novel:book_name", name);
    head += og("novel:read_url", ctx.baseUrl[6] + bookPagePath(6, book));
    head += og("novel:latest_chapter_name", u8(book.latestChapter));
    head += og("novel:latest_chapter_url", ctx.baseUrl[6] + chapterPagePath(6, book, n));
    head += og("novel:status", "连载中");
    std::string page = gbkHead(name + "全文阅读", head);
    page += "<div class=\"book\">\r\n<h1>" + name + "</h1>\r\n<p>作者：" + u8(book.author) +
            "</p>\r\n</div>\r\n";
    return page;
}

}  // namespace

bool serveSearchPages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res) {
    const int site = req.site;
    if (site < 2 || site > 6) {
        return false;
    }
    const char* searchPath =
        site == 2 ? "/modules/article/soshu.php" : "/modules/article/search.php";
    if (req.path == searchPath) {
        const std::string page = searchPage(ctx, site, searchKeyword(req));
        res.pageForms = kSearchPageForm;
        if (site == 4) {
            res.contentType = "text/html; charset=utf-8";
            res.body = page;
        } else {
            gbkPage(res, gbk(page));
        }
        return true;
    }
    for (const DemoBook& book : catalogue()) {
        if (!book.onSite[site] || req.path != bookPagePath(site, book)) {
            continue;
        }
        std::string page;
        switch (site) {
            case 2:
                page = site2BookPage(ctx, book);
                break;
            case 3:
                page = site3BookPage(ctx, book);
                break;
            case 4:
                page = site4BookPage(ctx, book);
                break;
            case 5:
                page = site5BookPage(ctx, book);
                break;
            default:
                page = site6BookPage(ctx, book);
                break;
        }
        // Sites 2 and 4 list the chapters here: fetching this page starts a download too.
        res.chapterIndex = site == 2 || site == 4;
        res.pageForms = kBookPageForm | (res.chapterIndex ? kIndexPageForm : 0);
        gbkPage(res, gbk(page + "</body>\r\n</html>\r\n"));
        return true;
    }
    return false;
}

}  // namespace pel::demo
