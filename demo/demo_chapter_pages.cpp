// Sites 2..6: chapter index pages and chapter pages. A chapter page carries the chapter's
// paragraphs between the site's content markers together with the markup, entities, script
// calls and credit lines that real pages mix into the text; all of them are of the kinds the
// program removes, so the cleaned text of a chapter is exactly its catalogue body.
#include <cctype>
#include <string>

#include "build_config.h"
#include "demo/demo_page_parts.h"
#include "text/encoding.h"

namespace pel::demo {

namespace {

constexpr const char* kNbsp4 = "&nbsp;&nbsp;&nbsp;&nbsp;";

// ---- chapter lists -------------------------------------------------------------------------

std::string siteIndexPage(const DemoContext& ctx, int site, const DemoBook& book) {
    const std::string name = u8(book.name);
    const int count = static_cast<int>(book.chapters.size());
    std::string page = gbkHead(name + "最新章节");
    if (site == 3) {
        page += "<div class=\"bdsub\">\r\n<h1>" + name +
                "</h1>\r\n"
                "<table cellspacing=\"1\" cellpadding=\"0\" bgcolor=\"#E4E4E4\" id=\"at\">\r\n";
        for (int n = 1; n <= count; n += 3) {
            page += "<tr>";
            for (int k = n; k < n + 3; ++k) {
                if (k <= count) {
                    page += "<td class=\"L\"><a href=\"" + std::to_string(k) + ".html\">" +
                            u8(book.chapters[k - 1].title) + "</a></td>";
                } else {
                    page += "<td class=\"L\">&nbsp;</td>";
                }
            }
            page += "</tr>\r\n";
        }
        page += "</table>\r\n</div>\r\n";
    } else {
        page += "<div class=\"book_list\">\r\n<h1>" + name + "</h1>\r\n<ul>\r\n";
        for (int n = 1; n <= count; ++n) {
            const std::string title = u8(book.chapters[n - 1].title);
            page += "<li><a href=\"" + ctx.baseUrl[site] + chapterPagePath(site, book, n) +
                    "\" title=\"" + title + "\">" + title + "</a></li>\r\n";
        }
        page += "</ul>\r\n</div>\r\n";
    }
    return page + "</body>\r\n</html>\r\n";
}

// ---- watermarks ----------------------------------------------------------------------------

// The full-width upper-case form of an ASCII text ("a.b" -> "Ａ．Ｂ").
std::string fullWidth(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        const auto code =
            0xFF01u + static_cast<unsigned>(std::toupper(static_cast<unsigned char>(c)) - 0x21);
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// The nine full-width characters of site 3's domain spread as 1, 2, 1, 3 and 2 characters.
std::string spacedFullWidth(std::string_view domain) {
    std::string out;
    const int groups[] = {1, 2, 1, 3, 2};
    size_t at = 0;
    for (int g : groups) {
        if (!out.empty()) {
            out += " ";
        }
        out += fullWidth(domain.substr(at, static_cast<size_t>(g)));
        at += static_cast<size_t>(g);
    }
    return out;
}

std::string capitalisedEnds(std::string host) {
    for (char& c : host) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            break;
        }
    }
    for (auto it = host.rbegin(); it != host.rend(); ++it) {
        if (std::isalpha(static_cast<unsigned char>(*it))) {
            *it = static_cast<char>(std::toupper(static_cast<unsigned char>(*it)));
            break;
        }
    }
    return host;
}

struct Decoration {
    std::string before;  // in front of the paragraph (after its indent)
    std::string after;   // behind it, before the line break
    std::string line;    // a line of its own in front of the paragraph (site 4's credit)
};

Decoration decorationFor(int site, int paragraph, int paragraphs) {
    using namespace pel::build;
    const std::string site3Domain = kMarkSite3Domain;
    const std::string site4Host = kMarkSite4Host;
    Decoration d;
    switch (paragraph) {
        case 1:
            d.before = "<p>";
            d.after = "<script>readx();</script>";
            break;
        case 2:
            d.after = std::string("(小说屋 ") + kMarkXswHost + ")";
            if (site == 3) {
                d.after += "顶点小说" + fullWidth(site3Domain) + "更新最快";
            }
            break;
        case 3:
            d.before = "&#8220;";
            d.after = "&#8221;";
            if (site == 3) {
                d.after += "顶 点 小 说 " + spacedFullWidth(site3Domain);
            }
            if (site == 4) {
                d.line = "精彩阅读·尽在·无名小说网（<a href=\"http://" + site4Host +
                         "\" target=\"_blank\">" + site4Host + "</a>）<br />";
            }
            break;
        case 4:
            d.after = std::string("(") + kMarkMeikeName + " 美克文学网 " + kMarkMeikeHost + ")";
            if (site == 3) {
                d.after += fullWidth(site3Domain).substr(3);  // without its first character
            }
            if (site == 4) {
                d.after += "<p>手机看书，尽在·无名小说手机版" +
                           capitalisedEnds(kMarkSite4MobileHost) + "</p>";
            }
            break;
        case 5:
            d.before = "&quot;";
            d.after = "&quot;&amp;";
            if (site == 3) {
                d.after += "顶 点 小 说";
            }
            if (site == 4) {
                d.after += std::string("<p>手机看好书·尽在·无名小说手机版（") +
                           kMarkSite4MobileHost + "）</p>";
            }
            break;
        default:
            break;
    }
    if (paragraph == paragraphs) {
        d.after += "(本章完)";
    }
    return d;
}

// What stands between the site's content markers: the title, then the paragraphs.
std::string chapterContent(int site, const DemoChapter& chapter) {
    const std::vector<std::string> lines = u8Lines(chapter.body);
    const int count = static_cast<int>(lines.size());
    // Site 3 breaks lines with a doubled <br />, which the program turns into one line end.
    const std::string lineBreak = site == 3 ? "<br /><br />" : "<br />\r\n";
    std::string content = kNbsp4 + u8(chapter.title) + (site == 3 ? "" : "<br />");
    for (int i = 1; i <= count; ++i) {
        const Decoration d = decorationFor(site, i, count);
        if (!d.line.empty()) {
            content += kNbsp4 + d.line;
        }
        content += kNbsp4 + d.before + lines[i - 1] + d.after;
        if (i < count) {
            content += lineBreak;
        }
    }
    return content;
}

std::string chapterPage(int site, const DemoBook& book, int n) {
    const DemoChapter& chapter = book.chapters[static_cast<size_t>(n - 1)];
    const std::string title = u8(chapter.title);
    const std::string content = chapterContent(site, chapter);
    std::string page = gbkHead(title + "_" + u8(book.name));
    switch (site) {
        case 2:
            page += "<div class=\"bookname\"><h1>" + title + "</h1></div>\r\n<div id=\"content\">" +
                    content + "</div><script>read3();</script><script>bdshare();</script>\r\n";
            break;
        case 3:
            page += "<dl>\r\n<dt><h1>" + title + "</h1></dt>\r\n<dd id=\"contents\">" + content +
                    "</dd>\r\n</dl>\r\n";
            break;
        case 4:
            page += "<div class=\"title\"><h1>" + title + "</h1></div>\r\n<div id=\"content\">" +
                    content + "</div>\r\n";
            break;
        case 5:
            // The content follows the CR that ends the div line at once, so the cut starts
            // with the title and not with a line feed.
            page += "<h1>" + title + "</h1>\r\n<div class=\"txt fon_size\" id=\"readcon\">\r" +
                    content + "<p>阅读悦,阅读悦精彩!</p>\r\n</div>\r\n";
            break;
        default:
            page += "<h1>" + title +
                    "</h1>\r\n<div id=\"content\"><script type=\"text/"
                    "javascript\">style5();</script>" +
                    content + "<script type=\"text/javascript\">style6();</script></div>\r\n";
            break;
    }
    return page + "</body>\r\n</html>\r\n";
}

// The chapter number of a path below the book's index directory ("<dir>12.html"), or 0.
int chapterNumberOf(const std::string& path, const std::string& dir, int count) {
    if (path.size() <= dir.size() + 5 || path.compare(0, dir.size(), dir) != 0 ||
        path.compare(path.size() - 5, 5, ".html") != 0) {
        return 0;
    }
    const std::string digits = path.substr(dir.size(), path.size() - dir.size() - 5);
    if (digits.empty() || digits.size() > 6 || digits[0] == '0') {
        return 0;
    }
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        n = n * 10 + (c - '0');
    }
    return n <= count ? n : 0;
}

}  // namespace

