// The URL handed to curl and, where curl would rewrite the path, the request target to send
// instead. Internal to the HTTP layer.
#pragma once

#include "text/text.h"

namespace pel::net {

struct RequestTarget {
    Text curlUrl;      // the URL with its path bytes above 0x7F and blanks percent-encoded
    Text rawPath;      // path and query as written (blanks as %20); empty when curl's is equal
    Text rawAbsolute;  // scheme, host and rawPath: the target to send to a proxy
};

// `url` carries its scheme. The fragment is never sent.
RequestTarget requestTarget(const Text& url);

}  // namespace pel::net
