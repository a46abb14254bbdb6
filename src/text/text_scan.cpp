#include "text/text_scan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pel::detail {

namespace {

// First occurrence of needle (k >= 1 bytes) in hay (n bytes), or nullptr. glibc's memmem is
// a scalar loop; with SSE2 this tests 16 start positions at once on the needle's first and
// last bytes and compares the middle only where both agree, which in GBK prose and markup is
// rare.
const char* findBytes(const char* hay, std::size_t n, const char* needle, std::size_t k) {
    if (k > n) {
        return nullptr;
    }
    if (k == 1) {
        return static_cast<const char*>(std::memchr(hay, needle[0], n));
    }
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[k - 1]);
    for (; i + k - 1 + 16 <= n; i += 16) {
        const __m128i blockFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i));
        const __m128i blockLast =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i + k - 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(blockFirst, first), _mm_cmpeq_epi8(blockLast, last))));
        while (mask != 0) {
            const auto bit = static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(hay + i + bit + 1, needle + 1, k - 2) == 0) {
                return hay + i + bit;
            }
            mask &= mask - 1;
        }
    }
#endif
    return static_cast<const char*>(memmem(hay + i, n - i, needle, k));
}

}  // namespace

std::string foldedCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = lowerAsciiByte(c);
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
        const char* hit = findBytes(hay_.data() + from, hay_.size() - from, needle_.data(), n);
        if (hit == nullptr) {
            return kNoPos;
        }
        const auto pos = static_cast<std::size_t>(hit - hay_.data());
        if (atBoundary(pos)) {
            return pos;
        }
        from = pos + 1;
    }
    return kNoPos;
}

}  // namespace pel::detail
