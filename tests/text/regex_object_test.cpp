// The matcher: options, numbering from 1, empty values on every failure, GBK in and out.
#include <gtest/gtest.h>

#include <string>

#include "text/encoding.h"
#include "text/regex_object.h"

namespace pel {
namespace {

TEST(RegexObject, EntitiesNumberedFromOne) {
    RegexObject re;
    ASSERT_TRUE(re.execute("&(.*?);", "a&amp;b&lt;c"));
    EXPECT_EQ(re.matchCount(), 2);
    EXPECT_EQ(re.subMatch(1, 1), "amp");
    EXPECT_EQ(re.subMatch(2, 1), "lt");
    EXPECT_EQ(re.matchText(2), "&lt;");
    EXPECT_EQ(re.subMatchCount(), 1);
    EXPECT_EQ(re.currentPattern(), "&(.*?);");
    // Out of range: match 0, group 0, a match or group past the end.
    EXPECT_EQ(re.subMatch(0, 1), "");
    EXPECT_EQ(re.subMatch(1, 0), "");
    EXPECT_EQ(re.subMatch(3, 1), "");
    EXPECT_EQ(re.subMatch(1, 2), "");
    EXPECT_EQ(re.matchText(0), "");
    EXPECT_EQ(re.matchText(3), "");
}

TEST(RegexObject, EmptyBeforeFirstExecute) {
    RegexObject re;
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.subMatchCount(), 0);
    EXPECT_EQ(re.currentPattern(), "");
    EXPECT_EQ(re.replaceMatches("x"), "");
    EXPECT_EQ(re.matchText(1), "");
    EXPECT_EQ(re.subMatch(1, 1), "");
}

TEST(RegexObject, IgnoresCaseByDefaultGroupsAsWritten) {
    RegexObject re;
    const Text page = "<LI><A HREF=\"/B/1.HTML\">" + gbk("第一章") + "</A></LI>";
    ASSERT_TRUE(re.execute("<li><a href=\"(.*?)\">(.*?)</a></li>", page));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatch(1, 1), "/B/1.HTML");
    EXPECT_EQ(re.subMatch(1, 2), gbk("第一章"));
    ASSERT_TRUE(re.execute("<li><a href=\"(.*?)\">(.*?)</a></li>", page, true));
    EXPECT_EQ(re.matchCount(), 0);
}

TEST(RegexObject, DotStopsAtLineFeed) {
    RegexObject re;
    ASSERT_TRUE(re.execute("<a href=\"(.*?)\">", "<a href=\"/x.html\n\">"));
    EXPECT_EQ(re.matchCount(), 0);
    ASSERT_TRUE(re.execute("a.c", "a\rc"));  // only the line feed is excluded
    EXPECT_EQ(re.matchCount(), 1);
}

TEST(RegexObject, TrailingCarriageReturnNeedsOne) {
    const Text pattern = "<li><a href=\"(.*?)\">(.*?)</a></li>\r";
    const Text page =
        "<li><a href=\"1.html\">one</a></li>\r\n"
        "<li><a href=\"2.html\">two</a></li>\n"
        "<li><a href=\"3.html\">three</a></li>\r\n";
    RegexObject re;
    ASSERT_TRUE(re.execute(pattern, page));
    ASSERT_EQ(re.matchCount(), 2);
    EXPECT_EQ(re.subMatch(1, 1), "1.html");
    EXPECT_EQ(re.subMatch(2, 2), "three");  // the lazy groups never run across a line
}

TEST(RegexObject, RejectedPattern) {
    RegexObject re;
    ASSERT_TRUE(re.execute("(a)", "a"));
    EXPECT_FALSE(re.execute("(a", "aaa"));
    EXPECT_EQ(re.matchCount(), 0);  // the earlier matches are gone too
    EXPECT_EQ(re.subMatch(1, 1), "");
    EXPECT_EQ(re.matchText(1), "");
    EXPECT_EQ(re.subMatchCount(), 0);
    EXPECT_EQ(re.currentPattern(), "(a");
}

TEST(RegexObject, CharsetPattern) {
    RegexObject re;
    const Text pattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
    ASSERT_TRUE(re.execute(pattern, "<meta http-equiv=\"Content-Type\" charset=\"gbk\" />"));
    EXPECT_EQ(re.subMatch(1, 1), "gbk");
    ASSERT_TRUE(re.execute(pattern, "<META content=\"text/html; charset=utf-8\">"));
    EXPECT_EQ(re.subMatch(1, 1), "utf-8");
}

