// Site 1, the direct-download site: UTF-8 search, book and download pages, and the books as
// whole TXT files.
#include <string>

#include "demo/demo_page_parts.h"
#include "text/encoding.h"

namespace pel::demo {

namespace {

constexpr const char* kHead =
    "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>%TITLE%</title></head>\r\n"
    "<body>\r\n";

std::string head(const std::string& title) {
    std::string h = kHead;
    return h.replace(h.find("%TITLE%"), 7, title);
}

void utf8Page(DemoResponse& res, std::string body) {
    res.contentType = "text/html; charset=utf-8";
    res.body = std::move(body);
}

std::string searchPage(const DemoContext& ctx, const Text& keyword) {
    std::string page = head("搜索结果");
    page += "<div class=\"search-list\">\r\n";
    int k = 0;
    for (const DemoBook* book : findBooks(keyword, 1)) {
        const std::string url = ctx.baseUrl[1] + bookPagePath(1, *book);
        page += "<dl id=\"plist" + std::to_string(++k) + "\"><dd><a href=\"" + url + "\">《" +
                gbkToUtf8(book->name) + "》</a> 作者：" + gbkToUtf8(book->author) +
                "</dd></dl>\r\n";
    }
    if (k == 0) {
        page += "<p class=\"empty\">没有找到相关的小说。</p>\r\n";
    }
    page += "</div>\r\n</body></html>\r\n";
    return page;
}

std::string bookPage(const DemoContext& ctx, const DemoBook& book) {
    const std::string name = gbkToUtf8(book.name);
    std::string intro = gbkToUtf8(book.introduction);
    // The site writes its introduction as one run of indented lines joined by <br/>.
    for (size_t at = intro.find("\r\n"); at != std::string::npos; at = intro.find("\r\n", at)) {
        intro.replace(at, 2, "<br/>\u3000\u3000");
    }
    if (!intro.empty()) {
        intro = "\u3000\u3000" + intro;
    }
    std::string page = head(name + "全集下载");
    page += "<div class=\"book-info\">\r\n";
    page += "<a target=\"_blank\" href=\"" + ctx.baseUrl[1] + bookPagePath(1, book) +
            "\"><img src=\"" + ctx.baseUrl[1] + coverPath(book) +
            "\" title=\"点此查看大图\" alt=\"" + name + "\" /></a>\r\n";
    page += "<p class=\"name\"><img class=\"icon\" src=\"/images/txt.gif\" alt=\">《" + name +
            "》, 作者：" + gbkToUtf8(book.author) + "\" border=\"0\" /></p>\r\n";
    page += "<p class=\"intro\">【内容简介】：" + intro + "</p>\r\n";
    page += "<p class=\"down\"><a href=\"" + ctx.baseUrl[1] + "/download.php?id=" + book.id +
            "\" rel=\"nofollow\">点击下载</a></p>\r\n";
    page += "</div>\r\n</body></html>\r\n";
    return page;
}

std::string downloadPage(const DemoContext& ctx, const DemoBook* book) {
    std::string page = head("下载");
    if (book != nullptr) {
        const std::string txt = ctx.baseUrl[1] + "/txt/" + book->id;
        page += "<div class=\"panel\"><h3>下载地址＆TXT</h3>\r\n<ul>\r\n";
        page += "<li><a href=\"" + txt + ".txt\" target=\"_blank\">TXT全集下载</a></li>\r\n";
        page += "<li><a href=\"" + txt + ".zip\" target=\"_blank\">备用下载</a></li>\r\n";
        page += "</ul></div>\r\n";
    } else {
        page += "<p>该书不存在或已下架。</p>\r\n";
    }
    page += "<div class=\"panel\"><h3>下载声明</h3><p>本站所有小说均由网友上传。</p></div>\r\n";
    page += "</body></html>\r\n";
    return page;
}

std::string bookFile(const DemoBook& book) {
    std::string text = gbkToUtf8(book.name) + "\r\n作者：" + gbkToUtf8(book.author) + "\r\n\r\n";
    for (const DemoChapter& chapter : book.chapters) {
        text += gbkToUtf8(chapter.title) + "\r\n" + gbkToUtf8(chapter.body) + "\r\n\r\n";
    }
    return text;
}

const DemoBook* siteBook(const std::string& id) {
    const DemoBook* book = bookById(id);
    return book != nullptr && book->onSite[1] ? book : nullptr;
}

}  // namespace

bool serveSite1Pages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res) {
    if (req.site != 1) {
        return false;
    }
    if (req.path == "/index.php") {
        utf8Page(res, searchPage(ctx, searchKeyword(req)));
        res.pageForms = kSearchPageForm;
        return true;
    }
    if (req.path == "/download.php") {
        utf8Page(res, downloadPage(ctx, siteBook(queryValue(req.query, "id"))));
        res.pageForms = kIndexPageForm;  // where the download's address is read
        return true;
    }
    const auto idFrom = [&](const std::string& prefix, const std::string& suffix) {
        const std::string& p = req.path;
        if (p.size() > prefix.size() + suffix.size() && p.rfind(prefix, 0) == 0 &&
            p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return siteBook(p.substr(prefix.size(), p.size() - prefix.size() - suffix.size()));
        }
        return static_cast<const DemoBook*>(nullptr);
    };
    if (const DemoBook* book = idFrom("/book/", ".html")) {
        utf8Page(res, bookPage(ctx, *book));
        res.pageForms = kBookPageForm;
        return true;
    }
    if (const DemoBook* book = idFrom("/txt/", ".txt")) {
        res.contentType = "text/plain; charset=utf-8";
        res.body = bookFile(*book);
        return true;
    }
    return false;
}

}  // namespace pel::demo
