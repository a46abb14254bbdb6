// Cutting texts out between marker pairs, and the five-pair replace.
#include <array>
#include <utility>

#include "text/encoding.h"
#include "text/text.h"
#include "text/text_scan.h"

namespace pel {

std::string detail::withQuotes(std::string_view text) {
    static const Text quoteWord = gbk("#引号");
    return replaceText(text, quoteWord, "\"");
}

Text textBetween(std::string_view text, std::string_view left, std::string_view right, int startPos,
                 bool ignoreCase) {
    const Text l = detail::withQuotes(left);
    const Text r = detail::withQuotes(right);
    int a = findText(text, l, startPos, ignoreCase);
    if (a == -1) {
        return {};
    }
    a += static_cast<int>(l.size());
    const int b = findText(text, r, a, ignoreCase);
    if (b == -1) {
        return {};
    }
    return substrAt(text, a, b - a);
}

int textBetweenAll(std::string_view text, std::string_view left, std::string_view right,
                   std::vector<Text>& list, bool includeLeft, bool includeRight, bool caseSensitive,
                   int maxLength, std::string_view prefix, std::string_view suffix, int startPos) {
    list.clear();
    // An empty marker is "found" at the front of every remainder, so the scan would never move
    // on: collect nothing instead of looping for ever.
    if (left.empty() || right.empty()) {
        return 0;
    }
    const bool ignoreCase = !caseSensitive;
    detail::BoundaryScanner leftScan(text, left, ignoreCase);
    detail::BoundaryScanner rightScan(text, right, ignoreCase);
    std::size_t start = detail::startOffset(startPos);
    while (start < text.size()) {
        const std::size_t p = leftScan.next(start);
        if (p == detail::kNoPos) {
            break;
        }
        const std::size_t afterLeft = p + left.size();
        const std::size_t e = rightScan.next(afterLeft);
        if (e == detail::kNoPos) {
            break;
        }
        start = afterLeft;
        Text item(prefix);
        item += trimBlanks(text.substr(afterLeft, e - afterLeft));
        item += suffix;
        if (item.empty()) {
            continue;  // the next left marker is looked for just after this one
        }
        if (includeLeft) {
            item.insert(0, left);
        }
        if (includeRight) {
            item += right;
        }
        if (maxLength == 0 || static_cast<int>(item.size()) < maxLength) {
            list.push_back(std::move(item));
        }
        start = e;  // the right marker may also open the next piece
    }
    return static_cast<int>(list.size());
}

Text replaceFive(std::string_view text, int maxCount, int startPos, bool caseSensitive,
                 std::string_view find1, std::string_view repl1, std::string_view find2,
                 std::string_view repl2, std::string_view find3, std::string_view repl3,
                 std::string_view find4, std::string_view repl4, std::string_view find5,
                 std::string_view repl5) {
    const std::array<std::pair<std::string_view, std::string_view>, 5> pairs = {{
        {find1, repl1},
        {find2, repl2},
        {find3, repl3},
        {find4, repl4},
        {find5, repl5},
    }};
    Text out(text);
    for (const auto& [find, repl] : pairs) {
        if (!find.empty()) {
            out = replaceText(out, find, repl, !caseSensitive, startPos, maxCount);
        }
    }
    return out;
}

}  // namespace pel
