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
        QString sitesFile;
        QString output;  // a part of what is printed
    };
    const Case cases[] = {
        {{}, Action::Run, false, {}, {}},
        {{"--demo"}, Action::Run, true, {}, {}},
        {{"--sites", "/x/a.ini"}, Action::Run, false, "/x/a.ini", {}},
        {{"--sites=/x/b.ini", "--demo"}, Action::Run, true, "/x/b.ini", {}},
        {{"--version"}, Action::Version, false, {}, "Pelnoria 2.0\n"},
        {{"-v"}, Action::Version, false, {}, "Pelnoria 2.0\n"},
        {{"--help"}, Action::Help, false, {}, "--sites <file>"},
        {{"-h"}, Action::Help, false, {}, "--demo"},
        {{"--bogus", "--version"}, Action::Version, false, {}, "Pelnoria 2.0"},
        {{"--bogus"}, Action::Error, false, {}, "Unknown option 'bogus'"},
        {{"book"}, Action::Error, false, {}, "Unexpected argument 'book'"},
        {{"--sites"}, Action::Error, false, {}, "Missing value after '--sites'"},
        {{"--sites="}, Action::Error, false, {}, "--sites needs"},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(QStringList{"pelnoria"} + c.arguments);
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.action, c.action) << name;
        EXPECT_EQ(line.demo, c.demo) << name;
        EXPECT_EQ(line.sitesFile, c.sitesFile) << name;
        EXPECT_TRUE(line.output.contains(c.output)) << name << ": " << line.output.toStdString();
        if (c.output.isEmpty()) {
            EXPECT_TRUE(line.output.isEmpty()) << name;
        }
    }
    const QString help = parseCommandLine({"pelnoria", "--help"}).output;
    for (const char* option : {"--help", "--version", "--sites <file>", "--demo"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
}

}  // namespace
}  // namespace pel
