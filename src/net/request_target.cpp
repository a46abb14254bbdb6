#include "net/request_target.h"

#include <string_view>

#include "text/encoding.h"

namespace pel::net {

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
        const std::string_view one = std::string_view(url).substr(i, 1);
        if (byte >= 0x80) {
            appendPercentEncoded(encoded, one);
            raw += url[i];
            rewritten = true;
        } else if (byte == ' ') {
            appendPercentEncoded(encoded, one);
            appendPercentEncoded(raw, one);
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
