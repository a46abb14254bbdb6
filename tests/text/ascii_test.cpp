// ASCII letter case on GBK byte strings.
#include "text/ascii.h"

#include <gtest/gtest.h>

namespace pel {
namespace {

TEST(LowerAscii, LowersLettersButNotTheTrailOfADoubleByteCharacter) {
    EXPECT_EQ(lowerAscii("HTTP://Ab.CN/X?Q=1"), "http://ab.cn/x?q=1");
    // 0x81 0x41 and 0xB0 0x5A are two GBK characters whose trailing bytes are "A" and "Z".
    EXPECT_EQ(lowerAscii("A\x81"
                         "AB\xB0ZC"),
              "a\x81"
              "Ab\xB0Zc");
    // A lead byte at the very end has no trail to skip.
    EXPECT_EQ(lowerAscii("Q\xB0"), "q\xB0");
    EXPECT_EQ(lowerAscii(""), "");
}

TEST(AsciiCompare, LettersMatchEitherCaseOtherBytesOnlyThemselves) {
    struct Case {
        const char* text;
        const char* prefix;
        bool starts;
        bool equal;
    };
    const Case cases[] = {
        {"Location: /x", "location:", true, false},
        {"LOCATION:", "location:", true, true},
        {"location", "location:", false, false},
        {"Accept", "aCCEPT", true, true},
        {"\xC1x", "\xE1x", false, false},  // no case pairs above 0x7F
        {"[x", "{x", false, false},        // '[' and '{' are 0x20 apart but no letters
        {"", "", true, true},
        {"abc", "", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.prefix);
        EXPECT_EQ(startsWithNoCase(c.text, c.prefix), c.starts);
        EXPECT_EQ(equalsNoCase(c.text, c.prefix), c.equal);
    }
}

}  // namespace
}  // namespace pel
