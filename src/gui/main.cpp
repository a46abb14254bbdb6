// Start-up and exit of the program.
#include <QApplication>
#include <QMessageBox>
#include <chrono>
#include <cstdio>
#include <memory>

#include "build_config.h"
#include "core/app_state.h"
#include "core/folder_choice.h"
#include "core/shutdown.h"
#include "demo/demo_sites.h"
#include "download/chapter_cache.h"
#include "gui/command_line.h"
#include "gui/main_window.h"
#include "gui/program_icon.h"
#include "gui/qt_shell.h"
#include "gui/qt_window.h"
#include "gui/screenshot.h"
#include "gui/startup.h"
#include "net/net_runtime.h"
#include "text/charset_runtime.h"

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// --clear-cache: empties the chapter cache of this user, with no window and no display.
int clearChapterCache() {
    const std::filesystem::path folder =
        pel::chapterCacheFolder(pel::standardStartupPaths(pel::executableDirectory()));
    if (folder.empty()) {
        print(stderr, QStringLiteral("No cache folder is known: there is no chapter cache.\n"));
        return 1;
    }
    const QString where = QString::fromStdString(folder.string());
    if (!pel::ChapterCache(folder).clear()) {
        print(stderr, QStringLiteral("The chapter cache in %1 could not be emptied.\n").arg(where));
        return 1;
    }
    print(stdout, QStringLiteral("The chapter cache in %1 is empty.\n").arg(where));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Pelnoria"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELNORIA_VERSION));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // asked for by the HTML view
    {
        // --help, --version and --clear-cache are answered before the window's toolkit
        // starts, so that they work with no display at all.
        const QCoreApplication early(argc, argv);
        const pel::CommandLine line = pel::parseCommandLine(QCoreApplication::arguments());
        if (line.action == pel::CommandLine::Action::Help ||
            line.action == pel::CommandLine::Action::Version) {
            print(stdout, line.output);
            return 0;
        }
        if (line.action == pel::CommandLine::Action::ClearCache)
            return clearChapterCache();
    }
    QApplication qtApp(argc, argv);
    // Read again once the toolkit has taken its own options (-platform ...) off the line.
    const pel::CommandLine line = pel::parseCommandLine(QCoreApplication::arguments());
    if (line.action == pel::CommandLine::Action::Error) {
        print(stderr, line.output);
        return 2;
    }
    // Beside an option of the toolkit's own it is only recognised here.
    if (line.action == pel::CommandLine::Action::ClearCache)
        return clearChapterCache();
    QGuiApplication::setDesktopFileName(QStringLiteral("pelnoria"));
    QApplication::setWindowIcon(pel::programIcon());
    pel::NetRuntime net;  // before any thread of ours starts
    pel::CharsetRuntime charsets;

    pel::Startup startup =
        pel::prepareStartup(line, pel::standardStartupPaths(pel::executableDirectory()),
                            pel::buildSettings(), pel::canWriteInto);
    if (!startup.problem.isEmpty())
        print(stderr, startup.problem + QLatin1Char('\n'));
#if PELNORIA_SITES_DEMO
    // With no site file in use, the demo build serves its own sites on loopback and points
    // the site table at them.
    pel::demo::DemoSites sites;
    if (startup.startDemoSites) {
        if (sites.start()) {
            pel::demo::useDemoSites(startup.settings, sites);
        } else {
            std::fprintf(stderr, "the demo sites could not bind their loopback ports\n");
        }
    }
#endif

    pel::QtWindow window;
    pel::QtShell shell;
    // Held by pointer: on a hurried exit it is left alone for the threads still using it.
    auto app = std::make_unique<pel::AppState>(window, shell, std::move(startup.settings));

    int status = 0;
    {
        pel::MainWindow mainWindow(*app, window);
        window.attach(&mainWindow);
        mainWindow.show();
        // Opened, not exec()'d: the run goes on behind it, on the build's own sites.
        std::unique_ptr<QMessageBox> notice;
        if (!startup.problem.isEmpty()) {
            notice = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("Pelnoria"),
                                                   startup.problem, QMessageBox::Ok, &mainWindow);
            notice->open();
        }
        pel::scheduleScreenshotFromEnvironment(mainWindow);
        status = qtApp.exec();
    }  // the main window is destroyed here; later writes to it are dropped

    // Detached searches, chapter workers or banners may still run: a short grace, then the
    // process ends without tearing down the state they use.
    return pel::finishRun(std::move(app), status, std::chrono::seconds(2));
}
