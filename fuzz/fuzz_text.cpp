// Text helpers on arbitrary bytes: no crash, no out-of-range read, and the invariants that
// callers rely on (positions inside the text, results no longer than they can be).
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/encoding.h"
#include "text/text.h"

using namespace pel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    const int flags = in.number(256);
    const int start = in.number(64) - 8;
    const Text a = in.text();
    const Text b = in.text();
    const Text text = in.remaining();
    const bool fold = flags & 1;

    const int pos = findText(text, a, start, fold);
    if (pos != -1 && (pos < 1 || pos > static_cast<int>(text.size()) + 1))
        std::abort();
    const int last = findLastText(text, a);
    if (last != -1 && last > static_cast<int>(text.size()))
        std::abort();
    if (!a.empty() && b.empty() && replaceText(text, a, b, fold).size() > text.size())
        std::abort();
    replaceText(text, a, b, fold, start, (flags >> 1) % 4 - 1);
    if (textBetween(text, a, b, start, fold).size() > text.size())
        std::abort();
    std::vector<Text> list;
    textBetweenAll(text, a, b, list, flags & 2, flags & 4, flags & 8, (flags >> 4) % 8, "p", "s",
                   start);
    replaceFive(text, (flags % 3) - 1, start, fold, a, b, b, a, "&nbsp;", "", "<br/>", "");
    if (trimBlanks(text).size() > text.size())
        std::abort();
    substrAt(text, start, static_cast<int>(a.size()) - 2);
    splitText(text, a);

    gbkToUtf8(text);
    utf8ToGbk(text);
    fromUtf16(toUtf16(text, kCodePageGbk), kCodePageGbk);
    fromUtf16(text, kCodePageUtf8);
    if (percentEncodeGbk(text).size() != 3 * text.size())
        std::abort();
    urlEncodeUtf8(text);
    Text decoded;
    decodeToGbk(text, (flags & 16) ? "utf-8" : "big5", decoded);
    return 0;
}
