// The URL helpers of the HTTP layer on arbitrary addresses: host, port, path and the request
// target handed to curl.
#include <cstdlib>

#include "net/request_target.h"
#include "net/url_parts.h"

using namespace pel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text url(reinterpret_cast<const char*>(data), size);
    urlHost(url, false);
    urlHost(url, true);
    if (urlPort(url) < 0)
        std::abort();
    const Text path = urlPath(url);
    if (path.empty() || path.front() != '/')
        std::abort();
    const net::RequestTarget target = net::requestTarget(url);
    // curl's path gets no byte above 0x7F and no blank: those are what it would rewrite.
    const size_t schemeEnd = target.curlUrl.find("://");
    const size_t pathStart =
        target.curlUrl.find_first_of("/?#", schemeEnd == Text::npos ? 0 : schemeEnd + 3);
    for (const char c : std::string_view(target.curlUrl)
                            .substr(pathStart == Text::npos ? target.curlUrl.size() : pathStart)) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == ' ')
            std::abort();
    }
    if (!target.rawPath.empty() && target.rawPath.front() != '/')
        std::abort();
    return 0;
}
