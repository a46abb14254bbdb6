#include "net/url_parts.h"

#include <climits>

#include "text/ascii.h"

namespace pel {

namespace {

struct HostPart {
    Text lowered;  // the lower-cased URL as the host part was cut from
    Text host;     // host[:port]
};

HostPart hostPartOf(const Text& url) {
    HostPart part{lowerAscii(url), {}};
    if (part.lowered.empty() || part.lowered.back() != '/') {
        part.lowered += '/';
    }
    const char* prefix = "https://";
    if (part.lowered.compare(0, 8, "https://") != 0) {
        prefix = "http://";
        if (!containsText(part.lowered, "http://")) {
            part.lowered.insert(0, "http://");
        }
    }
    part.host = textBetween(part.lowered, prefix, "/");
    return part;
}

// The integer value of the leading decimal digits, 0 when there are none.
int leadingInteger(std::string_view text) {
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > INT_MAX) {
            return 0;
        }
    }
    return static_cast<int>(value);
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the address begins with a scheme of any name: letters, digits, "+", "-" and "."
// after a leading letter, then ":". A host followed by its port ("127.0.0.1:8080/x",
// "localhost:8080") has only digits after the colon, up to the end or the path, and is no
// scheme; "javascript:1;x" or "mailto:a@b" are.
bool hasSchemeName(std::string_view url) {
    if (url.empty() || !isAsciiLetter(url[0])) {
        return false;
    }
    std::size_t i = 1;
    while (i < url.size() && (isAsciiLetter(url[i]) || isAsciiDigit(url[i]) || url[i] == '+' ||
                              url[i] == '-' || url[i] == '.')) {
        ++i;
    }
    if (i >= url.size() || url[i] != ':') {
        return false;
    }
    std::size_t digits = i + 1;
    while (digits < url.size() && isAsciiDigit(url[digits])) {
        ++digits;
    }
    const bool port = digits > i + 1 && (digits == url.size() || url[digits] == '/' ||
                                         url[digits] == '?' || url[digits] == '#');
    return !port;
}

}  // namespace

WebScheme webScheme(std::string_view url) {
    if (startsWithNoCase(url, "https://")) {
        return WebScheme::Https;
    }
    return startsWithNoCase(url, "http://") ? WebScheme::Http : WebScheme::None;
}

bool isWebAddress(std::string_view url) {
    return webScheme(url) != WebScheme::None;
}

bool isFetchableAddress(std::string_view url) {
    // Put behind "http://", another scheme would be taken for a host name (a lookup of "file"
    // or "ftp") or its user part skipped to reach the host after it ("mailto:a@host").
    return !url.empty() && (isWebAddress(url) || !hasSchemeName(url));
}

Text urlHost(const Text& url, bool keepPort) {
    Text host = hostPartOf(url).host;
    if (!keepPort) {
        const std::size_t colon = host.find(':');
        if (colon != Text::npos) {
            host.resize(colon);
        }
    }
    return host;
}

int urlPort(const Text& url) {
    const HostPart part = hostPartOf(url);
    const std::size_t colon = part.host.rfind(':');
    if (colon != Text::npos) {
        return leadingInteger(std::string_view(part.host).substr(colon + 1));
    }
    return part.lowered.compare(0, 5, "https") == 0 ? 443 : 80;
}

Text urlPath(const Text& url) {
    const int hostAt = findText(url, urlHost(url), 1, true);
    if (hostAt < 0) {
        return "/";
    }
    const int slash = findText(url, "/", hostAt);
    if (slash < 0) {
        return "/";
    }
    return url.substr(static_cast<std::size_t>(slash - 1));
}

}  // namespace pel
