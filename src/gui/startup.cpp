#include "gui/startup.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <system_error>

#include "build_config.h"

namespace pel {
namespace {

constexpr const char* kSiteFileName = "pelnoria.ini";

std::filesystem::path localPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// A value with an unquoted comma comes back from QSettings as a list; the file meant one text.
std::string valueText(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    return value.toString().toStdString();
}

SiteFileOutcome unusable(const QString& file, const QString& reason) {
    SiteFileOutcome outcome;
    outcome.file = file;
    outcome.problem = QStringLiteral(
                          "The site file %1 is not used: %2. Pelnoria starts on the "
                          "sites it was built with.")
                          .arg(file, reason);
    return outcome;
}

}  // namespace

StartupPaths standardStartupPaths(const std::filesystem::path& programDirectory) {
    StartupPaths paths;
    paths.programDirectory = programDirectory;
    paths.configHome =
        localPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    paths.cacheHome =
        localPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
    paths.downloadFolder =
        localPath(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    return paths;
}

SiteFileOutcome readSiteFile(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists())
        return unusable(file, QStringLiteral("there is no such file"));
    if (!info.isFile())
        return unusable(file, QStringLiteral("it is not a file"));
    if (!info.isReadable())
        return unusable(file, QStringLiteral("it cannot be read"));
    const QSettings ini(file, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return unusable(file, QStringLiteral("it is not an INI file"));
    SiteFileValues values;
    for (const QString& key : ini.allKeys())
        values[key.toStdString()] = valueText(ini.value(key));

    SiteFileOutcome outcome;
    outcome.file = file;
    outcome.check = checkSiteFile(values);
    if (!outcome.check.valid) {
        const QString reason =
            QString::fromStdString(siteFileKeyName(outcome.check.key) + " " + outcome.check.reason);
        return unusable(file, reason);
    }
    return outcome;
}

SiteFileOutcome findSiteFile(const CommandLine& line, const StartupPaths& paths) {
    if (line.demo)
        return {};
    if (!line.sitesFile.isEmpty())
        return readSiteFile(line.sitesFile);
    for (const std::filesystem::path& candidate :
         {paths.programDirectory / kSiteFileName, paths.configHome / "Pelnoria" / kSiteFileName}) {
        const QString file = qtPath(candidate);
        if (QFileInfo::exists(file))
            return readSiteFile(file);
    }
    return {};
}

std::filesystem::path chapterCacheFolder(const StartupPaths& paths) {
    if (!paths.cacheHome.is_absolute())
        return {};
    return paths.cacheHome / "Pelnoria" / "chapters";
}

Startup prepareStartup(const CommandLine& line, const StartupPaths& paths, AppSettings buildTable,
                       const WritableProbe& writable) {
    Startup startup;
    startup.settings = std::move(buildTable);
    const SiteFileOutcome siteFile = findSiteFile(line, paths);
    startup.problem = siteFile.problem;
    const bool fileInUse = siteFile.check.valid;
    if (fileInUse)
        useSiteFile(startup.settings, siteFile.check);
    startup.startDemoSites = PELNORIA_SITES_DEMO && !fileInUse;
    if (!fileInUse || siteFile.check.cacheEnabled)
        startup.settings.chapterCacheDirectory = chapterCacheFolder(paths);
    startup.settings.readChapterCache = !line.noCache;

    const Folders folders =
        chooseFolders({paths.programDirectory, paths.cacheHome, paths.downloadFolder,
                       fileInUse ? siteFile.check.bookDirectory : std::filesystem::path()},
                      writable);
    startup.settings.programDirectory = paths.programDirectory;
    startup.settings.pageDirectory = folders.pageDirectory;
    startup.settings.bookDirectory = folders.bookDirectory;
    // A folder that cannot be made shows up later as a failed write, which says so.
    std::error_code ec;
    std::filesystem::create_directories(folders.pageDirectory, ec);
    std::filesystem::create_directories(folders.bookDirectory, ec);
    return startup;
}

}  // namespace pel
