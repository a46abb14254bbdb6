// The text passes of the chapter cleaner, per site, as a table of inputs and outputs.
#include <gtest/gtest.h>

#include "download/chapter_cleaner.h"
#include "text/encoding.h"

namespace pel {
namespace {

Watermarks testMarks() {
    Watermarks marks;
    marks.xswHost = "www.xsw.test";
    marks.meikeName = "meike";
    marks.meikeHost = "www.meike.test";
    marks.site3Domain = "dddemo.cn";
    marks.site4Host = "www.wm.test";
    marks.site4MobileHost = "m.wm.test";
    return marks;
}

struct CleanCase {
    const char* what;
    int site;
    const char* input;     // UTF-8, converted to GBK
    const char* expected;  // UTF-8, converted to GBK
};

const CleanCase kCases[] = {
    // Removals every site shares.
    {"opening paragraph tags go, closing ones stay", 2, "<p>一</p><p>二</p>", "一</p>二</p>"},
    {"spaces, quotes, closing divs, script calls, end notes", 5,
     "&nbsp;&nbsp;甲&quot;乙&quot;</div><script>readx();</script>(本章完)", "甲乙"},
    {"third-site credit", 6, "甲(小说屋 www.xsw.test)乙", "甲乙"},
    {"credit with its romanised name", 6, "甲(meike 美克文学网 www.meike.test)乙", "甲乙"},
    {"a credit in another letter case stays", 6, "(小说屋 WWW.XSW.TEST)", "(小说屋 WWW.XSW.TEST)"},
    // Order: the quote entity goes after the credit test, so this credit survives.
    {"the credit is matched before quote entities go", 2, "(小说屋 &quot;www.xsw.test)",
     "(小说屋 www.xsw.test)"},
    // The entity step.
    {"named and numeric entities are deleted, not decoded", 2, "a&amp;b&lt;c&#123456;d", "abcd"},
    {"seven bytes between & and ; go", 2, "a&abcdefg;b", "ab"},
    {"eight bytes between & and ; stay", 2, "a&abcdefgh;b", "a&abcdefgh;b"},
    {"the limit counts bytes: three Chinese characters go, four stay", 2,
     "甲&中文字;乙&中文字四;丙", "甲乙&中文字四;丙"},
    {"a stray ampersand takes the prose up to the semicolon", 2, "你 & 我; 他", "你  他"},
    {"a repeated entity goes everywhere", 2, "&lt;x&lt;y&gt;", "xy"},
    {"& without ; skips the step", 2, "a & b", "a & b"},
    {"the entity step runs before the line breaks go", 2, "甲<br &amp;/>乙", "甲乙"},
    // Sites 2, 5 and 6: every line-break tag goes, the page's own line ends stay.
    {"site 2 line breaks", 2, "一<br />\r\n二<br /><br />\r\n", "一\r\n二\r\n"},
    {"site 5 line breaks", 5, "一<br />\r\n二", "一\r\n二"},
    {"site 6 line breaks", 6, "一<br />二", "一二"},
    // Site 3.
    {"site 3: a doubled break becomes a line end, a single one stays", 3,
     "一<br /><br />二<br />三", "一\r\n二<br />三"},
    {"site 3: an entity between two breaks makes a doubled break", 3, "一<br />&lt;<br />二",
     "一\r\n二"},
    {"site 3: the full-width domain", 3, "甲ＤＤＤＥＭＯ．ＣＮ乙", "甲乙"},
    {"site 3: the spaced credit goes whole", 3, "甲顶 点 小 说 Ｄ ＤＤ Ｅ ＭＯ． ＣＮ乙", "甲乙"},
    {"site 3: the site's names and the fastest-update note", 3, "顶 点 小 说甲顶点小说乙更新最快",
     "甲乙"},
    {"site 3: the domain without its first character", 3, "甲ＤＤＥＭＯ．ＣＮ乙", "甲乙"},
    {"site 3: the domain in full-width lower case stays", 3, "ｄｄｄｅｍｏ．ｃｎ",
     "ｄｄｄｅｍｏ．ｃｎ"},
    {"site 3 keeps the other sites' line breaks rule out", 3, "一<br />二", "一<br />二"},
    // Site 4.
    {"site 4: the credit line goes although it ends in a line break", 4,
     "甲精彩阅读·尽在·无名小说网（<a href=\"http://www.wm.test\" "
     "target=\"_blank\">www.wm.test</a>）<br />乙<br />丙",
     "甲乙丙"},
    {"site 4: mobile credit with capitalised host", 4,
     "甲手机看书，尽在·无名小说手机版M.wm.tesT</p>乙", "甲乙"},
    {"site 4: mobile credit in another letter case stays", 4,
     "手机看书，尽在·无名小说手机版m.wm.test</p>", "手机看书，尽在·无名小说手机版m.wm.test</p>"},
    {"site 4: second mobile credit, lower-case host", 4,
     "甲手机看好书·尽在·无名小说手机版（m.wm.test）</p>乙</p>", "甲乙</p>"},
    {"site 4: second mobile credit with a capitalised host stays", 4,
     "手机看好书·尽在·无名小说手机版（M.wm.tesT）</p>",
     "手机看好书·尽在·无名小说手机版（M.wm.tesT）</p>"},
    {"site 3's watermarks mean nothing on site 2", 2, "顶点小说ＤＤＤＥＭＯ．ＣＮ",
     "顶点小说ＤＤＤＥＭＯ．ＣＮ"},
};

TEST(CleanChapterText, RemovesWhatEachSiteAddsInOrder) {
    const Watermarks marks = testMarks();
    for (const CleanCase& c : kCases) {
        EXPECT_EQ(cleanChapterText(gbk(c.input), c.site, marks), gbk(c.expected)) << c.what;
    }
}

TEST(CleanChapterText, FullWidthFormsAreMadeFromTheConfiguredDomain) {
    Watermarks marks = testMarks();
    marks.site3Domain = "ab-12.xyz";
    EXPECT_EQ(cleanChapterText(gbk("甲ＡＢ－１２．ＸＹＺ乙顶 点 小 说 Ａ Ｂ－ １ ２．Ｘ ＹＺ丙"), 3,
                               marks),
              gbk("甲乙丙"));
}

// A chapter made of a great many entities of a few kinds (quotes, ampersands, a numeric one)
// is cleaned with one pass per kind of entity, not one pass over the whole text per entity,
// which grows with the square of the chapter. Every entity goes, every other byte stays.
TEST(CleanChapterText, ManyRepeatedEntitiesAreAllRemoved) {
    const Text piece = gbk("甲&ldquo;乙&amp;丙&#8220;丁&rdquo;\r\n");
    const Text plain = gbk("甲乙丙丁\r\n");
    Text cut;
    Text expected;
    for (int i = 0; i < 40000; ++i) {
        cut += piece;
        expected += plain;
    }
    EXPECT_EQ(cleanChapterText(cut, 2, testMarks()), expected);
}

}  // namespace
}  // namespace pel
