#include "net/request_headers.h"

#include <string_view>
#include <vector>

#include "text/ascii.h"

namespace pel::net {

namespace {

// The header name of a line: the bytes before its first ":", or the whole line.
std::string_view nameOf(std::string_view line) {
    return line.substr(0, line.find(':'));
}

bool hasLoneLineBreak(std::string_view line) {
    return line.find_first_of("\r\n") != std::string_view::npos;
}

// curl drops a "Name:" line with nothing after the colon (that form removes one of its own
// headers); "Name;" is its way to send such a line as it is.
std::string curlLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos &&
        line.find_first_not_of(" \t", colon + 1) == std::string_view::npos) {
        return std::string(line.substr(0, colon)) + ";";
    }
    return std::string(line);
}

bool hasHeader(const std::vector<std::string_view>& lines, std::string_view name) {
    for (const std::string_view line : lines) {
        if (line.find(':') != std::string_view::npos && equalsNoCase(nameOf(line), name)) {
            return true;
        }
    }
    return false;
}

// Keep curl's own Accept and Expect lines out of a request whose block has none.
bool suppressCurlDefaults(const std::vector<std::string_view>& lines, HeaderList& list) {
    bool ok = true;
    if (!hasHeader(lines, "Accept")) {
        ok &= list.append("Accept:");
    }
    if (!hasHeader(lines, "Expect")) {
        ok &= list.append("Expect:");
    }
    return ok;
}

}  // namespace

Text fetchUserAgent(const Text& headers) {
    static const Text kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
    if (!containsText(headers, "User-Agent:", true)) {
        return kDefaultAgent;
    }
    Text agent = trimBlanks(textBetween(headers + "\r\n", "User-Agent:", "\r\n"));
    if (agent.empty()) {
        const std::size_t colon = headers.find(':');
        agent = trimBlanks(std::string_view(headers).substr(colon + 1));
    }
    return agent;
}

void mergeFetchHeaders(Text& headers, const Text& url, const std::optional<Text>& cookies) {
    if (headers.empty()) {
        headers = "Accept: */*";
    } else if (!containsText(headers, "Accept:")) {
        headers += "\r\nAccept: */*";
    }
    if (!containsText(headers, "Referer:")) {
        headers += "\r\nReferer: " + url;
    }
    if (!containsText(headers, "Accept-Language:")) {
        headers += "\r\nAccept-Language: zh-cn";
    }
    if (!containsText(headers, "Content-Type:")) {
        headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    if (cookies && !cookies->empty()) {
        headers += containsText(*cookies, "Cookie:") ? "\r\n" : "\r\nCookie: ";
        headers += *cookies;
    }
}

Text winHttpHeaderBlock(const Text& headers, const std::optional<Text>& cookies) {
    struct DefaultLine {
        const char* name;
        bool ignoreCase;
        const char* line;
    };
    static const DefaultLine kDefaults[] = {
        {"User-Agent: ", true,
         "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
        {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
        {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
        {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
        {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
        {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
    };
    Text block = headers.empty() ? Text() : headers + "\r\n";
    for (const DefaultLine& d : kDefaults) {
        if (!containsText(block, d.name, d.ignoreCase)) {
            block += d.line;
        }
    }
    if (!containsText(block, "Cookie: ", true) && cookies && !cookies->empty()) {
        block += "Cookie: " + *cookies + "\r\n";
    }
    return block;
}

bool fetchHeaderList(const Text& block, HeaderList& list) {
    std::vector<std::string_view> sent;
    const std::vector<Text> pieces = splitText(block, "\r\n");
    for (const Text& piece : pieces) {
        if (piece.empty() || hasLoneLineBreak(piece)) {
            continue;
        }
        if (!list.append(curlLine(piece))) {
            return false;
        }
        sent.push_back(piece);
    }
    return suppressCurlDefaults(sent, list);
}

bool winHttpHeaderList(const Text& block, HeaderList& list) {
    const std::vector<Text> pieces = splitText(block, "\r\n");
    std::vector<std::string_view> lines;
    for (const Text& piece : pieces) {
        if (piece.empty()) {
            continue;
        }
        if (piece.find(':') == Text::npos || nameOf(piece).empty() || hasLoneLineBreak(piece)) {
            return false;
        }
        bool replaced = false;
        for (std::string_view& earlier : lines) {
            if (equalsNoCase(nameOf(earlier), nameOf(piece))) {
                earlier = piece;
                replaced = true;
            }
        }
        if (!replaced) {
            lines.push_back(piece);
        }
    }
    for (const std::string_view line : lines) {
        if (!list.append(curlLine(line))) {
            return false;
        }
    }
    return suppressCurlDefaults(lines, list);
}

}  // namespace pel::net
