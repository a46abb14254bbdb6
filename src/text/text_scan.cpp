#include "text/text_scan.h"

#include <cstring>

namespace pel::detail {

std::string foldedCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = foldAscii(c);
    }
    return out;
}

bool hasAsciiLetter(std::string_view s) {
    for (char c : s) {
        if (isAsciiLetter(static_cast<unsigned char>(c))) {
            return true;
        }
    }
    return false;
}

BoundaryScanner::BoundaryScanner(std::string_view haystack, std::string_view needle,
                                 bool ignoreCase)
    : hay_(haystack), needle_(needle) {
    // A needle without letters matches the same bytes in either case: skip the copies.
    if (ignoreCase && hasAsciiLetter(needle)) {
        foldedHay_ = foldedCopy(haystack);
        foldedNeedle_ = foldedCopy(needle);
        hay_ = foldedHay_;
        needle_ = foldedNeedle_;
    }
}

// A byte below 0x80 always ends a character (it is a one-byte character or the trail of a
// double-byte one), so the position after it is a boundary. From there, or from the last
// proven boundary, the bytes >= 0x80 up to `pos` pair up as lead and trail: `pos` is a
// boundary exactly when their number is even.
bool BoundaryScanner::atBoundary(std::size_t pos) {
    std::size_t j = pos;
    while (j > knownBoundary_ && static_cast<unsigned char>(hay_[j - 1]) >= 0x80) {
        --j;
    }
    if ((pos - j) % 2 == 0) {
        knownBoundary_ = pos;
        return true;
    }
    // `pos` is the trail of the character that starts at pos - 1.
    knownBoundary_ = pos + 1;
    return false;
}

std::size_t BoundaryScanner::next(std::size_t from) {
    const std::size_t n = needle_.size();
    if (from < knownBoundary_) {
        knownBoundary_ = 0;  // a step back: the proof has to start again from the front
    }
    while (from < hay_.size() && hay_.size() - from >= n) {
        const void* hit = memmem(hay_.data() + from, hay_.size() - from, needle_.data(), n);
        if (hit == nullptr) {
            return kNoPos;
        }
        const auto pos = static_cast<std::size_t>(static_cast<const char*>(hit) - hay_.data());
        if (atBoundary(pos)) {
            return pos;
        }
        from = pos + 1;
    }
    return kNoPos;
}

}  // namespace pel::detail
