// Find, replace, trim, cut and split: byte positions, character boundaries, letter case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/text.h"

namespace pel {
namespace {

// "乗" is 0x81 0x5C in GBK: its trailing byte is the ASCII backslash.
const std::string kTrail5C = "\x81\x5C";

struct FindCase {
    const char* name;
    std::string text;
    std::string sub;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, TableOfCases) {
    const std::string zhong = gbk("中");  // D6 D0
    const std::vector<FindCase> cases = {
        {"plain", "abcabc", "bc", 1, false, 2},
        {"from start", "abcabc", "bc", 3, false, 5},
        {"start below one means one", "abc", "a", -5, false, 1},
        {"missing", "abc", "x", 1, false, -1},
        {"case kept by default", "ABC", "b", 1, false, -1},
        {"ascii case folded", "xABC", "abc", 1, true, 2},
        {"folding leaves non-letters alone", "[{", "{", 1, true, 2},
        {"empty sub found at one, not at start", "abc", "", 2, false, 1},
        {"empty sub in empty remainder", "abc", "", 4, false, -1},
        {"empty text", "", "a", 1, false, -1},
        {"backslash inside a double-byte character", "a" + kTrail5C + "b", "\\", 1, false, -1},
        {"backslash after a double-byte character", kTrail5C + "\\", "\\", 1, false, 3},
        // D6 D0 D6 D0: "\xD0\xD6" occurs at byte 2 but straddles two characters.
        {"no match across a character edge", zhong + zhong, "\xD0\xD6", 1, false, -1},
        {"start on a trailing byte still honours boundaries", zhong + zhong, "\xD0\xD6", 2, false,
         -1},
        {"double-byte sub", "ab" + zhong, zhong, 1, false, 3},
        // Folding must not turn a trailing byte into a match: 0xB1 0x41 ... 'A' is a trail.
        {"folded search skips trailing byte", "\xB1\x41x", "a", 1, true, -1},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(findText(c.text, c.sub, c.start, c.ignoreCase), c.expected) << c.name;
    }
}

TEST(FindText, LongDoubleByteRunBeforeHit) {
    // A hit far behind a long run of double-byte characters, once on and once off a boundary.
    std::string run;
    for (int i = 0; i < 5000; ++i) {
        run += gbk("字");
    }
    EXPECT_EQ(findText(run + "<p>", "<p>"), static_cast<int>(run.size()) + 1);
    EXPECT_EQ(findText("\xB0" + run + "\\", "\\"), -1);  // the backslash is a trailing byte
}

TEST(FindText, EveryOffsetAndNeedleLength) {
    // The search tests blocks of start positions at once: a hit must be found at every offset,
    // including right before the end, and a near miss (last byte differs) never.
    const std::string filler(70, '.');
    for (std::size_t len = 1; len <= 6; ++len) {
        const std::string needle = std::string("<abcd>").substr(0, len);
        for (std::size_t at = 0; at + len <= filler.size(); ++at) {
            std::string hay = filler;
            hay.replace(at, len, needle);
            EXPECT_EQ(findText(hay, needle), static_cast<int>(at) + 1) << len << " at " << at;
            if (len > 1) {
                hay[at + len - 1] = '#';
                EXPECT_EQ(findText(hay, needle), -1) << len << " at " << at;
            }
        }
    }
}

TEST(FindLastText, LastOccurrenceOnABoundary) {
    EXPECT_EQ(findLastText("a/b/c", "/"), 4);
    EXPECT_EQ(findLastText("aaaa", "aa"), 3);
    EXPECT_EQ(findLastText("abc", "x"), -1);
    EXPECT_EQ(findLastText("abc", ""), -1);
    // The last 0x5C byte is the trail of "乗"; the real backslash is the first one.
    EXPECT_EQ(findLastText("\\" + kTrail5C, "\\"), 1);
}

TEST(ReplaceText, OccurrencesLeftToRightWithoutOverlap) {
    EXPECT_EQ(replaceText("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(replaceText("abab", "ab", "abab"), "abababab");  // replacement is not searched
    EXPECT_EQ(replaceText("abc", "", "x"), "abc");
    EXPECT_EQ(replaceText("AbAB", "ab", "-", true), "--");
    EXPECT_EQ(replaceText("AbAB", "ab", "-"), "AbAB");
    EXPECT_EQ(replaceText("ababab", "ab", "-", false, 2), "ab--");
    EXPECT_EQ(replaceText("ababab", "ab", "-", false, 1, 2), "--ab");
    EXPECT_EQ(replaceText("ababab", "ab", "-", false, 1, 0), "ababab");
    EXPECT_EQ(replaceText("ab", "ab", "-", false, 9), "ab");
    EXPECT_EQ(replaceText("x" + kTrail5C + "\\", "\\", "/"), "x" + kTrail5C + "/");
}

TEST(RemoveText, CaseSensitiveAndBoundaryAware) {
    EXPECT_EQ(removeText("<p>a<P>b<p>", "<p>"), "a<P>b");
    EXPECT_EQ(removeText(gbk("第一章(本章完)"), gbk("(本章完)")), gbk("第一章"));
    EXPECT_EQ(removeText("", "x"), "");
}

TEST(TrimBlanks, HalfAndFullWidthSpacesOnly) {
    const std::string fw = gbk("　");
    ASSERT_EQ(fw, "\xA1\xA1");
    EXPECT_EQ(trimBlanks(fw + " x \r\n"), "x \r\n");  // the line break stops the trim
    EXPECT_EQ(trimBlanks("  " + fw + "a b" + fw + " "), "a b");
    EXPECT_EQ(trimBlanks("\tx\t"), "\tx\t");
    EXPECT_EQ(trimBlanks(fw + fw + " "), "");
    // 0xB0 0xA1 is one character ("啊") followed by 0xA1 0xA1: only the last pair is a blank.
    EXPECT_EQ(trimBlanks("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
}

TEST(SubstrAndLeft, OutOfRangeGivesEmpty) {
    EXPECT_EQ(substrAt("abcdef", 2, 3), "bcd");
    EXPECT_EQ(substrAt("abc", 2, 99), "bc");
    EXPECT_EQ(substrAt("abc", 0, 2), "");
    EXPECT_EQ(substrAt("abc", 4, 1), "");
    EXPECT_EQ(substrAt("abc", 1, 0), "");
    EXPECT_EQ(leftBytes("abc", 2), "ab");
    EXPECT_EQ(leftBytes("abc", 9), "abc");
    EXPECT_EQ(leftBytes("abc", 0), "");
    EXPECT_EQ(leftBytes("abc", -1), "");
}

TEST(SplitText, PiecesInOrder) {
    using V = std::vector<Text>;
    EXPECT_EQ(splitText("a,b,,c", ","), (V{"a", "b", "", "c"}));
    EXPECT_EQ(splitText("a,b,", ","), (V{"a", "b"}));
    EXPECT_EQ(splitText(",a", ","), (V{"", "a"}));
    EXPECT_EQ(splitText("", ","), V{});
    EXPECT_EQ(splitText("abc", ""), V{"abc"});
    EXPECT_EQ(splitText("a\r\nb\r\n", "\r\n"), (V{"a", "b"}));
    EXPECT_EQ(splitText("a" + kTrail5C + "b", "\\"), V{"a" + kTrail5C + "b"});
}

TEST(TextFromBytes, StopsAtFirstZero) {
    EXPECT_EQ(textFromBytes(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(textFromBytes("abc"), "abc");
}

TEST(Decimal, Labels) {
    EXPECT_EQ(decimal(0), "0");
    EXPECT_EQ(decimal(-42), "-42");
    EXPECT_EQ(decimal(1234567890123LL), "1234567890123");
}

}  // namespace
}  // namespace pel
