// The command line: what each option does, and what it prints.
#include <gtest/gtest.h>

#include "gui/command_line.h"

namespace pel {
namespace {

TEST(CommandLineTest, OptionsAndWhatTheyPrint) {
    using Action = CommandLine::Action;
    struct Case {
        QStringList arguments;  // after the program's name
        Action action;
        bool demo;
        bool noCache;
        QString sitesFile;
        QString output;  // a part of what is printed
    };
    const Case cases[] = {
        {{}, Action::Run, false, false, {}, {}},
        {{"--demo"}, Action::Run, true, false, {}, {}},
        {{"--sites", "/x/a.ini"}, Action::Run, false, false, "/x/a.ini", {}},
        {{"--sites=/x/b.ini", "--demo"}, Action::Run, true, false, "/x/b.ini", {}},
        {{"--version"}, Action::Version, false, false, {}, "Pelnoria 2.0\n"},
        {{"-v"}, Action::Version, false, false, {}, "Pelnoria 2.0\n"},
        {{"--help"}, Action::Help, false, false, {}, "--sites <file>"},
        {{"-h"}, Action::Help, false, false, {}, "--demo"},
        {{"--bogus", "--version"}, Action::Version, false, false, {}, "Pelnoria 2.0"},
        {{"--bogus"}, Action::Error, false, false, {}, "Unknown option 'bogus'"},
        {{"book"}, Action::Error, false, false, {}, "Unexpected argument 'book'"},
        {{"--sites"}, Action::Error, false, false, {}, "Missing value after '--sites'"},
        {{"--sites="}, Action::Error, false, false, {}, "--sites needs"},
        {{"--no-cache"}, Action::Run, false, true, {}, {}},
        {{"--demo", "--no-cache"}, Action::Run, true, true, {}, {}},
        {{"--clear-cache"}, Action::ClearCache, false, false, {}, {}},
        {{"--clear-cache", "--bogus"}, Action::Error, false, false, {}, "Unknown option 'bogus'"},
        {{"--clear-cache", "--help"}, Action::Help, false, false, {}, "--clear-cache"},
        {{"--clear-cache", "book"}, Action::Error, false, false, {}, "Unexpected argument"},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(QStringList{"pelnoria"} + c.arguments);
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.action, c.action) << name;
        EXPECT_EQ(line.demo, c.demo) << name;
        EXPECT_EQ(line.noCache, c.noCache) << name;
        EXPECT_EQ(line.sitesFile, c.sitesFile) << name;
        EXPECT_TRUE(line.output.contains(c.output)) << name << ": " << line.output.toStdString();
        if (c.output.isEmpty()) {
            EXPECT_TRUE(line.output.isEmpty()) << name;
        }
    }
    const QString help = parseCommandLine({"pelnoria", "--help"}).output;
    for (const char* option :
         {"--help", "--version", "--sites <file>", "--demo", "--no-cache", "--clear-cache"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
}

}  // namespace
}  // namespace pel
