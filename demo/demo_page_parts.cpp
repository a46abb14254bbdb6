// Paths, cover pictures and keyword decoding shared by the demo sites' page generators.
#include "demo/demo_page_parts.h"

#include <zlib.h>

#include <array>
#include <cstdint>

#include "text/encoding.h"

namespace pel::demo {

std::string bookPagePath(int site, const DemoBook& book) {
    if (site == 2 || site == 4) {
        return "/book/" + book.id + "/";
    }
    return "/book/" + book.id + ".html";
}

std::string indexPagePath(int site, const DemoBook& book) {
    switch (site) {
        case 3:
            return "/html/" + book.id + "/";
        case 5:
            return "/read/" + book.id + "/";
        default:
            return "/book/" + book.id + "/";
    }
}

std::string chapterPagePath(int site, const DemoBook& book, int chapter) {
    return indexPagePath(site, book) + std::to_string(chapter) + ".html";
}

std::string coverPath(const DemoBook& book) {
    return "/cover/" + book.id + ".png";
}

bool relativeCover(int site, const DemoBook& book) {
    if (site < 2 || site > 4) {
        return false;
    }
    const auto& books = catalogue();
    for (size_t i = 0; i < books.size(); ++i) {
        if (&books[i] == &book) {
            return (i + static_cast<size_t>(site)) % 2 == 0;
        }
    }
    return false;
}

Text searchKeyword(const DemoRequest& req) {
    const std::string name = req.site == 1 ? "keyword" : "searchkey";
    std::string raw = percentDecode(queryValue(req.query, name), true);
    Text keyword = req.site == 1 ? utf8ToGbk(raw) : Text(raw);
    return trimBlanks(keyword);
}

namespace {

void putBigEndian(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((v >> shift) & 0xFF);
    }
}

void putChunk(Bytes& out, const char* type, const Bytes& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed = std::string(type, 4) + data;
    out += typed;
    putBigEndian(out,
                 static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                  static_cast<uInt>(typed.size()))));
}

}  // namespace

Bytes coverPicture(unsigned seed) {
    constexpr int kWidth = 48;
    constexpr int kHeight = 64;
    const std::array<unsigned char, 3> fill = {static_cast<unsigned char>(60 + (seed * 53) % 160),
                                               static_cast<unsigned char>(60 + (seed * 97) % 160),
                                               static_cast<unsigned char>(60 + (seed * 31) % 160)};
    Bytes raw;
    for (int y = 0; y < kHeight; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < kWidth; ++x) {
            const bool frame = x < 3 || y < 3 || x >= kWidth - 3 || y >= kHeight - 3;
            for (unsigned char c : fill) {
                raw += static_cast<char>(frame ? 240 : c);
            }
        }
    }
    // The image data of a PNG is one zlib stream of the filtered rows.
    uLongf zippedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes z(zippedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(z.data()), &zippedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return Bytes();
    }
    z.resize(zippedSize);

    Bytes header;
    putBigEndian(header, kWidth);
    putBigEndian(header, kHeight);
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace

    Bytes png = "\x89PNG\r\n\x1a\n";
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", z);
    putChunk(png, "IEND", Bytes());
    return png;
}

void missingPage(int site, DemoResponse& res) {
    res.status = 404;
    if (site == 1 || site == 6) {
        res.contentType = "text/html";
        res.body =
            "<html><head><title>404 Not Found</title></head><body><h1>404 Not Found</h1>"
            "</body></html>";
        return;
    }
    static const Text kPage =
        gbk("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />"
            "<title>出错了</title></head><body>\r\n<h2>找不到文件或目录。</h2>\r\n"
            "<p>您要查找的资源可能已被删除、已更改名称或者暂时不可用。</p>\r\n</body></html>\r\n");
    gbkPage(res, kPage);
}

void gbkPage(DemoResponse& res, Text body) {
    res.contentType = "text/html; charset=gbk";
    res.body = std::move(body);
}

std::string u8(const Text& gbkText) {
    return gbkToUtf8(gbkText);
}

std::vector<std::string> u8Lines(const Text& gbkText) {
    std::vector<std::string> lines;
    for (const Text& line : splitText(gbkText, "\r\n")) {
        lines.push_back(gbkToUtf8(line));
    }
    return lines;
}

std::string joined(const std::vector<std::string>& lines, const std::string& separator) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out += separator;
        }
        out += lines[i];
    }
    return out;
}

std::string gbkHead(const std::string& title, const std::string& extraHead) {
    return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\r\n"
           "<title>" +
           title + "</title>\r\n" + extraHead + "</head>\r\n<body>\r\n";
}

std::string queryValue(const std::string& query, const std::string& name) {
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) {
            end = query.size();
        }
        const std::string_view item(query.data() + start, end - start);
        if (item.size() > name.size() && item.substr(0, name.size()) == name &&
            item[name.size()] == '=') {
            return std::string(item.substr(name.size() + 1));
        }
        if (item == name) {
            return std::string();
        }
        start = end + 1;
    }
    return std::string();
}

}  // namespace pel::demo
