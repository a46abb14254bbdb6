// Code-page conversions: the standard mappings, "?" for what cannot be converted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/encoding.h"

namespace pel {
namespace {

const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4";  // 中文
const std::string kZhongWenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(Utf8ToGbk, StandardMappingAndQuestionMarks) {
    struct Case {
        const char* name;
        std::string in;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"chinese", kZhongWenUtf8, kZhongWenGbk},
        {"ascii unchanged", "abc 123\r\n", "abc 123\r\n"},
        {"empty", "", ""},
        {"euro is 0x80", "\xE2\x82\xAC", "\x80"},
        {"middle dot", "\xC2\xB7", "\xA1\xA4"},
        {"full-width space", "\xE3\x80\x80", "\xA1\xA1"},
        {"unrepresentable emoji is one ?",
         "a\xF0\x9F\x98\x80"
         "b",
         "a?b"},
        {"two unrepresentable characters", "\xF0\x9F\x98\x80\xE2\x98\x83", "??"},  // 😀☃
        {"stray continuation byte", "a\x80z", "a?z"},
        {"truncated sequence inside", "a\xE4\xB8z", "a?z"},
        {"truncated sequence at the end", "a\xE4\xB8", "a?"},
        {"invalid lead byte", "\xFF\xFEok", "??ok"},
        {"stops at the first zero", std::string("ab\0cd", 5), "ab"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8ToGbk(c.in), c.expected) << c.name;
    }
    EXPECT_EQ(gbk("中文"), kZhongWenGbk);
}

TEST(GbkToUtf8, ValidAndInvalidBytes) {
    EXPECT_EQ(gbkToUtf8(kZhongWenGbk), kZhongWenUtf8);
    EXPECT_EQ(gbkToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(gbkToUtf8("\x81\x5C"), "\xE4\xB9\x97");  // 乗, a backslash trail byte
    // A lead byte without a valid trail loses only itself; the next byte is kept.
    EXPECT_EQ(gbkToUtf8("\xD6"
                        "0"),
              "?0");
    EXPECT_EQ(gbkToUtf8("x\xFF"
                        "y"),
              "x?y");
    EXPECT_EQ(gbkToUtf8("x\xD6"), "x?");  // cut short at the end
    EXPECT_EQ(utf8ToGbk(gbkToUtf8(gbk("第一章 风起"))), gbk("第一章 风起"));
}

TEST(Utf16, RoundTripsAndTerminator) {
    const Bytes u = toUtf16(kZhongWenUtf8);
    EXPECT_EQ(u, std::string("\x2D\x4E\x87\x65\0\0", 6));
    EXPECT_EQ(toUtf16(""), std::string("\0\0", 2));
    EXPECT_EQ(toUtf16(kZhongWenGbk, kCodePageGbk), u);
    EXPECT_EQ(fromUtf16(u), kZhongWenGbk);
    EXPECT_EQ(fromUtf16(u, kCodePageUtf8), kZhongWenUtf8);
    // The first zero unit ends the text, wherever it is.
    EXPECT_EQ(fromUtf16(std::string("a\0\0\0b\0", 6)), "a");
    EXPECT_EQ(fromUtf16(std::string("a\0b\0", 4)), "ab");
    // A surrogate pair GBK cannot hold is one "?"; an unpaired surrogate is one "?" too.
    EXPECT_EQ(fromUtf16(std::string("\x3D\xD8\x00\xDE"
                                    "a\0",
                                    6)),
              "?a");
    EXPECT_EQ(fromUtf16(std::string("\x3D\xD8"
                                    "a\0",
                                    4)),
              "?a");
}

TEST(DecodeToGbk, KnownAndUnknownCharsets) {
    Text out = "untouched";
    EXPECT_FALSE(decodeToGbk("abc", "no-such-charset", out));
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(decodeToGbk("abc", "", out));
    ASSERT_TRUE(decodeToGbk(kZhongWenUtf8, "UTF-8", out));
    EXPECT_EQ(out, kZhongWenGbk);
    ASSERT_TRUE(decodeToGbk(kZhongWenGbk, " gbk ", out));
    EXPECT_EQ(out, kZhongWenGbk);
    // A page labelled gb2312 that uses a GBK-only character keeps it.
    ASSERT_TRUE(decodeToGbk("\x81\x5C", "gb2312", out));
    EXPECT_EQ(out, "\x81\x5C");
    ASSERT_TRUE(decodeToGbk("\xA4\xA4\xA4\xE5", "big5", out));  // 中文 in Big5
    EXPECT_EQ(out, kZhongWenGbk);
    ASSERT_TRUE(decodeToGbk("caf\xE9", "iso-8859-1", out));  // GBK has é as 0xA8 0xA6
    EXPECT_EQ(out, "caf\xA8\xA6");
    ASSERT_TRUE(
        decodeToGbk("a\xFF"
                    "b",
                    "utf-8", out));
    EXPECT_EQ(out, "a?b");
}

TEST(PercentEncoding, EveryByteEncoded) {
    EXPECT_EQ(urlEncodeUtf8(""), "");
    EXPECT_EQ(urlEncodeUtf8("\t"), "%09");
    EXPECT_EQ(urlEncodeUtf8(gbk("中") + "a"), "%E4%B8%AD%61");
    EXPECT_EQ(percentEncodeGbk(""), "");
    EXPECT_EQ(percentEncodeGbk("ab 1"), "%61%62%20%31");
    EXPECT_EQ(percentEncodeGbk(gbk("中")), "%D6%D0");
    EXPECT_EQ(percentEncodeGbk("\x01\xFF"), "%01%FF");
}

TEST(PercentDecode, HexPairsAndOptionalPlus) {
    struct Case {
        const char* in;
        bool plusIsSpace;
        std::string expected;
    };
    const Case cases[] = {
        {"%D6%d0a", false,
         "\xD6\xD0"
         "a"},
        {"%2", false, "%2"},      // cut short
        {"a%4", false, "a%4"},    // cut short at the end
        {"%G1%", false, "%G1%"},  // not hex
        {"%%41", false, "%A"},
        {"%00x", false, std::string("\0x", 2)},
        {"a+b%2B", false, "a+b+"},
        {"a+b%2B", true, "a b+"},
        {"", true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(percentDecode(c.in, c.plusIsSpace), c.expected) << c.in;
    }
    EXPECT_EQ(percentDecode(percentEncodeGbk(gbk("中 文"))), gbk("中 文"));
}

}  // namespace
}  // namespace pel
