// The pieces of the saved book: chapter records, file names and the progress fill.
#include <gtest/gtest.h>

#include "download/chapter_scheduler.h"
#include "text/encoding.h"

namespace pel {
namespace {

TEST(ChapterRecord, TitleLineThenTextWithoutTheTitle) {
    struct Case {
        const char* title;
        const char* text;
        const char* record;
    } const cases[] = {
        {"第一章 开端", "第一章 开端\r\n他来了。\r\n", "第一章 开端\r\n\r\n他来了。\r\n\r\n"},
        {"第二章", "甲第二章乙第二章丙", "第二章\r\n甲乙丙\r\n"},
        {"第三章", "", "第三章\r\n\r\n"},
        {"", "无题", "\r\n无题\r\n"},
        // Removal is case-sensitive.
        {"Chapter", "chapter Chapter", "Chapter\r\nchapter \r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chapterRecord(gbk(c.title), gbk(c.text)), gbk(c.record)) << c.title;
    }
}

TEST(BookFileName, JoinsNameAndAuthorAndDropsTheEightCharacters) {
    struct Case {
        const char* name;
        const char* author;
        const char* fileName;
    } const cases[] = {
        {"书名", "作者", "书名-作者"},
        {"书/名:", "作*者", "书名-作者"},
        {"", "作者", "作者"},
        {"书名", "", "书名"},
        {"", "", ""},
        {"a|b\\c<d>e\"f", "g", "abcdef-g"},
        {"问号?留下", "空 格", "问号?留下-空 格"},
        {"..", "", ".."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bookFileName(gbk(c.name), gbk(c.author)), gbk(c.fileName)) << c.name;
    }
}

TEST(ProgressFillWidth, TruncatesTowardZero) {
    struct Case {
        int done, count, width;
    } const cases[] = {
        {1, 274, 0}, {99, 100, 270}, {273, 274, 272}, {274, 274, 273}, {1, 1, 273}, {0, 5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(progressFillWidth(c.done, c.count), c.width) << c.done << "/" << c.count;
    }
}

}  // namespace
}  // namespace pel
