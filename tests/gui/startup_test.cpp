// The start-up's site file and folders: which file is read, what a good or a bad one does to
// the table and the demo sites, and where the files of the run go.
#include <gtest/gtest.h>

#include <QStringList>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>

#include "build_config.h"
#include "gui/program_icon.h"
#include "gui/startup.h"
#include "text/encoding.h"

namespace pel {
namespace {

namespace fs = std::filesystem;

using Overrides = std::map<std::string, std::optional<std::string>>;  // nullopt: leave out

// A site file with every key; `site1` tells the files apart. Comments as the example file
// writes them, and a UTF-8 value.
std::string siteFileText(const std::string& site1, const Overrides& overrides = {}) {
    std::map<std::string, std::string> values = {
        {"sites/site1", site1},
        {"sites/site2", "https://two.example:8443"},
        {"sites/site3", "http://three.example"},
        {"sites/site4", "http://four.example"},
        {"sites/site5", "http://five.example"},
        {"sites/site6", "http://six.example"},
        {"sites/site2_domain", "two.example"},
        {"sites/site3_domain", "three.example"},
        {"sites/site4_domain", "four.example"},
        {"sites/update", "http://update.example/pzwj/txtyz.php"},
        {"marks/xsw_host", "www.xsw.example"},
        {"marks/meike_name", "美克"},
        {"marks/meike_host", "www.meike.example"},
        {"marks/site3_domain", "ddd.ab.cn"},
        {"marks/site4_host", "www.four.example"},
        {"marks/site4_mobile_host", "m.four.example"},
    };
    for (const auto& [key, value] : overrides) {
        if (value)
            values[key] = *value;
        else
            values.erase(key);
    }
    std::string text = "; a site file\n";
    std::string section;
    for (const auto& [key, value] : values) {
        const std::string group = key.substr(0, key.find('/'));
        if (group != section) {
            text += "\n[" + group + "]\n";
            section = group;
        }
        text += "; the next key\n" + key.substr(key.find('/') + 1) + " = " + value + "\n";
    }
    return text;
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* root = std::getenv("PELNORIA_TEST_TMP");
        std::random_device random;
        root_ = fs::path(root != nullptr ? root : "/tmp") / ("startup-" + std::to_string(random()));
        paths_ = {root_ / "program", root_ / "config", root_ / "cache", root_ / "downloads"};
        fs::create_directories(paths_.programDirectory);
        fs::create_directories(paths_.configHome / "Pelnoria");
    }
    void TearDown() override { fs::remove_all(root_); }

    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    fs::path programFile() const { return paths_.programDirectory / "pelnoria.ini"; }
    fs::path configFile() const { return paths_.configHome / "Pelnoria" / "pelnoria.ini"; }

    Startup start(const CommandLine& line, bool programWritable = true) const {
        return prepareStartup(line, paths_, buildSettings(), [&](const fs::path& dir) {
            return dir == paths_.programDirectory && programWritable;
        });
    }

