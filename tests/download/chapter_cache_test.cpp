// The chapter cache on a temporary folder: records come back byte for byte or not at all,
// damaged and half-written entries are refused, the cap evicts whole books by last use, and
// many workers can store at once.
#include "download/chapter_cache.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/app_fixture.h"

namespace pel {
namespace {

namespace fs = std::filesystem;

const Text kBook = "http://127.0.0.1:8080/book/12/";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class ChapterCacheTest : public ::testing::Test {
  protected:
    fs::path dir = testing::makeTempDirectory("chapter-cache");

    ~ChapterCacheTest() override {
        std::error_code error;
        fs::remove_all(dir, error);
    }

    // Every chapter entry on disk (not the "used" stamps, not temporary files).
    std::vector<fs::path> entryFiles() const {
        std::vector<fs::path> found;
        for (const auto& item : fs::recursive_directory_iterator(dir)) {
            std::string name = item.path().filename().string();
            if (item.is_regular_file() && name != "used" && name[0] != '.') {
                found.push_back(item.path());
            }
        }
        return found;
    }
};

TEST_F(ChapterCacheTest, RecordsComeBackByteForByteUnderTheirOwnKeys) {
    ChapterCache cache(dir);
    // GBK bytes, a zero byte and CR LF: the record is bytes, not a C string.
    const Text record = Text("\xb5\xda\xd2\xbb\xd5\xc2\r\n", 8) + Text("a\0b", 3) + "\r\n";
    const Text oddUrl = "http://127.0.0.1:8080/book/12/../../etc/passwd?x=/1&y=\\";
    ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", record));
    ASSERT_TRUE(cache.store(2, kBook, oddUrl, "odd"));
    ASSERT_TRUE(cache.store(3, kBook, kBook + "1.html", "site three"));
    ASSERT_TRUE(cache.store(2, kBook + "other/", kBook + "1.html", "other book"));

    EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), record);
    EXPECT_EQ(cache.load(2, kBook, oddUrl), "odd");
    EXPECT_EQ(cache.load(3, kBook, kBook + "1.html"), "site three");
    EXPECT_EQ(cache.load(2, kBook + "other/", kBook + "1.html"), "other book");
    EXPECT_EQ(cache.load(2, kBook, kBook + "2.html"), std::nullopt);
    EXPECT_EQ(cache.load(4, kBook, kBook + "1.html"), std::nullopt);

    // A newer record replaces the old one, and a later run (a new object) reads it.
    ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", "second version"));
    ChapterCache later(dir);
    EXPECT_EQ(later.load(2, kBook, kBook + "1.html"), "second version");

    // Addresses never become names: every file sits one level down under a hashed name.
    for (const fs::path& entry : entryFiles()) {
        EXPECT_EQ(entry.parent_path().parent_path(), dir);
        EXPECT_EQ(entry.filename().string().size(), 16u) << entry;
    }
    EXPECT_EQ(entryFiles().size(), 4u);
}

TEST_F(ChapterCacheTest, AnEmptyRecordIsNeverStoredAndLeavesTheOldOne) {
    ChapterCache cache(dir);
    EXPECT_FALSE(cache.store(2, kBook, kBook + "1.html", ""));
    EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), std::nullopt);
    EXPECT_TRUE(fs::is_empty(dir));

    ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", "kept"));
    EXPECT_FALSE(cache.store(2, kBook, kBook + "1.html", ""));
    EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), "kept");
}

TEST_F(ChapterCacheTest, DamagedEntriesAreRefusedAndRemoved) {
    struct Damage {
        const char* name;
        std::function<std::string(std::string)> apply;
    };
    const std::vector<Damage> damages = {
        {"last byte cut", [](std::string s) { return s.substr(0, s.size() - 1); }},
        {"record cut off", [](std::string s) { return s.substr(0, 20); }},
        {"header cut", [](std::string s) { return s.substr(0, 10); }},
        {"empty file", [](std::string) { return std::string(); }},
        {"byte appended", [](std::string s) { return s + "x"; }},
        {"record byte flipped",
         [](std::string s) {
             s[s.size() - 3] ^= 0x01;
             return s;
         }},
        {"length raised",
         [](std::string s) {
             s[8] = static_cast<char>(s[8] + 1);
             return s;
         }},
        {"magic changed",
         [](std::string s) {
             s[0] = 'X';
             return s;
         }},
    };
    const Text record = "\xb5\xda\xd2\xbb\xd5\xc2 chapter text";
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        ChapterCache cache(dir);
        ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", record));
        std::vector<fs::path> entries = entryFiles();
        ASSERT_EQ(entries.size(), 1u);
        writeFile(entries[0], damage.apply(readFile(entries[0])));

        EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), std::nullopt);
        EXPECT_FALSE(fs::exists(entries[0]));
        // The chapter is fetched again and stored again.
        ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", record));
        EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), record);
        ASSERT_TRUE(cache.clear());
    }
}

