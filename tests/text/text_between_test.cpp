// Cutting between markers and the five-pair replace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/text.h"

namespace pel {
namespace {

struct BetweenCase {
    std::string text;
    std::string left;
    std::string right;
    std::string expected;
};

TEST(TextBetween, TableOfCases) {
    const std::vector<BetweenCase> cases = {
        {"a<b>c</b>d", "<b>", "</b>", "c"},
        {"a<b>c</b>d", "<b>", "<i>", ""},
        {"a<b>c</b>d", "<i>", "</b>", ""},
        {"xRyLz", "L", "R", ""},  // the right marker only counts after the left one
        {"|a|b|", "|", "|", "a"},
        {"LR", "L", "R", ""},
        {"abc", "a", "", ""},             // an empty right marker gives nothing
        {"abXcd", "", "X", "ab"},         // an empty left marker starts at the front
        {"<B>x</B>", "<b>", "</b>", ""},  // letter case must match by default
        {"abc", "c", "x", ""},
    };
    for (const BetweenCase& c : cases) {
        EXPECT_EQ(textBetween(c.text, c.left, c.right), c.expected)
            << c.text << " [" << c.left << "] [" << c.right << "]";
    }
    EXPECT_EQ(textBetween("<B>x</B>", "<b>", "</b>", 1, true), "x");
    EXPECT_EQ(textBetween("[1][2]", "[", "]", 3), "2");
}

TEST(TextBetween, QuoteWordStandsForADoubleQuote) {
    const std::string q = gbk("#引号");
    EXPECT_EQ(textBetween("<a href=\"x.html\">", "href=" + q, q), "x.html");
    // The word is replaced in the markers only; a text holding it literally is not matched.
    EXPECT_EQ(textBetween("href=" + q + "y" + q, "href=" + q, q), "");
}

TEST(TextBetween, AsciiMarkerNotFoundInsideDoubleByteCharacter) {
    const std::string trail5C = "\x81\x5C";  // "乗"
    EXPECT_EQ(textBetween("a" + trail5C + "b\\c|", "\\", "|"), "c");
}

TEST(TextBetweenAll, PiecesTrimmedEmptyOnesDropped) {
    std::vector<Text> list{"stale"};
    EXPECT_EQ(textBetweenAll("[ a ][][ b ]", "[", "]", list), 2);
    EXPECT_EQ(list, (std::vector<Text>{"a", "b"}));
    EXPECT_EQ(textBetweenAll("[ a ][][ b ]", "[", "]", list, false, false, false, 1), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(textBetweenAll("[ab][c]", "[", "]", list, false, false, false, 2), 1);
    EXPECT_EQ(list, std::vector<Text>{"c"});
}

TEST(TextBetweenAll, IgnoresCaseUnlessAsked) {
    std::vector<Text> list;
    EXPECT_EQ(textBetweenAll("<DD>x</dd>", "<dd>", "</dd>", list), 1);
    EXPECT_EQ(list, std::vector<Text>{"x"});
    EXPECT_EQ(textBetweenAll("<DD>x</dd>", "<dd>", "</dd>", list, false, false, true), 0);
}

TEST(TextBetweenAll, OptionsAndSharedMarkers) {
    std::vector<Text> list;
    // The right marker opens the next piece.
    EXPECT_EQ(textBetweenAll("|a|b|", "|", "|", list), 2);
    EXPECT_EQ(list, (std::vector<Text>{"a", "b"}));
    EXPECT_EQ(textBetweenAll("<i>a</i>", "<i>", "</i>", list, true, true), 1);
    EXPECT_EQ(list, std::vector<Text>{"<i>a</i>"});
    EXPECT_EQ(textBetweenAll("[a][b]", "[", "]", list, false, false, false, 0, "<", ">"), 2);
    EXPECT_EQ(list, (std::vector<Text>{"<a>", "<b>"}));
    EXPECT_EQ(textBetweenAll("[a][b]", "[", "]", list, false, false, false, 0, {}, {}, 2), 1);
    EXPECT_EQ(list, std::vector<Text>{"b"});
    EXPECT_EQ(textBetweenAll("[a][b", "[", "]", list), 1);
}

TEST(TextBetweenAll, EmptyMarkerEndsAtOnce) {
    std::vector<Text> list;
    EXPECT_EQ(textBetweenAll("a]b]", "", "]", list), 0);
    EXPECT_EQ(textBetweenAll("[a[b", "[", "", list, false, false, false, 0, "p"), 0);
}

TEST(ReplaceFive, PairsInTurnIgnoringCaseByDefault) {
    const std::string fw = gbk("　");
    EXPECT_EQ(replaceFive("a <BR/>b" + fw + "c&nbsp;", kAllOccurrences, 1, false, " ", "", fw, "",
                          "<br/>", "", "</p>", "", "&nbsp;", ""),
              "abc");
    // A later pair acts on what an earlier one produced.
    EXPECT_EQ(replaceFive("ab", kAllOccurrences, 1, true, "a", "x", "xb", "y"), "y");
    EXPECT_EQ(replaceFive("aAaA", 1, 1, true, "a", "-"), "-AaA");
    EXPECT_EQ(replaceFive("aaaa", 1, 3, false, "A", "-"), "aa-a");
}

}  // namespace
}  // namespace pel
