#include "gui/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "build_config.h"

namespace pel {

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Looks a web novel up by its title on six novel sites and downloads it chapter by "
        "chapter into one text file."));
    // Not addHelpOption(): its --help-all only works through process(), which exits.
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption sites(
        QStringList{QStringLiteral("sites")},
        QStringLiteral("Read the sites from <file> instead of pelnoria.ini in the program's "
                       "folder or in ~/.config/Pelnoria/."),
        QStringLiteral("file"));
    const QCommandLineOption demo(
        QStringList{QStringLiteral("demo")},
        QStringLiteral("Ignore every site file and use the sites the program was built with "
                       "(a default build: its embedded demo sites)."));
    const QCommandLineOption noCache(
        QStringList{QStringLiteral("no-cache")},
        QStringLiteral("Download every chapter again instead of taking the chapters kept from "
                       "earlier downloads (what is fetched is still kept)."));
    const QCommandLineOption clearCache(
        QStringList{QStringLiteral("clear-cache")},
        QStringLiteral("Delete the chapters kept from earlier downloads, then exit."));
    parser.addOption(sites);
    parser.addOption(demo);
    parser.addOption(noCache);
    parser.addOption(clearCache);

    CommandLine line;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        line.output = parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.output = QStringLiteral("Pelnoria " PELNORIA_VERSION "\n");
        return line;
    }
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        line.action = CommandLine::Action::Error;
        const QString what = parsed ? QStringLiteral("Unexpected argument '%1'.")
                                          .arg(parser.positionalArguments().constFirst())
                                    : parser.errorText();
        line.output = what + QStringLiteral("\nTry 'pelnoria --help' for the options.\n");
        return line;
    }
    if (parser.isSet(sites) && parser.value(sites).isEmpty()) {
        line.action = CommandLine::Action::Error;
        line.output = QStringLiteral("--sites needs the name of a site file.\n");
        return line;
    }
    if (parser.isSet(clearCache))
        line.action = CommandLine::Action::ClearCache;
    line.demo = parser.isSet(demo);
    line.noCache = parser.isSet(noCache);
    line.sitesFile = parser.value(sites);
    return line;
}

}  // namespace pel
