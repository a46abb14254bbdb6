// Code-page conversions and percent encodings. GBK is glibc's CP936 (0x80 is the euro sign,
// as on Windows). Unconvertible input becomes "?"; only decodeToGbk can fail, on a charset
// it does not know.
#pragma once

#include <string_view>

#include "text/text.h"

namespace pel {

inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

// UTF-8 bytes (up to the first zero byte) to GBK text.
Text utf8ToGbk(std::string_view utf8);
// GBK text to UTF-8 bytes (for the Qt boundary and the keyword encoding).
std::string gbkToUtf8(std::string_view gbk);
// A UTF-8 source literal as GBK bytes: gbk("正在搜索：").
Text gbk(std::string_view utf8);

// UTF-16LE code units of the text in the given code page, with the terminating zero unit.
Bytes toUtf16(std::string_view text, int codePage = kCodePageUtf8);
// UTF-16LE bytes (a terminating zero unit ends the text) to the given code page.
Text fromUtf16(std::string_view utf16le, int codePage = kCodePageGbk);

// Bytes in any charset iconv knows (the name as a page declares it) to GBK. Returns false,
// leaving `out` alone, when the charset is unknown.
bool decodeToGbk(std::string_view bytes, std::string_view charset, Text& out);

// Appends every byte as "%XX" (upper-case hex) to `out`; no byte passes through.
void appendPercentEncoded(Text& out, std::string_view bytes);
// Each "%" followed by two hex digits (either case) becomes the byte they name; with
// plusIsSpace, each "+" becomes a blank. Every other byte, a "%" without two hex digits after
// it included, passes through.
Bytes percentDecode(std::string_view text, bool plusIsSpace = false);

// Every byte of the UTF-8 form as "%XX" (upper-case hex); no byte passes through.
Text urlEncodeUtf8(std::string_view gbkText);
// Every GBK byte as "%XX" (upper-case hex); no byte passes through.
Text percentEncodeGbk(std::string_view gbkText);

}  // namespace pel
