// ASCII letter case on byte strings. Only the bytes A-Z and a-z ever change, whatever the
// locale: a byte >= 0x80 is never a letter here.
#pragma once

#include <string_view>

#include "text/text.h"

namespace pel {

inline bool isAsciiUpper(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}
inline bool isAsciiLetter(unsigned char c) {
    return isAsciiUpper(c) || (c >= 'a' && c <= 'z');
}
inline char lowerAsciiByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return isAsciiUpper(u) ? static_cast<char>(u + ('a' - 'A')) : c;
}
inline char upperAsciiByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<char>(u - ('a' - 'A')) : c;
}

// A GBK text with its ASCII letters lower-cased. A byte >= 0x80 and the byte after it are one
// double-byte character and stay as they are, even when that trailing byte is a letter.
Text lowerAscii(std::string_view text);

// Byte-wise comparisons in which A-Z and a-z match either case.
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace pel
