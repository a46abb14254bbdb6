// Writing a file whole: exactly the bytes given, and on any failure the earlier file as it was.
#include "core/file_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace pel {
namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
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
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"book.txt"});
}

TEST(WriteWholeFile, FalseWhenTheFileCannotBeWritten) {
    const std::filesystem::path dir = testing::makeTempDirectory("file-write");
    EXPECT_FALSE(writeWholeFile(dir / "missing" / "book.txt", "x"));
    EXPECT_FALSE(writeWholeFile(dir, "x"));  // a directory
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    // Something other than a regular file stays what it is.
    const std::filesystem::path pipe = dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(writeWholeFile(pipe, "x"));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"pipe"});
}

// A full disk, a sync or a rename that fails: the earlier copy survives whole and nothing
// else is left in the folder.
TEST(WriteWholeFile, AFailingStepLeavesTheEarlierCopyAndNoTemporaryFile) {
    const auto fail = [](int error) {
        return [error](auto&&...) {
            errno = error;
            return -1;
        };
    };
    FileCalls fullDisk;
    fullDisk.write = fail(ENOSPC);
    FileCalls noRoomAfterSome;  // the first bytes go out, then the disk is full
    noRoomAfterSome.write = [calls = 0](int fd, const char* data, std::size_t size) mutable {
        if (++calls > 1) {
            errno = EDQUOT;
            return -1L;
        }
        return static_cast<long>(::write(fd, data, std::min<std::size_t>(size, 4)));
    };
    FileCalls syncFails;
    syncFails.sync = fail(EIO);
    FileCalls renameFails;
    renameFails.rename = fail(EXDEV);
    const struct {
        const char* label;
        FileCalls calls;
    } cases[] = {
        {"write", fullDisk},
        {"second write", noRoomAfterSome},
        {"sync", syncFails},
        {"rename", renameFails},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::filesystem::path dir = testing::makeTempDirectory("file-write");
        ASSERT_TRUE(writeWholeFile(dir / "book.txt", "the earlier copy"));
        EXPECT_FALSE(writeWholeFile(dir / "book.txt", "a new and longer book", c.calls));
        EXPECT_EQ(contents(dir / "book.txt"), "the earlier copy");
        EXPECT_EQ(namesIn(dir), std::vector<std::string>{"book.txt"});
        std::filesystem::remove_all(dir);
    }
}

TEST(ReplacingFile, ShortWritesAreContinuedAndPiecesJoinInOrder) {
    const std::filesystem::path dir = testing::makeTempDirectory("file-write");
    FileCalls trickle;
    trickle.write = [](int fd, const char* data, std::size_t size) {
        return static_cast<long>(::write(fd, data, std::min<std::size_t>(size, 3)));
    };
    ReplacingFile file(dir / "book.txt", trickle);
    ASSERT_TRUE(file.ok());
    EXPECT_TRUE(file.append("第一章\r\n"));
    EXPECT_TRUE(file.append(""));
    EXPECT_TRUE(file.append("第二章\r\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "book.txt"));  // not before the commit
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(contents(dir / "book.txt"), "第一章\r\n第二章\r\n");
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"book.txt"});
}

TEST(ReplacingFile, GivenUpWithoutACommitItLeavesTheTargetAlone) {
    const std::filesystem::path dir = testing::makeTempDirectory("file-write");
    ASSERT_TRUE(writeWholeFile(dir / "book.txt", "old"));
    ::chmod((dir / "book.txt").c_str(), 0640);
    {
        ReplacingFile file(dir / "book.txt");
        EXPECT_TRUE(file.append("half a bo"));
    }
    EXPECT_EQ(contents(dir / "book.txt"), "old");
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"book.txt"});

    // A replaced file keeps the permissions of the earlier one.
    ASSERT_TRUE(writeWholeFile(dir / "book.txt", "new"));
    struct stat info {};
    ASSERT_EQ(::stat((dir / "book.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace pel
