// Internal: GBK to UTF-8 with a map back to GBK byte offsets, for the regular-expression
// matcher, which matches UTF-8 and must hand back slices of the original GBK subject.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pel::detail {

struct MappedUtf8 {
    std::string utf8;
    // gbkOffset[i]: offset in the GBK input of the character whose UTF-8 form covers byte i;
    // gbkOffset[utf8.size()] is the input size.
    std::vector<std::uint32_t> gbkOffset;
};

// Every GBK character becomes its UTF-8 form; a byte that does not start a valid GBK
// character becomes U+FFFD, a literal that no pattern syntax can take for an operator.
void decodeGbkMapped(std::string_view gbk, MappedUtf8& out, bool withOffsets);

}  // namespace pel::detail
