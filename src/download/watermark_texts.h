// The watermark texts that the chapter cleaner derives from the build's host names.
#pragma once

#include "core/app_state.h"

namespace pel {

// Each ASCII character as its GBK full-width form (0xA3, 0xA1 + c - 0x21), letters upper-cased
// first; other bytes are kept as they are.
Text fullWidthUpper(const Text& ascii);
// The full-width domain in groups of 1, 2, 1, 3 and 2 characters separated by single spaces
// (the spaced credit of the index-page site); shorter domains give as many groups as they fill.
Text spacedFullWidthDomain(const Text& ascii);
// The host with its first and its last ASCII letter in upper case.
Text capitaliseFirstAndLastLetter(const Text& host);

}  // namespace pel
