// Code-page conversions (iconv) and percent encoding and decoding.
#include "text/encoding.h"

#include <array>
#include <cstring>
#include <string>

#include "text/ascii.h"
#include "text/iconv_convert.h"

namespace pel {

namespace {

constexpr const char* kGbkName = "CP936";
constexpr const char* kUtf8Name = "UTF-8";
constexpr const char* kUtf16Name = "UTF-16LE";
constexpr std::string_view kQuestion = "?";
constexpr std::string_view kQuestion16{"?\0", 2};

std::string_view untilZero(std::string_view s) {
    const void* zero = std::memchr(s.data(), 0, s.size());
    return zero == nullptr ? s : s.substr(0, static_cast<const char*>(zero) - s.data());
}

// The iconv name of a Windows code page number, and how to step over its bad characters.
std::string codePageName(int codePage, detail::SourceKind& kind) {
    if (codePage == kCodePageUtf8) {
        kind = detail::SourceKind::Utf8;
        return kUtf8Name;
    }
    kind = codePage == kCodePageGbk ? detail::SourceKind::Gbk : detail::SourceKind::Other;
    return "CP" + std::to_string(codePage);
}

std::string_view trimAscii(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
        s.remove_suffix(1);
    }
    return s;
}

Text percentEncode(std::string_view bytes) {
    Text out;
    out.reserve(bytes.size() * 3);
    appendPercentEncoded(out, bytes);
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

Text utf8ToGbk(std::string_view utf8) {
    Text out;
    detail::convertCharset(untilZero(utf8), kUtf8Name, kGbkName, detail::SourceKind::Utf8,
                           kQuestion, out);
    return out;
}

std::string gbkToUtf8(std::string_view gbkText) {
    std::string out;
    detail::convertCharset(gbkText, kGbkName, kUtf8Name, detail::SourceKind::Gbk, kQuestion, out);
    return out;
}

Text gbk(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

Bytes toUtf16(std::string_view text, int codePage) {
    detail::SourceKind kind{};
    const std::string name = codePageName(codePage, kind);
    Bytes out;
    detail::convertCharset(untilZero(text), name.c_str(), kUtf16Name, kind, kQuestion16, out);
    out.append(2, '\0');
    return out;
}

Text fromUtf16(std::string_view utf16le, int codePage) {
    // The text ends at the first zero code unit (the terminating one, or an earlier one).
    const std::size_t units = utf16le.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        if (utf16le[2 * i] == '\0' && utf16le[2 * i + 1] == '\0') {
            utf16le = utf16le.substr(0, 2 * i);
            break;
        }
    }
    detail::SourceKind unused{};
    const std::string name = codePageName(codePage, unused);
    Text out;
    detail::convertCharset(utf16le, kUtf16Name, name.c_str(), detail::SourceKind::Utf16Le,
                           kQuestion, out);
    return out;
}

bool decodeToGbk(std::string_view bytes, std::string_view charset, Text& out) {
    const std::string name = lowerAscii(trimAscii(charset));
    if (name.empty()) {
        return false;  // iconv would take "" as the locale's charset
    }
    // Pages that declare gb2312 are written in its GBK superset in practice; reading them as
    // GB2312 proper would turn every GBK-only character into "?".
    static constexpr std::array<std::string_view, 6> kGbkNames = {"gbk",   "gb2312",      "cp936",
                                                                  "x-gbk", "windows-936", "ms936"};
    for (std::string_view g : kGbkNames) {
        if (name == g) {
            return detail::convertCharset(bytes, kGbkName, kGbkName, detail::SourceKind::Gbk,
                                          kQuestion, out);
        }
    }
    if (name == "utf-8" || name == "utf8") {
        return detail::convertCharset(bytes, kUtf8Name, kGbkName, detail::SourceKind::Utf8,
                                      kQuestion, out);
    }
    // Any other charset goes through UTF-8, which can hold every character: the first step
    // only meets invalid input, the second step only characters GBK cannot hold, and each
    // step knows how to step over its own kind of bad character.
    std::string utf8;
    if (!detail::convertCharset(bytes, name.c_str(), kUtf8Name, detail::SourceKind::Other,
                                "\xEF\xBF\xBD", utf8)) {
        return false;
    }
    return detail::convertCharset(utf8, kUtf8Name, kGbkName, detail::SourceKind::Utf8, kQuestion,
                                  out);
}

Text urlEncodeUtf8(std::string_view gbkText) {
    return percentEncode(gbkToUtf8(gbkText));
}

Text percentEncodeGbk(std::string_view gbkText) {
    return percentEncode(gbkText);
}

void appendPercentEncoded(Text& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
}

Bytes percentDecode(std::string_view text, bool plusIsSpace) {
    Bytes out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += (plusIsSpace && c == '+') ? ' ' : c;
    }
    return out;
}

}  // namespace pel
