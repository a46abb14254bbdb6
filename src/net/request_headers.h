// The request header blocks of both clients and their translation into curl's header list.
// Internal to the HTTP layer.
#pragma once

#include <optional>

#include "net/curl_handles.h"
#include "text/text.h"

namespace pel::net {

// fetchPage's agent: the caller's User-Agent value, else the program's default.
Text fetchUserAgent(const Text& headers);

// fetchPage's block: the caller's lines with Accept, Referer, Accept-Language, Content-Type
// and the cookie lines added where missing (case-sensitive searches). `headers` is changed.
void mergeFetchHeaders(Text& headers, const Text& url, const std::optional<Text>& cookies);

// fetchPageWinHttp's block: the caller's lines, then each default line whose name is missing,
// every line ending in "\r\n".
Text winHttpHeaderBlock(const Text& headers, const std::optional<Text>& cookies);

// fetchPage's block as curl header lines, sent in its order and nothing else: curl adds no
// Accept and no Expect of its own. A line that holds a lone CR or LF is not sent.
bool fetchHeaderList(const Text& block, HeaderList& list);

// fetchPageWinHttp's block as curl header lines with add-or-replace semantics: a later line
// replaces an earlier one of the same name. False for a line that is not a header line.
bool winHttpHeaderList(const Text& block, HeaderList& list);

}  // namespace pel::net
