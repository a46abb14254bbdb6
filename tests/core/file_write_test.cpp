// Writing a file whole: exactly the bytes given, whatever was there before.
#include "core/file_write.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/app_fixture.h"

namespace pel {
namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WriteWholeFile, WritesExactlyTheBytesAndReplacesALongerFile) {
    const std::filesystem::path file = testing::makeTempDirectory("file-write") / "book.txt";
    const std::string bytes("\xD6\xD0\r\n\0\n\x80", 7);
    ASSERT_TRUE(writeWholeFile(file, bytes));
    EXPECT_EQ(contents(file), bytes);

    ASSERT_TRUE(writeWholeFile(file, "ab"));
    EXPECT_EQ(contents(file), "ab");  // nothing of the longer file is left behind

    ASSERT_TRUE(writeWholeFile(file, ""));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

TEST(WriteWholeFile, FalseWhenTheFileCannotBeWritten) {
    const std::filesystem::path dir = testing::makeTempDirectory("file-write");
    EXPECT_FALSE(writeWholeFile(dir / "missing" / "book.txt", "x"));
    EXPECT_FALSE(writeWholeFile(dir, "x"));  // a directory
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST(WriteWholeFile, FalseWhenTheBytesDoNotAllGetOut) {
    // /dev/full opens fine and fails every write with "no space left": only the check after
    // the last buffered bytes went out can see it.
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    EXPECT_FALSE(writeWholeFile("/dev/full", "x"));
}

}  // namespace
}  // namespace pel
