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

namespace {

// Clicks the thumbnail as soon as the strip shows it (a fresh profile can take the HTML view
// seconds to load its first page), then, when asked, the download button once the click has
// selected the site.
void clickThumbnailOnceShown(QPointer<MainWindow> target, int index, bool thenDownload) {
    if (!target)
        return;
    target->htmlView()->page()->runJavaScript(
        QStringLiteral("(function() { var i = document.images[%1]; if (!i) return false; "
                       "i.onclick(); return true; })()")
            .arg(index),
        [target, index, thenDownload](const QVariant& clicked) {
            if (!target)
                return;
            if (!clicked.toBool()) {
                QTimer::singleShot(250, target.data(), [target, index, thenDownload] {
                    clickThumbnailOnceShown(target, index, thenDownload);
                });
                return;
            }
            if (!thenDownload)
                return;
            QTimer::singleShot(300, target.data(), [target] {
                if (target)
                    static_cast<QPushButton*>(target->control(Control::DownloadButton))->click();
            });
        });
}

}  // namespace

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
        // unless PELNORIA_SCREENSHOT_CLICK_MS says when (or as soon after as it is shown).
        int clickAt = qEnvironmentVariableIntValue("PELNORIA_SCREENSHOT_CLICK_MS", &ok);
        if (!ok || clickAt < 0)
            clickAt = std::max(0, delayMs - 1000);
        const bool download = qEnvironmentVariableIntValue("PELNORIA_SCREENSHOT_DOWNLOAD") == 1;
        QTimer::singleShot(clickAt, &window, [target, click, download] {
            clickThumbnailOnceShown(target, click - 1, download);
        });
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