std::string bookPageChapterList(const DemoContext& ctx, int site, const DemoBook& book) {
    std::string list;
    const int count = static_cast<int>(book.chapters.size());
    if (site == 2) {
        // Mostly paths of the site; every fifth link a whole address with the site's host.
        list += "<div id=\"list\">\r\n<dl>\r\n<dt>《" + u8(book.name) + "》正文</dt>\r\n";
        for (int n = 1; n <= count; ++n) {
            const std::string path = chapterPagePath(2, book, n);
            list += "<dd><a href=\"" + (n % 5 == 0 ? ctx.baseUrl[2] + path : path) + "\">" +
                    u8(book.chapters[n - 1].title) + "</a></dd>\r\n";
        }
        list += "</dl>\r\n</div>\r\n";
    } else {
        list += "<div class=\"ml_list\">\r\n<ul>\r\n<!--章节目录-->\r\n";
        for (int n = 1; n <= count; ++n) {
            list += "<li><a href=\"" + std::to_string(n) + ".html\">" +
                    u8(book.chapters[n - 1].title) + "</a></li>\r\n";
        }
        list += "<div class=\"clear\"></div>\r\n</ul>\r\n</div>\r\n";
    }
    return list;
}

bool serveChapterPages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res) {
    const int site = req.site;
    if (site < 2 || site > 6) {
        return false;
    }
    for (const DemoBook& book : catalogue()) {
        if (!book.onSite[site]) {
            continue;
        }
        const std::string dir = indexPagePath(site, book);
        if (req.path == dir && site != 2 && site != 4) {
            // Sites 5 and 6 hand out their chapter lists to POST requests only.
            if ((site == 5 || site == 6) && req.method != "POST") {
                res.status = 405;
                gbkPage(res, gbk("<html><body><p>请求方式错误。</p></body></html>\r\n"));
                return true;
            }
            res.chapterIndex = true;
            res.pageForms = kIndexPageForm;
            gbkPage(res, gbk(siteIndexPage(ctx, site, book)));
            return true;
        }
        const int n = chapterNumberOf(req.path, dir, static_cast<int>(book.chapters.size()));
        if (n > 0) {
            res.chapterNumber = n;
            res.pageForms = kChapterPageForm;
            gbkPage(res, gbk(chapterPage(site, book, n)));
            return true;
        }
    }
    return false;
}

}  // namespace pel::demo
