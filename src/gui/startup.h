// What a run starts with: the site table (the build's own or a site file's), the folders it
// writes, and whether the demo build serves its demo sites.
#pragma once

#include <QString>
#include <filesystem>

#include "core/app_state.h"
#include "core/folder_choice.h"
#include "core/site_file.h"
#include "gui/command_line.h"

namespace pel {

// The folders the start-up looks at.
struct StartupPaths {
    std::filesystem::path programDirectory;
    std::filesystem::path configHome;      // $XDG_CONFIG_HOME, ~/.config when unset
    std::filesystem::path cacheHome;       // $XDG_CACHE_HOME, ~/.cache when unset
    std::filesystem::path downloadFolder;  // the user's download folder
};

// The user's folders as Qt finds them, for the given program directory.
StartupPaths standardStartupPaths(const std::filesystem::path& programDirectory);

struct SiteFileOutcome {
    QString file;         // the site file found; empty when there is none
    SiteFileCheck check;  // its values; valid when the file is in use
    QString problem;      // why the file is not used; empty when it is (or none was found)
};

// Reads one site file (INI, UTF-8) and checks its values.
SiteFileOutcome readSiteFile(const QString& file);

// The site file of this run: none with --demo; the --sites file when given (a missing one is
// a problem, not a reason to read another); else pelnoria.ini in the program directory, then
// in <configHome>/Pelnoria/. The first found wins, good or bad.
SiteFileOutcome findSiteFile(const CommandLine& line, const StartupPaths& paths);

// Where downloads keep their chapters: <cacheHome>/Pelnoria/chapters. Empty (no cache) when
// the cache folder is unknown or not absolute, so that a cache never lands in the working
// folder.
std::filesystem::path chapterCacheFolder(const StartupPaths& paths);

struct Startup {
    AppSettings settings;
    // A demo build with no site file in use: main() serves the demo sites and points the
    // table at them.
    bool startDemoSites = false;
    // A site file was found and cannot be used: the run goes on with the build's table, and
    // this says so (the file, the key, the reason).
    QString problem;
};

// `buildTable` is the build's own settings; a good site file replaces its table and may size
// or turn off the chapter cache. The folders are chosen through `writable` and created (the
// chapter cache's only by its first store).
Startup prepareStartup(const CommandLine& line, const StartupPaths& paths, AppSettings buildTable,
                       const WritableProbe& writable);

}  // namespace pel
