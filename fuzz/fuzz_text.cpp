// Text helpers on arbitrary bytes: no crash, no out-of-range read, and each search, replace
// and cut equal to a plain character-by-character model of it (boundaries counted from the
// start of the text, a byte >= 0x80 and the next byte being one character). The model is
// slow and obvious; the helpers are block-wise and clever, which is where they can go wrong.
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/encoding.h"
#include "text/text.h"

using namespace pel;

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalAt(std::string_view text, size_t at, std::string_view sub, bool ignoreCase) {
    if (at + sub.size() > text.size())
        return false;
    for (size_t i = 0; i < sub.size(); ++i) {
        const char x = text[at + i];
        const char y = sub[i];
        if (ignoreCase ? fold(x) != fold(y) : x != y)
            return false;
    }
    return true;
}

size_t charLength(std::string_view text, size_t at) {
    return static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
}

// 0-based offset of the first boundary occurrence at or after `from` (sub not empty).
size_t modelFindOffset(std::string_view text, std::string_view sub, size_t from, bool ic) {
    for (size_t i = 0; i < text.size(); i += charLength(text, i)) {
        if (i >= from && equalAt(text, i, sub, ic))
            return i;
    }
    return kNone;
}

int modelFind(std::string_view text, std::string_view sub, int start, bool ic) {
    const size_t from = start < 1 ? 0 : static_cast<size_t>(start) - 1;
    if (from >= text.size())
        return -1;
    if (sub.empty())
        return 1;
    const size_t at = modelFindOffset(text, sub, from, ic);
    return at == kNone ? -1 : static_cast<int>(at) + 1;
}

int modelFindLast(std::string_view text, std::string_view sub) {
    if (sub.empty())
        return -1;
    int last = -1;
    for (size_t i = 0; i < text.size(); i += charLength(text, i)) {
        if (equalAt(text, i, sub, false))
            last = static_cast<int>(i) + 1;
    }
    return last;
}

Text modelReplace(std::string_view text, std::string_view sub, std::string_view repl, bool ic,
                  int startPos, int maxCount) {
    const size_t from = startPos < 1 ? 0 : static_cast<size_t>(startPos) - 1;
    if (sub.empty() || maxCount == 0 || from >= text.size())
        return Text(text);
    Text out;
    size_t copied = 0;
    int done = 0;
    for (size_t at = modelFindOffset(text, sub, from, ic); at != kNone;
         at = modelFindOffset(text, sub, copied, ic)) {
        out.append(text.substr(copied, at - copied));
        out.append(repl);
        copied = at + sub.size();
        if (maxCount > 0 && ++done >= maxCount)
            break;
    }
    out.append(text.substr(copied));
    return out;
}

Text modelBetween(std::string_view text, const Text& l, const Text& r, int startPos, bool ic) {
    int a = modelFind(text, l, startPos, ic);
    if (a == -1)
        return {};
    a += static_cast<int>(l.size());
    const int b = modelFind(text, r, a, ic);
    if (b == -1)
        return {};
    return substrAt(text, a, b - a);
}

std::vector<Text> modelBetweenAll(std::string_view text, std::string_view left,
                                  std::string_view right, bool includeLeft, bool includeRight,
                                  bool caseSensitive, int maxLength, std::string_view prefix,
                                  std::string_view suffix, int startPos) {
    std::vector<Text> list;
    if (left.empty() || right.empty())
        return list;
    int start = startPos < 1 ? 1 : startPos;
    for (;;) {
        const int p = modelFind(text, left, start, !caseSensitive);
        if (p == -1)
            break;
        const int afterLeft = p + static_cast<int>(left.size());
        const int e = modelFind(text, right, afterLeft, !caseSensitive);
        if (e == -1)
            break;
        start = afterLeft;
        Text item(prefix);
        item += trimBlanks(substrAt(text, afterLeft, e - afterLeft));
        item += suffix;
        if (item.empty())
            continue;
        if (includeLeft)
            item.insert(0, left);
        if (includeRight)
            item += right;
        if (maxLength == 0 || static_cast<int>(item.size()) < maxLength)
            list.push_back(item);
        start = e;
    }
    return list;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    const int flags = in.number(256);
    const int start = in.number(64) - 8;
    const Text a = in.text();
    const Text b = in.text();
    const Text text = in.remaining();
    const bool ic = flags & 1;
    const int maxCount = (flags >> 1) % 4 - 1;

    check(findText(text, a, start, ic) == modelFind(text, a, start, ic));
    check(findLastText(text, a) == modelFindLast(text, a));
    check(replaceText(text, a, b, ic, start, maxCount) ==
          modelReplace(text, a, b, ic, start, maxCount));
    // Markers without "#引号", so that the model needs no quote rewrite.
    if (a.find('#') == Text::npos && b.find('#') == Text::npos) {
        check(textBetween(text, a, b, start, ic) == modelBetween(text, a, b, start, ic));
    }
    std::vector<Text> list;
    const bool incL = flags & 2, incR = flags & 4, cs = flags & 8;
    const int maxLength = (flags >> 4) % 8;
    const int n = textBetweenAll(text, a, b, list, incL, incR, cs, maxLength, "p", "s", start);
    check(n == static_cast<int>(list.size()));
    check(list == modelBetweenAll(text, a, b, incL, incR, cs, maxLength, "p", "s", start));
    const Text five =
        replaceFive(text, maxCount, start, !ic, a, b, b, a, "&nbsp;", "", "<br/>", "");
    check(five ==
          modelReplace(modelReplace(modelReplace(modelReplace(text, a, b, ic, start, maxCount), b,
                                                 a, ic, start, maxCount),
                                    "&nbsp;", "", ic, start, maxCount),
                       "<br/>", "", ic, start, maxCount));

    const Text trimmed = trimBlanks(text);
    check(trimmed.size() <= text.size() && text.find(trimmed) != Text::npos);
    check(substrAt(text, start, static_cast<int>(a.size()) - 2).size() <= text.size());
    Text joined;
    const std::vector<Text> pieces = splitText(text, a);
    for (size_t i = 0; i < pieces.size(); ++i) {
        joined += (i == 0 ? "" : a) + pieces[i];
    }
    check(joined == text || (!a.empty() && joined + a == text));

    gbkToUtf8(text);
    utf8ToGbk(text);
    fromUtf16(toUtf16(text, kCodePageGbk), kCodePageGbk);
    fromUtf16(text, kCodePageUtf8);
    check(percentEncodeGbk(text).size() == 3 * text.size());
    urlEncodeUtf8(text);
    // A page names its own charset: the decoder meets any name a page can declare.
    static const char* const kCharsets[] = {"utf-8",      "big5",        "utf-16", "utf-16be",
                                            "utf-32",     "iso-2022-jp", "euc-jp", "shift_jis",
                                            "gb18030",    "utf-7",       "hz",     "ucs-2",
                                            "iso-8859-1", "koi8-r",      "gbk",    "x-unknown"};
    const bool pageName = b.size() <= 20 && b.find_first_not_of(
                                                "-_0123456789abcdefghijklmnopqrstuvwxyz"
                                                "ABCDEFGHIJKLMNOPQRSTUVWXYZ") == Text::npos;
    const Text charset = pageName && (flags & 32) ? b : Text(kCharsets[flags % 16]);
    Text decoded = "untouched";
    if (!decodeToGbk(text, charset, decoded))
        check(decoded == "untouched");
    return 0;
}
