// Where the result page and the books go, over writable and unwritable candidates.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "core/folder_choice.h"
#include "support/app_fixture.h"

namespace pel {
namespace {

using std::filesystem::path;

TEST(ChooseFolders, ProgramFolderWhenWritableElseTheUsersOwnFolders) {
    struct Case {
        const char* name;
        std::set<path> writable;
        path bookSetting;
        path page;
        path books;
    };
    const path program = "/opt/pelnoria";
    const path cache = "/home/u/.cache";
    const path downloads = "/home/u/Downloads";
    const Case cases[] = {
        {"portable copy", {program, cache, downloads}, {}, program, program},
        {"portable copy, nothing else writable", {program}, {}, program, program},
        {"installed copy", {cache, downloads}, {}, cache / "Pelnoria", downloads / "Pelnoria"},
        // The fallbacks are not probed: a failing write then names the user's own folder.
        {"installed copy, user folders unwritable",
         {},
         {},
         cache / "Pelnoria",
         downloads / "Pelnoria"},
        {"installed copy, books set",
         {cache, downloads},
         "/srv/books",
         cache / "Pelnoria",
         "/srv/books"},
        {"portable copy, books set", {program}, "/srv/books", program, "/srv/books"},
    };
    for (const Case& c : cases) {
        std::vector<path> probed;
        const Folders folders =
            chooseFolders({program, cache, downloads, c.bookSetting}, [&](const path& dir) {
                probed.push_back(dir);
                return c.writable.count(dir) > 0;
            });
        EXPECT_EQ(folders.pageDirectory, c.page) << c.name;
        EXPECT_EQ(folders.bookDirectory, c.books) << c.name;
        EXPECT_EQ(probed, std::vector<path>{program}) << c.name;
    }
}

TEST(CanWriteInto, CreatesTheFolderAndLeavesNothingBehind) {
    const path base = testing::makeTempDirectory("pelnoria-probe");
    const path fresh = base / "a" / "b";
    EXPECT_TRUE(canWriteInto(fresh));
    EXPECT_TRUE(std::filesystem::is_directory(fresh));
    EXPECT_TRUE(std::filesystem::is_empty(fresh));

    // A folder under a regular file cannot exist, for root as for anyone.
    const path blocker = base / "file";
    { std::ofstream(blocker) << "x"; }
    EXPECT_FALSE(canWriteInto(blocker / "dir"));
    EXPECT_FALSE(canWriteInto(blocker));
    EXPECT_FALSE(canWriteInto(path()));
    std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace pel
