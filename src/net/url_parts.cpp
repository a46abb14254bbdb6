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
