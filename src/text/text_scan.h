// Internal: the double-byte aware substring search that every text routine is built on, and
// the small pieces the text routines share. Not part of the public interface; include only
// from src/text/*.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/ascii.h"

namespace pel::detail {

inline constexpr std::size_t kNoPos = static_cast<std::size_t>(-1);

// 0-based start offset for a 1-based start position (below 1 means 1).
inline std::size_t startOffset(int start) {
    return start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
}

// Every "#引号" (GBK) replaced by a double quote, so markers and patterns in the site rules can
// be written without escapes.
std::string withQuotes(std::string_view text);

// Copy with every byte in A-Z lower-cased, the trailing byte of a double-byte character too
// (unlike lowerAscii): haystack and needle fold alike, so such a trail matches either case.
// Folding keeps every byte >= 0x80 as it is, so character boundaries and byte positions are
// the same in the copy as in the original.
std::string foldedCopy(std::string_view s);
bool hasAsciiLetter(std::string_view s);

// Finds one needle in one haystack, left to right, only at character boundaries counted from
// the start of the haystack (a byte >= 0x80 and the next byte are one character). The scanner
// remembers the last position it proved to be a boundary, so a run of calls with growing
// `from` costs one pass over the text in all, not one pass per call.
class BoundaryScanner {
  public:
    // `needle` must not be empty. With ignoreCase, ASCII letters match either case; the
    // scanner then holds folded copies of both texts.
    BoundaryScanner(std::string_view haystack, std::string_view needle, bool ignoreCase);

    // 0-based offset of the first occurrence at a character boundary at or after `from`, or
    // kNoPos. Calls must come with non-decreasing `from`.
    std::size_t next(std::size_t from);

  private:
    bool atBoundary(std::size_t pos);

    std::string foldedHay_;
    std::string foldedNeedle_;
    std::string_view hay_;
    std::string_view needle_;
    std::size_t knownBoundary_ = 0;
};

}  // namespace pel::detail
