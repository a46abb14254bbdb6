// URL decomposition as fetchPage uses it, and the tests for a web and a fetchable address.
#pragma once

#include <string_view>

#include "text/text.h"

namespace pel {

enum class WebScheme { None, Http, Https };
// Which of "http://" and "https://" (in any letter case) the address begins with, if either.
WebScheme webScheme(std::string_view url);
// True for an http:// or https:// address.
bool isWebAddress(std::string_view url);
// True for an address that fetchPage sends: an http:// or https:// one, or one without a
// scheme ("host/path", "host:port/path"), which goes out as plain http. False for the empty
// text and for any other scheme ("file:", "ftp://", "javascript:", "mailto:").
bool isFetchableAddress(std::string_view url);

// Host name, lower-cased; with keepPort, followed by ":" and the port when the URL has one.
Text urlHost(const Text& url, bool keepPort = false);
// The port written in the URL, else 443 for https and 80 for everything else.
int urlPort(const Text& url);
// Path and query from the first "/" after the host, in the URL's own letter case; "/" if none.
Text urlPath(const Text& url);

}  // namespace pel