TEST_F(ChapterCacheTest, ALeftoverTemporaryFileIsNeverRead) {
    ChapterCache cache(dir);
    ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", "chapter one"));
    ASSERT_TRUE(cache.store(2, kBook, kBook + "2.html", "chapter two"));
    // A crash before the rename leaves the temporary file, here even complete; the entry it
    // was meant to become never appears.
    std::vector<fs::path> entries = entryFiles();
    ASSERT_EQ(entries.size(), 2u);
    const fs::path two =
        readFile(entries[0]).find("chapter two") != std::string::npos ? entries[0] : entries[1];
    fs::rename(two, two.parent_path() / ".tmp-Ab12Cd");
    // And a half-written one next to chapter one's good entry.
    writeFile(two.parent_path() / ".tmp-Zz99Yy", "PNC1\x0b");

    EXPECT_EQ(cache.load(2, kBook, kBook + "2.html"), std::nullopt);
    EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), "chapter one");
    // Clearing takes the leftovers with their book.
    ASSERT_TRUE(cache.clear());
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(ChapterCacheTest, TheCapRemovesTheLeastRecentlyUsedBooksFirst) {
    const Text record(1000, 'x');
    auto bookUrl = [](char name) { return "http://127.0.0.1:8080/" + std::string(1, name) + "/"; };
    // One chapter each: about 1.05 KB per book; the cap holds three.
    ChapterCache cache(dir, 3500);
    for (char name : {'A', 'B', 'C'}) {
        ASSERT_TRUE(cache.store(2, bookUrl(name), bookUrl(name) + "1.html", record));
    }
    EXPECT_EQ(cache.trim(), 0);
    // Reading A makes it the newest; B is now the oldest.
    ASSERT_TRUE(cache.load(2, bookUrl('A'), bookUrl('A') + "1.html"));
    ASSERT_TRUE(cache.store(2, bookUrl('D'), bookUrl('D') + "1.html", record));
    EXPECT_EQ(cache.trim(), 1);
    EXPECT_EQ(cache.load(2, bookUrl('B'), bookUrl('B') + "1.html"), std::nullopt);
    for (char name : {'A', 'C', 'D'}) {
        EXPECT_EQ(cache.load(2, bookUrl(name), bookUrl(name) + "1.html"), record) << name;
    }

    // The loads just now used A, C and D in that order, and the order lives on disk: a later
    // run with room for two drops A.
    ChapterCache later(dir, 2200);
    EXPECT_EQ(later.trim(), 1);
    EXPECT_EQ(later.load(2, bookUrl('A'), bookUrl('A') + "1.html"), std::nullopt);
    EXPECT_TRUE(later.load(2, bookUrl('C'), bookUrl('C') + "1.html"));
    EXPECT_TRUE(later.load(2, bookUrl('D'), bookUrl('D') + "1.html"));
}

TEST_F(ChapterCacheTest, ClearEmptiesTheCacheAndLeavesForeignFiles) {
    ChapterCache cache(dir);
    ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", "one"));
    ASSERT_TRUE(cache.store(5, kBook + "x/", kBook + "x/1.html", "two"));
    writeFile(dir / "notes.txt", "mine");
    fs::create_directory(dir / "keep");

    ASSERT_TRUE(cache.clear());
    EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), std::nullopt);
    EXPECT_EQ(cache.load(5, kBook + "x/", kBook + "x/1.html"), std::nullopt);
    EXPECT_TRUE(entryFiles().size() == 1u && entryFiles()[0] == dir / "notes.txt");
    EXPECT_TRUE(fs::is_directory(dir / "keep"));

    // Usable again afterwards, and a folder that does not exist is already clear.
    ASSERT_TRUE(cache.store(2, kBook, kBook + "1.html", "again"));
    EXPECT_EQ(cache.load(2, kBook, kBook + "1.html"), "again");
    EXPECT_TRUE(ChapterCache(dir / "missing").clear());
}

TEST_F(ChapterCacheTest, ManyWorkersStoreAndReadAtOnce) {
    constexpr int kWorkers = 100;
    constexpr int kChapters = 40;
    ChapterCache cache(dir);
    auto chapterUrl = [](int i) { return kBook + std::to_string(i) + ".html"; };
    // Two versions of each chapter, long enough that a torn read would show.
    auto version = [](int chapter, int v) {
        return Text(2000 + chapter, static_cast<char>('a' + v)) + std::to_string(chapter);
    };
    std::vector<std::string> failures(kWorkers);
    {
        std::vector<std::jthread> workers;
        for (int w = 0; w < kWorkers; ++w) {
            workers.emplace_back([&, w] {
                // Each chapter has several writers and readers at the same moment.
                for (int k = 0; k < 4; ++k) {
                    int chapter = (w + k * 7) % kChapters;
                    if (!cache.store(2, kBook, chapterUrl(chapter), version(chapter, w % 2))) {
                        failures[w] += "store " + std::to_string(chapter) + "; ";
                    }
                    std::optional<Text> got = cache.load(2, kBook, chapterUrl(chapter));
                    if (got != version(chapter, 0) && got != version(chapter, 1)) {
                        failures[w] += "load " + std::to_string(chapter) + "; ";
                    }
                }
            });
        }
    }
    for (int w = 0; w < kWorkers; ++w) {
        EXPECT_EQ(failures[w], "") << "worker " << w;
    }
    EXPECT_EQ(cache.trim(), 0);
    EXPECT_EQ(entryFiles().size(), static_cast<std::size_t>(kChapters));
    for (int chapter = 0; chapter < kChapters; ++chapter) {
        std::optional<Text> got = cache.load(2, kBook, chapterUrl(chapter));
        EXPECT_TRUE(got == version(chapter, 0) || got == version(chapter, 1)) << chapter;
    }
}

}  // namespace
}  // namespace pel
