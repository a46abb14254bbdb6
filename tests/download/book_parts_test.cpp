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

TEST(BookFileName, JoinsNameAndAuthorAndDropsWhatNoFileNameMayHold) {
    const Text book = "http://127.0.0.1:8080/book/42/";
    struct Case {
        Text name;  // GBK
        Text author;
        Text bookUrl;
        std::string fileName;  // UTF-8
    } const cases[] = {
        {gbk("书名"), gbk("作者"), book, "书名-作者"},
        {gbk("书/名:"), gbk("作*者"), book, "书名-作者"},
        {gbk(""), gbk("作者"), book, "作者"},
        {gbk("书名"), gbk(""), book, "书名"},
        {gbk("a|b\\c<d>e\"f"), gbk("g"), book, "abcdef-g"},
        {gbk("问号?留下"), gbk("空 格"), book, "问号?留下-空 格"},
        {gbk("制表\t换行\r\n\x7F"), gbk(""), book, "制表换行"},
        // A stray lead byte before "/": the GBK scan would take the two for one character.
        {gbk("上") + "\x81/" + gbk("下"), gbk(""), book, "上?下"},
        {"\x81/..", "", book, "?.."},
        // Names that name no file of their own: the book's id, or a fixed name.
        {gbk(""), gbk(""), book, "42"},
        {gbk(".."), gbk(""), "http://h/read/7_123.html?x=1", "7_123"},
        {gbk("/."), gbk(""), "h/12_345/", "12_345"},
        {gbk(""), gbk(""), "", "未命名"},
        {gbk("..."), gbk(""), "http://h/", "未命名"},
        {gbk(""), gbk(""), "http://h/../", "未命名"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bookFileName(c.name, c.author, c.bookUrl), c.fileName) << c.fileName;
    }
}

// 255 bytes for the whole name with ".txt": the cut falls before the character that would
// not fit whole.
TEST(BookFileName, LongNamesAreCutAtACharacterToFitWithTheExtension) {
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    struct Case {
        std::string name;      // UTF-8
        std::string fileName;  // UTF-8
    } const cases[] = {
        {repeat("长", 83) + "ab", repeat("长", 83) + "ab"},  // 251 bytes: fits as it is
        {repeat("长", 90), repeat("长", 83)},                // 249 bytes
        {"a" + repeat("长", 90), "a" + repeat("长", 83)},    // 250
        {"ab" + repeat("长", 90), "ab" + repeat("长", 83)},  // 251
        {repeat("x", 300), repeat("x", 251)},
    };
    for (const Case& c : cases) {
        const std::string got = bookFileName(gbk(c.name), "", "");
        EXPECT_EQ(got, c.fileName) << c.name.size();
        EXPECT_LE(got.size() + 4, 255u);
    }
    // The author is cut as part of the whole name.
    EXPECT_EQ(bookFileName(gbk(repeat("书", 80)), gbk("作者作者"), ""),
              repeat("书", 80) + "-作者作");
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
