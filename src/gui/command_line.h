// The program's command line: --help, --version, --sites FILE, --demo, --no-cache and
// --clear-cache.
#pragma once

#include <QString>
#include <QStringList>

namespace pel {

struct CommandLine {
    // ClearCache: --clear-cache, which empties the chapter cache and exits with no window.
    enum class Action { Run, Help, Version, ClearCache, Error };
    Action action = Action::Run;
    bool demo = false;     // --demo: every site file is ignored
    bool noCache = false;  // --no-cache: downloads read no chapter from the cache
    QString sitesFile;     // --sites FILE; empty when not given
    // The help text or the version line (for stdout), or the error (for stderr).
    QString output;
};

// Reads the arguments (the program's name first). Needs a QCoreApplication, as the help
// text names the program from it. --help and --version win over anything else on the line,
// so that they work even beside options only the window's toolkit knows.
CommandLine parseCommandLine(const QStringList& arguments);

}  // namespace pel
