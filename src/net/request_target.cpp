#include "net/request_target.h"

namespace pel::net {

namespace {

void appendPercent(Text& out, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

RequestTarget requestTarget(const Text& url) {
    const std::size_t schemeEnd = url.find("://");
    const std::size_t hostStart = schemeEnd == Text::npos ? 0 : schemeEnd + 3;
    std::size_t pathStart = url.find_first_of("/?#", hostStart);
    if (pathStart == Text::npos) {
        pathStart = url.size();
    }
    std::size_t fragment = url.find('#', pathStart);
    if (fragment == Text::npos) {
        fragment = url.size();
    }
    const Text origin = url.substr(0, pathStart);

    // curl percent-encodes the bytes above 0x7F of a path itself (and rejects blanks), which
    // would change a GBK path on the wire; those requests carry their own target.
    Text encoded;
    Text raw;
    bool rewritten = false;
    for (std::size_t i = pathStart; i < fragment; ++i) {
        const auto byte = static_cast<unsigned char>(url[i]);
        if (byte >= 0x80) {
            appendPercent(encoded, byte);
            raw += url[i];
            rewritten = true;
        } else if (byte == ' ') {
            appendPercent(encoded, byte);
            appendPercent(raw, byte);
        } else {
            encoded += url[i];
            raw += url[i];
        }
    }
    RequestTarget target;
    target.curlUrl = origin + encoded;
    if (rewritten) {
        target.rawPath = (raw.empty() || raw[0] != '/') ? "/" + raw : raw;
        target.rawAbsolute = origin + target.rawPath;
    }
    return target;
}

}  // namespace pel::net
