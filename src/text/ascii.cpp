#include "text/ascii.h"

namespace pel {

Text lowerAscii(std::string_view text) {
    Text out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (static_cast<unsigned char>(out[i]) >= 0x80) {
            ++i;
        } else {
            out[i] = lowerAsciiByte(out[i]);
        }
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithNoCase(a, b);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lowerAsciiByte(text[i]) != lowerAsciiByte(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace pel
