// The main of test_gui: a QApplication (offscreen unless told otherwise) and the HTTP runtime.
#include <gtest/gtest.h>

#include <QApplication>

#include "net/net_runtime.h"
#include "text/charset_runtime.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The exit button's test closes the window; the suite goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    pel::NetRuntime net;
    pel::CharsetRuntime charsets;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
