// Start-up and exit of the program.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <memory>

#include "build_config.h"
#include "core/app_state.h"
#include "core/shutdown.h"
#include "demo/demo_sites.h"
#include "gui/main_window.h"
#include "gui/qt_shell.h"
#include "gui/qt_window.h"
#include "gui/screenshot.h"
#include "net/net_runtime.h"
#include "text/charset_runtime.h"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // asked for by the HTML view
    QApplication qtApp(argc, argv);
    pel::NetRuntime net;  // before any thread of ours starts
    pel::CharsetRuntime charsets;

    pel::AppSettings settings = pel::buildSettings();
#if PELNORIA_SITES_DEMO
    // The demo build serves its own sites on loopback and points the site table at them.
    pel::demo::DemoSites sites;
    if (sites.start()) {
        pel::demo::useDemoSites(settings, sites);
    } else {
        std::fprintf(stderr, "the demo sites could not bind their loopback ports\n");
    }
#endif

    pel::QtWindow window;
    pel::QtShell shell;
    // Held by pointer: on a hurried exit it is left alone for the threads still using it.
    auto app = std::make_unique<pel::AppState>(window, shell, std::move(settings));

    int status = 0;
    {
        pel::MainWindow mainWindow(*app, window);
        window.attach(&mainWindow);
        mainWindow.show();
        pel::scheduleScreenshotFromEnvironment(mainWindow);
        status = qtApp.exec();
    }  // the main window is destroyed here; later writes to it are dropped

    // Detached searches, chapter workers or banners may still run: a short grace, then the
    // process ends without tearing down the state they use.
    return pel::finishRun(std::move(app), status, std::chrono::seconds(2));
}
