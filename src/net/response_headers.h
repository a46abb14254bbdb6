// The response side shared by both clients: collecting the header block of the final
// response, and reading cookies and the redirect target out of it. Internal to the HTTP layer.
#pragma once

#include <curl/curl.h>

#include <string_view>
#include <vector>

#include "text/text.h"

namespace pel::net {

// CURLOPT_HEADERFUNCTION target. Each status line starts a new block, so after a followed
// redirect (or a proxy's CONNECT answer) only the last response is kept.
class HeaderCollector {
  public:
    // Whether the handle follows redirects: a redirect answer then is not the final one.
    explicit HeaderCollector(bool following) : following_(following) {}

    static size_t onHeader(char* data, size_t size, size_t count, void* self);

    // Lines of the last response, each followed by "\r\n", then the blank line.
    Text block() const;
    bool sawResponse() const { return sawResponse_; }
    // The header block of a response that is not a 1xx and not a redirect being followed
    // has arrived in full.
    bool finalComplete() const { return finalComplete_; }

  private:
    void finishBlock();

    bool following_;
    std::vector<Text> lines_;
    bool sawResponse_ = false;
    bool inBlock_ = false;
    bool finalComplete_ = false;
};

// Every "Set-Cookie", in any letter case, rewritten as "Set-Cookie".
Text normaliseSetCookie(std::string_view headers);

// The name=value item of each Set-Cookie line, each appended to `out` followed by "; ".
// Returns the number of items appended.
int appendCookieItems(std::string_view headers, Text& out);

// The rest of the last line that begins with "Location: " (letter case ignored); `found`
// tells whether there was one.
Text lastLocation(std::string_view headers, bool& found);

}  // namespace pel::net
