#include "text/iconv_convert.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace pel::detail {

namespace {

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

std::size_t gbkStep(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    if (lead >= 0x81 && lead <= 0xFE && rest.size() >= 2) {
        const auto trail = static_cast<unsigned char>(rest[1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            return 2;
        }
    }
    return 1;
}

std::size_t utf16Step(std::string_view rest) {
    if (rest.size() >= 4) {
        const unsigned unit = static_cast<unsigned char>(rest[0]) |
                              (static_cast<unsigned>(static_cast<unsigned char>(rest[1])) << 8);
        const unsigned nextUnit = static_cast<unsigned char>(rest[2]) |
                                  (static_cast<unsigned>(static_cast<unsigned char>(rest[3])) << 8);
        if (unit >= 0xD800 && unit < 0xDC00 && nextUnit >= 0xDC00 && nextUnit < 0xE000) {
            return 4;
        }
    }
    return rest.size() >= 2 ? 2 : rest.size();
}

std::size_t stepOver(std::string_view rest, SourceKind kind) {
    bool valid = false;
    switch (kind) {
        case SourceKind::Utf8:
            return utf8Step(rest, valid);
        case SourceKind::Gbk:
            return gbkStep(rest);
        case SourceKind::Utf16Le:
            return utf16Step(rest);
        case SourceKind::Other:
            break;
    }
    return 1;
}

}  // namespace

std::size_t utf8Step(std::string_view rest, bool& valid) {
    const auto c = static_cast<unsigned char>(rest[0]);
    valid = false;
    std::size_t need = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (c < 0x80) {
        valid = true;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        if (c == 0xE0) {
            lo = 0xA0;  // no overlong forms
        } else if (c == 0xED) {
            hi = 0x9F;  // no surrogates
        }
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        if (c == 0xF0) {
            lo = 0x90;
        } else if (c == 0xF4) {
            hi = 0x8F;  // nothing above U+10FFFF
        }
    } else {
        return 1;  // a stray continuation byte or a byte that never starts a character
    }
    std::size_t i = 1;
    for (; i <= need && i < rest.size(); ++i) {
        const auto b = static_cast<unsigned char>(rest[i]);
        if (i == 1 ? (b < lo || b > hi) : !isContinuation(b)) {
            return i;  // the maximal invalid subsequence ends before this byte
        }
    }
    valid = i == need + 1;
    return i;
}

bool convertCharset(std::string_view in, const char* from, const char* to, SourceKind kind,
                    std::string_view replacement, std::string& out) {
    IconvHandle cd(to, from);
    if (!cd.ok()) {
        return false;
    }
    std::string result;
    result.resize(in.size() * 2 + 16);
    std::size_t used = 0;
    auto* inPtr = const_cast<char*>(in.data());  // iconv takes char**; it does not write input
    std::size_t inLeft = in.size();

    auto appendRaw = [&](std::string_view bytes) {
        if (result.size() - used < bytes.size()) {
            result.resize((result.size() + bytes.size()) * 2);
        }
        result.replace(used, bytes.size(), bytes);
        used += bytes.size();
    };

    bool flushing = false;
    while (true) {
        char* outPtr = result.data() + used;
        std::size_t outLeft = result.size() - used;
        // A final call with no input flushes any pending shift state.
        const std::size_t rc = flushing ? iconv(cd.get(), nullptr, nullptr, &outPtr, &outLeft)
                                        : iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        used = static_cast<std::size_t>(outPtr - result.data());
        if (rc != static_cast<std::size_t>(-1)) {
            if (flushing) {
                break;
            }
            flushing = true;
            continue;
        }
        if (errno == E2BIG) {
            result.resize(result.size() * 2 + 16);
        } else if (errno == EILSEQ && inLeft > 0) {
            const std::size_t skip =
                std::min(inLeft, stepOver(std::string_view(inPtr, inLeft), kind));
            appendRaw(replacement);
            inPtr += skip;
            inLeft -= skip;
        } else if (errno == EINVAL && inLeft > 0) {
            appendRaw(replacement);  // a character cut short by the end of the input
            inPtr += inLeft;
            inLeft = 0;
        } else {
            break;  // nothing sensible left to do; keep what was converted
        }
    }
    result.resize(used);
    out = std::move(result);
    return true;
}

}  // namespace pel::detail
