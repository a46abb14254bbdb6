#include "net/response_headers.h"

#include <cctype>

#include "text/ascii.h"

namespace pel::net {

namespace {

bool isRedirectStatus(long code) {
    return code >= 300 && code < 400 && code != 304;
}

// Status code of a status line "HTTP/x.y NNN reason", or 0.
long statusCodeOf(std::string_view line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) {
        return 0;
    }
    long code = 0;
    for (std::size_t i = blank + 1; i < line.size() && i < blank + 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) {
            return 0;
        }
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

}  // namespace

size_t HeaderCollector::onHeader(char* data, size_t size, size_t count, void* self) {
    auto& collector = *static_cast<HeaderCollector*>(self);
    const size_t n = size * count;
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (line.substr(0, 5) == "HTTP/") {
        collector.lines_.assign(1, Text(line));
        collector.sawResponse_ = true;
        collector.inBlock_ = true;
        collector.finalComplete_ = false;
    } else if (!collector.inBlock_) {
        // Trailers after the body, or stray lines: not part of the header block.
    } else if (line.empty()) {
        collector.finishBlock();
    } else {
        collector.lines_.emplace_back(line);
    }
    return n;
}

void HeaderCollector::finishBlock() {
    inBlock_ = false;
    const long code = statusCodeOf(lines_.front());
    if (code >= 100 && code < 200) {
        return;
    }
    if (following_ && isRedirectStatus(code)) {
        bool hasLocation = false;
        for (const Text& line : lines_) {
            hasLocation = hasLocation || startsWithNoCase(line, "location:");
        }
        if (hasLocation) {
            return;
        }
    }
    finalComplete_ = true;
}

Text HeaderCollector::block() const {
    Text out;
    for (const Text& line : lines_) {
        out += line;
        out += "\r\n";
    }
    if (!lines_.empty()) {
        out += "\r\n";
    }
    return out;
}

Text normaliseSetCookie(std::string_view headers) {
    return replaceText(headers, "Set-Cookie", "Set-Cookie", true);
}

int appendCookieItems(std::string_view headers, Text& out) {
    int items = 0;
    for (const Text& line : splitText(headers, "\r\n")) {
        if (!containsText(line, "Set-Cookie")) {
            continue;
        }
        Text item;
        if (containsText(line, ";")) {
            item = trimBlanks(textBetween(line, "Set-Cookie:", ";"));
        } else {
            item = trimBlanks(replaceText(line, "Set-Cookie:", "", true));
        }
        out += item;
        out += "; ";
        ++items;
    }
    return items;
}

Text lastLocation(std::string_view headers, bool& found) {
    found = false;
    Text location;
    for (const Text& line : splitText(headers, "\r\n")) {
        if (startsWithNoCase(line, "Location: ")) {
            location = line.substr(10);
            found = true;
        }
    }
    return location;
}

}  // namespace pel::net
