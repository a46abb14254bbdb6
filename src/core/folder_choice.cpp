#include "core/folder_choice.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace pel {

Folders chooseFolders(const FolderCandidates& candidates, const WritableProbe& writable) {
    Folders folders;
    if (writable(candidates.programDirectory)) {
        folders.pageDirectory = candidates.programDirectory;
        folders.bookDirectory = candidates.programDirectory;
    } else {
        folders.pageDirectory = candidates.cacheHome / "Pelnoria";
        folders.bookDirectory = candidates.downloadFolder / "Pelnoria";
    }
    if (!candidates.bookDirectory.empty())
        folders.bookDirectory = candidates.bookDirectory;
    return folders;
}

bool canWriteInto(const std::filesystem::path& directory) {
    if (directory.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (!std::filesystem::is_directory(directory, ec))
        return false;
    // A name no other file has, so that two copies starting at once do not meet.
    std::random_device random;
    const std::filesystem::path probe =
        directory / (".pelnoria-write-test-" + std::to_string(random()));
    bool written = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        written = static_cast<bool>(out);
    }
    std::filesystem::remove(probe, ec);
    return written;
}

}  // namespace pel
