#include "download/watermark_texts.h"

#include <array>

#include "text/ascii.h"

namespace pel {

namespace {

void appendFullWidth(Text& out, unsigned char c) {
    if (c >= 'a' && c <= 'z')
        c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c < 0x21 || c > 0x7E) {
        out.push_back(static_cast<char>(c));
        return;
    }
    out.push_back(static_cast<char>(0xA3));
    out.push_back(static_cast<char>(0xA1 + (c - 0x21)));
}

}  // namespace

Text fullWidthUpper(const Text& ascii) {
    Text out;
    out.reserve(ascii.size() * 2);
    for (unsigned char c : ascii)
        appendFullWidth(out, c);
    return out;
}

Text spacedFullWidthDomain(const Text& ascii) {
    static constexpr std::array<std::size_t, 5> kGroups = {1, 2, 1, 3, 2};
    Text out;
    std::size_t pos = 0;
    for (std::size_t group : kGroups) {
        if (pos >= ascii.size())
            break;
        if (pos > 0)
            out.push_back(' ');
        for (std::size_t k = 0; k < group && pos < ascii.size(); ++k, ++pos) {
            appendFullWidth(out, static_cast<unsigned char>(ascii[pos]));
        }
    }
    // Characters beyond the nine of the grouping stay together in the last group.
    for (; pos < ascii.size(); ++pos)
        appendFullWidth(out, static_cast<unsigned char>(ascii[pos]));
    return out;
}

Text capitaliseFirstAndLastLetter(const Text& host) {
    Text out = host;
    std::size_t first = Text::npos;
    std::size_t last = Text::npos;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (!isAsciiLetter(static_cast<unsigned char>(out[i])))
            continue;
        if (first == Text::npos)
            first = i;
        last = i;
    }
    if (first == Text::npos)
        return out;
    out[first] = upperAsciiByte(out[first]);
    out[last] = upperAsciiByte(out[last]);
    return out;
}

}  // namespace pel
