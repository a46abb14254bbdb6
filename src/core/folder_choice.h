// Where the program writes: the result page with its picture, and the books. A portable copy
// (its folder writable) keeps everything beside the program; an installed copy, whose folder
// it cannot write, uses the user's own folders instead.
#pragma once

#include <filesystem>
#include <functional>

namespace pel {

struct FolderCandidates {
    std::filesystem::path programDirectory;
    std::filesystem::path cacheHome;       // the user's cache folder ($XDG_CACHE_HOME)
    std::filesystem::path downloadFolder;  // the user's download folder
    std::filesystem::path bookDirectory;   // set by the site file; empty: not set
};

struct Folders {
    std::filesystem::path pageDirectory;  // the result page and its picture
    std::filesystem::path bookDirectory;  // the saved books; opened after a save
};

// True when the program can create files in the folder (creating the folder if need be).
using WritableProbe = std::function<bool(const std::filesystem::path&)>;

// The program directory when it is writable. Otherwise the page goes to a "Pelnoria" folder
// in the cache folder, and the books to a "Pelnoria" folder in the download folder. A book
// folder set by the site file wins either way: the user asked for it. Only the program
// directory is probed; a fallback that cannot be written still names the user's own folder,
// so the failure the program reports points at the place a user can fix.
Folders chooseFolders(const FolderCandidates& candidates, const WritableProbe& writable);

// The probe the program uses: creates the folder with its parents, then creates and removes
// a file in it. Permissions are not guessed from mode bits: root, read-only mounts and ACLs
// all answer the same way a write does.
bool canWriteInto(const std::filesystem::path& directory);

}  // namespace pel
