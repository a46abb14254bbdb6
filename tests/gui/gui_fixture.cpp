#include "gui_fixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <random>

namespace pel::gui_test {

namespace {

std::filesystem::path freshDirectory() {
    const char* root = std::getenv("PELNORIA_TEST_TMP");
    std::filesystem::path base = root != nullptr ? root : "/tmp";
    std::random_device random;
    std::filesystem::path dir = base / ("gui-" + std::to_string(random()));
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

void GuiTest::SetUp() {
    ASSERT_TRUE(sites_.start());
    dir_ = freshDirectory();
    AppSettings settings = buildSettings();
    demo::useDemoSites(settings, sites_);
    settings.programDirectory = dir_;
    settings.pageDirectory = dir_;
    settings.bookDirectory = dir_;
    settings.bannerStepMs = 1;
    settings.chapterRetryPausesMs = {1, 1};
    app_ = std::make_unique<AppState>(window_, shell_, std::move(settings));
    mainWindow_ = std::make_unique<MainWindow>(*app_, window_);
    window_.attach(mainWindow_.get());
    mainWindow_->show();
    // The creation handler runs right after the window is shown and starts the update check;
    // let it finish so that no test races it.
    ASSERT_TRUE(waitFor([this] {
        auto* cover = find<QLabel>("小说图片_图片框");
        return cover != nullptr && !cover->pixmap().isNull();
    }));
    ASSERT_TRUE(app_->threads.waitForThreads(std::chrono::seconds(10)));
    QCoreApplication::processEvents();
}

void GuiTest::TearDown() {
    destroyWindow();
    if (app_ && !app_->threads.waitForThreads(std::chrono::seconds(30))) {
        ADD_FAILURE() << "threads still running at the end of the test";
        static_cast<void>(app_.release());  // never free the state under running threads
    }
    app_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

bool GuiTest::waitFor(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}

void GuiTest::destroyWindow() {
    if (mainWindow_)
        mainWindow_->close();
    mainWindow_.reset();
    QCoreApplication::processEvents();
}

}  // namespace pel::gui_test