    fs::path root_;
    StartupPaths paths_;
};

CommandLine withSites(const fs::path& file, bool demo = false) {
    CommandLine line;
    line.sitesFile = QString::fromStdString(file.string());
    line.demo = demo;
    return line;
}

CommandLine demoLine() {
    CommandLine line;
    line.demo = true;
    return line;
}

TEST_F(StartupTest, TheFirstFileFoundGivesTheTableAndTheDemoSitesStayOff) {
    const AppSettings build = buildSettings();
    const fs::path given = root_ / "given.ini";
    struct Case {
        const char* name;
        bool programFile;
        bool configFile;
        CommandLine line;
        std::string site1;  // empty: the build's table
    };
    const Case cases[] = {
        {"no file", false, false, {}, ""},
        {"user's configuration folder", false, true, {}, "http://config.example"},
        {"program folder before the user's", true, true, {}, "http://program.example"},
        {"--sites before both", true, true, withSites(given), "http://given.example"},
        {"--demo ignores the folders' files", true, true, demoLine(), ""},
        {"--demo ignores --sites", true, true, withSites(given, true), ""},
    };
    write(given, siteFileText("http://given.example"));
    for (const Case& c : cases) {
        fs::remove(programFile());
        fs::remove(configFile());
        if (c.programFile)
            write(programFile(), siteFileText("http://program.example"));
        if (c.configFile)
            write(configFile(), siteFileText("http://config.example"));
        const Startup startup = start(c.line);
        EXPECT_TRUE(startup.problem.isEmpty()) << c.name << ": " << startup.problem.toStdString();
        if (c.site1.empty()) {
            EXPECT_EQ(startup.settings.sites.baseUrl, build.sites.baseUrl) << c.name;
            EXPECT_EQ(startup.settings.marks.meikeName, build.marks.meikeName) << c.name;
            EXPECT_EQ(startup.startDemoSites, PELNORIA_SITES_DEMO == 1) << c.name;
        } else {
            EXPECT_EQ(startup.settings.sites.baseUrl[1], c.site1) << c.name;
            EXPECT_EQ(startup.settings.sites.updateUrl, "http://update.example/pzwj/txtyz.php")
                << c.name;
            EXPECT_EQ(startup.settings.marks.meikeName, gbk("美克")) << c.name;
            EXPECT_FALSE(startup.startDemoSites) << c.name;
        }
    }
}

TEST_F(StartupTest, ABadFileGivesTheBuildsTableAndSaysWhichFileKeyAndWhy) {
    const AppSettings build = buildSettings();
    struct Case {
        Overrides overrides;
        std::string expected;  // in the message after the file's name
    };
    const Case cases[] = {
        {{{"sites/site2", "ftp://two.example"}},
         "[sites] site2 must start with http:// or https://"},
        {{{"sites/site3", "http://three.example/"}}, "[sites] site3 must not end in a slash"},
        {{{"marks/site3_domain", "dddemo.c"}}, "[marks] site3_domain must be nine ASCII"},
        {{{"marks/meike_host", std::nullopt}}, "[marks] meike_host is missing"},
        {{{"sites/update", "http://update.example/txtyz.php"}},
         "[sites] update must end in /pzwj/txtyz.php"},
        {{{"paths/books", "relative"}}, "[paths] books must be an absolute folder"},
    };
    for (const Case& c : cases) {
        write(configFile(), siteFileText("http://config.example", c.overrides));
        const Startup startup = start({});
        const std::string problem = startup.problem.toStdString();
        EXPECT_NE(problem.find(configFile().string()), std::string::npos) << problem;
        EXPECT_NE(problem.find(c.expected), std::string::npos) << problem;
        EXPECT_EQ(startup.settings.sites.baseUrl, build.sites.baseUrl) << c.expected;
        EXPECT_EQ(startup.settings.marks.site3Domain, build.marks.site3Domain) << c.expected;
        EXPECT_EQ(startup.startDemoSites, PELNORIA_SITES_DEMO == 1) << c.expected;
    }

    // A bad file found first is not passed over for a good one further on.
    write(programFile(), siteFileText("http://program/"));
    write(configFile(), siteFileText("http://config.example"));
    Startup startup = start({});
    EXPECT_NE(startup.problem.toStdString().find(programFile().string() + " is not used"),
              std::string::npos)
        << startup.problem.toStdString();
    EXPECT_EQ(startup.settings.sites.baseUrl, build.sites.baseUrl);

    // Nor is a --sites file that is not there.
    startup = start(withSites(root_ / "missing.ini"));
    EXPECT_NE(startup.problem.toStdString().find("missing.ini is not used: there is no such file"),
              std::string::npos)
        << startup.problem.toStdString();
    EXPECT_EQ(startup.settings.sites.baseUrl, build.sites.baseUrl);
}

TEST_F(StartupTest, FilesGoBesideTheProgramOrToTheUsersFolders) {
    Startup startup = start({}, true);
    EXPECT_EQ(startup.settings.pageDirectory, paths_.programDirectory);
    EXPECT_EQ(startup.settings.bookDirectory, paths_.programDirectory);

    startup = start({}, false);
    EXPECT_EQ(startup.settings.pageDirectory, paths_.cacheHome / "Pelnoria");
    EXPECT_EQ(startup.settings.bookDirectory, paths_.downloadFolder / "Pelnoria");
    EXPECT_TRUE(fs::is_directory(paths_.cacheHome / "Pelnoria"));
    EXPECT_TRUE(fs::is_directory(paths_.downloadFolder / "Pelnoria"));

    // The site file's book folder, made when missing; a file at fault sets no folder.
    const fs::path books = root_ / "my books";
    write(configFile(), siteFileText("http://config.example", {{"paths/books", books.string()}}));
    startup = start({}, false);
    EXPECT_EQ(startup.settings.bookDirectory, books);
    EXPECT_EQ(startup.settings.pageDirectory, paths_.cacheHome / "Pelnoria");
    EXPECT_TRUE(fs::is_directory(books));
    write(configFile(), siteFileText("http://config/", {{"paths/books", books.string()}}));
    startup = start({}, true);
    EXPECT_FALSE(startup.problem.isEmpty());
    EXPECT_EQ(startup.settings.bookDirectory, paths_.programDirectory);
}

TEST_F(StartupTest, TheChapterCacheLivesInTheCacheFolderAndTheSiteFileSizesOrStopsIt) {
    const fs::path folder = paths_.cacheHome / "Pelnoria" / "chapters";
    const AppSettings build = buildSettings();
    Startup startup = start({});
    EXPECT_EQ(startup.settings.chapterCacheDirectory, folder);
    EXPECT_EQ(startup.settings.chapterCacheBytes, build.chapterCacheBytes);
    EXPECT_TRUE(startup.settings.readChapterCache);
    // Made by the first store, not here.
    EXPECT_FALSE(fs::exists(folder));

    CommandLine noCache;
    noCache.noCache = true;
    startup = start(noCache);
    EXPECT_EQ(startup.settings.chapterCacheDirectory, folder);  // still written
    EXPECT_FALSE(startup.settings.readChapterCache);

    write(configFile(), siteFileText("http://config.example", {{"cache/size_mb", "64"}}));
    startup = start({});
    EXPECT_TRUE(startup.problem.isEmpty()) << startup.problem.toStdString();
    EXPECT_EQ(startup.settings.chapterCacheBytes, std::uintmax_t{64} << 20);
    EXPECT_EQ(startup.settings.chapterCacheDirectory, folder);

    write(configFile(), siteFileText("http://config.example", {{"cache/enabled", "false"}}));
    startup = start({});
    EXPECT_TRUE(startup.problem.isEmpty()) << startup.problem.toStdString();
    EXPECT_TRUE(startup.settings.chapterCacheDirectory.empty());

    // A fault in [cache] is a fault of the file, reported as any other.
    write(configFile(), siteFileText("http://config.example", {{"cache/size_mb", "lots"}}));
    startup = start({});
    EXPECT_NE(startup.problem.toStdString().find("[cache] size_mb must be a whole number"),
              std::string::npos)
        << startup.problem.toStdString();
    EXPECT_EQ(startup.settings.chapterCacheDirectory, folder);
    EXPECT_EQ(startup.settings.chapterCacheBytes, build.chapterCacheBytes);

    // With no cache folder known there is no cache, never one in the working folder.
    paths_.cacheHome.clear();
    EXPECT_TRUE(chapterCacheFolder(paths_).empty());
    paths_.cacheHome = "relative";
    EXPECT_TRUE(chapterCacheFolder(paths_).empty());
}

TEST(ExampleSiteFile, IsAGoodFileOfPlaceholderHosts) {
    const SiteFileOutcome outcome =
        readSiteFile(QStringLiteral(PELNORIA_SOURCE_DIR "/docs/pelnoria.example.ini"));
    ASSERT_TRUE(outcome.check.valid) << outcome.problem.toStdString();
    for (int site = 1; site <= kSiteCount; ++site) {
        const std::string url = outcome.check.sites.baseUrl[site];
        EXPECT_EQ(url.substr(url.size() - 8), ".example") << url;
    }
    // The book folder is shown commented out: the example sets none.
    EXPECT_TRUE(outcome.check.bookDirectory.empty());
    EXPECT_TRUE(outcome.check.cacheEnabled);
    EXPECT_EQ(outcome.check.cacheBytes, std::uintmax_t{512} << 20);
}

TEST(ProgramIcon, HasTheThreeSizesOfTheDesktopIcon) {
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {48, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(icon.pixmap(256).size(), QSize(256, 256));
}

}  // namespace
}  // namespace pel
