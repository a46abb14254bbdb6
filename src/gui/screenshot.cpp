#include "gui/screenshot.h"

#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>

#include "gui/main_window.h"

namespace pel {

void scheduleScreenshotFromEnvironment(MainWindow& window) {
    const QString file = qEnvironmentVariable("PELNORIA_SCREENSHOT");
    if (file.isEmpty())
        return;
    bool ok = false;
    int delayMs = qEnvironmentVariableIntValue("PELNORIA_SCREENSHOT_MS", &ok);
    if (!ok || delayMs < 0)
        delayMs = 3000;
    const QString title = qEnvironmentVariable("PELNORIA_SCREENSHOT_SEARCH");

    QPointer<MainWindow> target(&window);
    if (!title.isEmpty()) {
        // As a user would: type into the box, then press the search button.
        QTimer::singleShot(500, &window, [target, title] {
            if (!target)
                return;
            auto* box = static_cast<QLineEdit*>(target->control(Control::SearchBox));
            box->setText(title);
            emit box->textEdited(title);
            static_cast<QPushButton*>(target->control(Control::SearchButton))->click();
        });
    }
    const int click = qEnvironmentVariableIntValue("PELNORIA_SCREENSHOT_CLICK", &ok);
    if (ok && click > 0) {
        // What a click on that thumbnail of the strip runs, a second before the picture
        // unless PELNORIA_SCREENSHOT_CLICK_MS says when.
        int clickAt = qEnvironmentVariableIntValue("PELNORIA_SCREENSHOT_CLICK_MS", &ok);
        if (!ok || clickAt < 0)
            clickAt = std::max(0, delayMs - 1000);
        QTimer::singleShot(clickAt, &window, [target, click] {
            if (!target)
                return;
            target->htmlView()->page()->runJavaScript(
                QStringLiteral("var i = document.images[%1]; if (i) i.onclick();").arg(click - 1));
        });
        if (qEnvironmentVariableIntValue("PELNORIA_SCREENSHOT_DOWNLOAD") == 1) {
            // Then the download button, once the click has selected the site.
            QTimer::singleShot(clickAt + 300, &window, [target] {
                if (!target)
                    return;
                static_cast<QPushButton*>(target->control(Control::DownloadButton))->click();
            });
        }
    }
    QTimer::singleShot(delayMs, &window, [target, file] {
        if (!target)
            return;
        if (!target->grab().save(file)) {
            std::fprintf(stderr, "could not save %s\n", file.toLocal8Bit().constData());
        }
        target->close();
    });
}

}  // namespace pel