TEST(RegexObject, SecondExecuteReplacesFirstCopiesKeepTheirs) {
    RegexObject re;
    ASSERT_TRUE(re.execute("(\\d)", "1 2 3"));
    const RegexObject copy = re;
    ASSERT_TRUE(re.execute("([a-z])", "x"));
    EXPECT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatch(1, 1), "x");
    EXPECT_EQ(copy.matchCount(), 3);
    EXPECT_EQ(copy.subMatch(3, 1), "3");
    RegexObject moved = std::move(re);
    EXPECT_EQ(moved.subMatch(1, 1), "x");
}

TEST(RegexObject, GbkSubjectWholeCharacters) {
    RegexObject re;
    // "." takes a whole character; a backslash trail byte is not a backslash.
    const Text subject = gbk("乗书名") + "\\" + gbk("作者");
    ASSERT_TRUE(re.execute("^(.)(.*?)\\\\(.+)$", subject));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatch(1, 1), gbk("乗"));
    EXPECT_EQ(re.subMatch(1, 2), gbk("书名"));
    EXPECT_EQ(re.subMatch(1, 3), gbk("作者"));
    // A GBK pattern, and the euro byte 0x80 as one character.
    ASSERT_TRUE(re.execute(gbk("作(.)"), gbk("作者") + "\x80" + gbk("作") + "\x80"));
    ASSERT_EQ(re.matchCount(), 2);
    EXPECT_EQ(re.subMatch(2, 1), "\x80");
    // Invalid bytes neither break matching nor get lost in the groups.
    ASSERT_TRUE(re.execute("a(.)b(.*)",
                           "a\xFF"
                           "b\xD6"));
    EXPECT_EQ(re.subMatch(1, 1), "\xFF");
    EXPECT_EQ(re.subMatch(1, 2), "\xD6");
}

TEST(RegexObject, OptionsGlobalMultilineQuote) {
    RegexObject re;
    ASSERT_TRUE(re.execute("a", "aaa", false, true, false));
    EXPECT_EQ(re.matchCount(), 1);
    ASSERT_TRUE(re.execute("^x", "x\nx"));
    EXPECT_EQ(re.matchCount(), 2);
    ASSERT_TRUE(re.execute("^x", "x\nx", false, false));
    EXPECT_EQ(re.matchCount(), 1);
    const Text q = gbk("#引号");
    ASSERT_TRUE(re.execute("href=" + q + "(.*?)" + q, "<a href=\"u\">", false, true, true, true));
    EXPECT_EQ(re.subMatch(1, 1), "u");
    EXPECT_EQ(re.currentPattern(), "href=\"(.*?)\"");
    ASSERT_TRUE(re.execute("href=" + q, "<a href=\"u\">"));
    EXPECT_EQ(re.matchCount(), 0);  // without quoteEscape the word is literal
}

TEST(RegexObject, EmptyMatchesAdvance) {
    RegexObject re;
    ASSERT_TRUE(re.execute("x*", gbk("中x")));
    // Empty at 0, "x" after the double-byte character, empty at the end.
    ASSERT_EQ(re.matchCount(), 3);
    EXPECT_EQ(re.matchText(1), "");
    EXPECT_EQ(re.matchText(2), "x");
    EXPECT_EQ(re.subMatchCount(), 0);
}

TEST(RegexObject, OptionalGroupThatDidNotTakePart) {
    RegexObject re;
    ASSERT_TRUE(re.execute("a(b)?(c)", "ac"));
    EXPECT_EQ(re.subMatchCount(), 2);
    EXPECT_EQ(re.subMatch(1, 1), "");
    EXPECT_EQ(re.subMatch(1, 2), "c");
}

TEST(RegexObject, ReplaceMatches) {
    RegexObject re;
    ASSERT_TRUE(re.execute("&(\\w+);", "a&amp;b&lt;c"));
    EXPECT_EQ(re.replaceMatches(""), "abc");
    EXPECT_EQ(re.replaceMatches("[$1|$&|$$|$2|$]"), "a[amp|&amp;|$|$2|$]b[lt|&lt;|$|$2|$]c");
    ASSERT_TRUE(re.execute("(\\w)", gbk("中a文b"), false, true, false));
    EXPECT_EQ(re.replaceMatches("<$1>"), gbk("中<a>文b"));
    ASSERT_TRUE(re.execute("z", "abc"));
    EXPECT_EQ(re.replaceMatches("x"), "abc");
}

}  // namespace
}  // namespace pel
