// Find, replace, trim, cut and split on GBK texts.
#include "text/text.h"

#include <algorithm>
#include <cstring>

#include "text/text_scan.h"

namespace pel {

namespace {

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

int toPosition(std::size_t offset) {
    return static_cast<int>(offset) + 1;
}

}  // namespace

Text textFromBytes(std::string_view bytes) {
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    if (zero == nullptr) {
        return Text(bytes);
    }
    return Text(bytes.data(), static_cast<const char*>(zero) - bytes.data());
}

int findText(std::string_view text, std::string_view sub, int start, bool ignoreCase) {
    const std::size_t from = detail::startOffset(start);
    if (from >= text.size()) {
        return -1;
    }
    if (sub.empty()) {
        return 1;  // an empty text is found at the very front, whatever the start
    }
    detail::BoundaryScanner scanner(text, sub, ignoreCase);
    const std::size_t pos = scanner.next(from);
    return pos == detail::kNoPos ? -1 : toPosition(pos);
}

int findLastText(std::string_view text, std::string_view sub) {
    if (sub.empty() || sub.size() > text.size()) {
        return -1;
    }
    // Forward over the boundary-checked hits keeps the boundary proof linear; the last one
    // wins. Hits are taken one byte apart so overlapping occurrences are seen too.
    detail::BoundaryScanner scanner(text, sub, false);
    std::size_t last = detail::kNoPos;
    for (std::size_t pos = scanner.next(0); pos != detail::kNoPos; pos = scanner.next(pos + 1)) {
        last = pos;
    }
    return last == detail::kNoPos ? -1 : toPosition(last);
}

bool containsText(std::string_view text, std::string_view sub, bool ignoreCase) {
    return findText(text, sub, 1, ignoreCase) != -1;
}

Text replaceText(std::string_view text, std::string_view sub, std::string_view repl,
                 bool ignoreCase, int startPos, int maxCount) {
    const std::size_t from = detail::startOffset(startPos);
    if (sub.empty() || maxCount == 0 || from >= text.size()) {
        return Text(text);
    }
    detail::BoundaryScanner scanner(text, sub, ignoreCase);
    std::size_t pos = scanner.next(from);
    if (pos == detail::kNoPos) {
        return Text(text);
    }
    Text out;
    out.reserve(repl.size() > sub.size() ? text.size() + text.size() / 2 : text.size());
    std::size_t copied = 0;
    int done = 0;
    while (pos != detail::kNoPos) {
        out.append(text.data() + copied, pos - copied);
        out.append(repl);
        copied = pos + sub.size();
        ++done;
        if (maxCount > 0 && done >= maxCount) {
            break;
        }
        pos = scanner.next(copied);
    }
    out.append(text.data() + copied, text.size() - copied);
    return out;
}

Text removeText(std::string_view text, std::string_view sub) {
    return replaceText(text, sub, {}, false, 1, kAllOccurrences);
}

Text trimBlanks(std::string_view text) {
    // Walk character by character so that a full-width space is only recognised where a
    // character starts; remember where the last non-blank character ends.
    std::size_t first = text.size();
    std::size_t end = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t len = (c >= 0x80 && i + 1 < text.size()) ? 2 : 1;
        const bool blank =
            c == ' ' || (len == 2 && c == kFullWidthSpaceByte &&
                         static_cast<unsigned char>(text[i + 1]) == kFullWidthSpaceByte);
        if (!blank) {
            first = std::min(first, i);
            end = i + len;
        }
        i += len;
    }
    if (first >= end) {
        return {};
    }
    return Text(text.substr(first, end - first));
}

Text substrAt(std::string_view text, int pos, int length) {
    if (pos < 1 || length <= 0 || static_cast<std::size_t>(pos) > text.size()) {
        return {};
    }
    return Text(text.substr(static_cast<std::size_t>(pos) - 1, static_cast<std::size_t>(length)));
}

Text leftBytes(std::string_view text, int n) {
    if (n <= 0) {
        return {};
    }
    return Text(text.substr(0, static_cast<std::size_t>(n)));
}

std::vector<Text> splitText(std::string_view text, std::string_view separator) {
    std::vector<Text> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    detail::BoundaryScanner scanner(text, separator, false);
    std::size_t begin = 0;
    for (std::size_t pos = scanner.next(0); pos != detail::kNoPos; pos = scanner.next(begin)) {
        pieces.emplace_back(text.substr(begin, pos - begin));
        begin = pos + separator.size();
    }
    if (begin < text.size()) {
        pieces.emplace_back(text.substr(begin));
    }
    return pieces;
}

Text decimal(long long value) {
    return std::to_string(value);
}

}  // namespace pel
