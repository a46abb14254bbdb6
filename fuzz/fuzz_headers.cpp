// Both clients' header handling on arbitrary bytes: the response header collector fed line by
// line, the cookie and redirect reading of its block, and the request header merge and its
// translation into curl header lines.
#include <cstdlib>
#include <optional>

#include "fuzz/fuzz_input.h"
#include "net/request_headers.h"
#include "net/response_headers.h"

using namespace pel;
using namespace pel::net;

namespace {

// Feeds the response side the way curl's header callback would: one line at a time, each
// with its line break.
void responseSide(const Text& raw, bool following) {
    HeaderCollector collector(following);
    size_t at = 0;
    while (at < raw.size()) {
        size_t end = raw.find('\n', at);
        end = end == Text::npos ? raw.size() : end + 1;
        Text line = raw.substr(at, end - at);
        if (HeaderCollector::onHeader(line.data(), 1, line.size(), &collector) != line.size())
            std::abort();
        at = end;
    }
    const Text block = collector.block();
    if (collector.finalComplete() && !collector.sawResponse())
        std::abort();
    const Text normal = normaliseSetCookie(block);
    Text items;
    const int count = appendCookieItems(normal, items);
    if (count < 0 || (count == 0 && !items.empty()))
        std::abort();
    bool found = false;
    const Text location = lastLocation(block, found);
    if (!found && !location.empty())
        std::abort();
    if (location.size() > block.size())
        std::abort();
}

void requestSide(Text headers, const Text& url, const std::optional<Text>& cookies) {
    fetchUserAgent(headers);
    const Text winHttp = winHttpHeaderBlock(headers, cookies);
    HeaderList winHttpList;
    winHttpHeaderList(winHttp, winHttpList);
    mergeFetchHeaders(headers, url, cookies);
    HeaderList fetchList;
    if (!fetchHeaderList(headers, fetchList))
        std::abort();
    // Every line handed to curl is one header line: a CR or LF inside it would let the caller's
    // text start a header or a request of its own.
    for (const curl_slist* line : {fetchList.get(), winHttpList.get()}) {
        for (; line != nullptr; line = line->next) {
            const std::string_view text(line->data);
            if (text.find_first_of("\r\n") != std::string_view::npos)
                std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    const int flags = in.number(8);
    const Text url = in.text();
    const Text cookieText = in.text();
    const Text headers = in.text();
    const Text response = in.remaining();
    const std::optional<Text> cookies =
        (flags & 1) ? std::optional<Text>(cookieText) : std::nullopt;
    requestSide(headers, url, cookies);
    responseSide(response, flags & 2);
    return 0;
}
