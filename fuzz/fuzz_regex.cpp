// RegexObject on arbitrary patterns and subjects: rejected patterns and huge or malformed
// subjects give empty values, never a crash; reads out of range give "".
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "text/regex_object.h"

using namespace pel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    const int flags = in.number(16);
    const Text pattern = in.text();
    const Text subject = in.remaining();
    RegexObject re;
    const bool ok = re.execute(pattern, subject, flags & 1, flags & 2, flags & 4, flags & 8);
    const int n = re.matchCount();
    if (!ok && n != 0)
        std::abort();
    const int groups = re.subMatchCount();
    for (int i = 0; i <= n + 1 && i < 64; ++i) {
        re.matchText(i);
        for (int j = 0; j <= groups + 1 && j < 16; ++j)
            re.subMatch(i, j);
    }
    if (!re.subMatch(0, 1).empty() || !re.matchText(n + 1).empty())
        std::abort();
    // Matches are slices of the subject, left to right without overlap: putting each back in
    // place of itself gives the subject again.
    for (int i = 1; i <= n && i < 64; ++i) {
        if (subject.find(re.matchText(i)) == Text::npos)
            std::abort();
    }
    if (ok && re.replaceMatches("$&") != subject)
        std::abort();
    if (ok && re.replaceMatches("").size() > subject.size())
        std::abort();
    re.replaceMatches("[$1]");
    RegexObject copy = re;
    if (copy.matchCount() != n)
        std::abort();
    return 0;
}
