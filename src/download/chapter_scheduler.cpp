#include "download/chapter_scheduler.h"

#include <algorithm>
#include <utility>

#include "core/file_write.h"
#include "core/status_banner.h"
#include "download/chapter_cleaner.h"
#include "text/encoding.h"

namespace pel {

namespace {

void showProgress(AppState& app, int done, int count) {
    static const Text kWorkers = gbk("/ 线程：");
    app.window.setText(Control::StatusLabel, decimal(done) + "/ " + decimal(count) + kWorkers +
                                                 decimal(app.download.activeWorkers.load()));
}

Text saveOutcomeText(bool written, int emptyChapters) {
    static const Text kSaved = gbk("保存成功");
    static const Text kSaveFailed = gbk("保存失败");
    static const Text kEmptyChapters = gbk("章为空");
    if (!written)
        return kSaveFailed;
    if (emptyChapters > 0)
        return kSaved + " " + decimal(emptyChapters) + kEmptyChapters;
    return kSaved;
}

}  // namespace

int progressFillWidth(int done, int count) {
    if (count <= 0)
        return 0;
    return static_cast<int>(static_cast<double>(done) / static_cast<double>(count) * 273.0);
}

Text chapterRecord(const Text& title, const Text& cleanedText) {
    return title + "\r\n" + removeText(cleanedText, title) + "\r\n";
}

Text bookFileName(const Text& name, const Text& author) {
    Text fileName;
    if (author.empty()) {
        fileName = name;
    } else if (name.empty()) {
        fileName = author;
    } else {
        fileName = name + "-" + author;
    }
    for (const char* c : {"/", "|", "\\", ":", "<", ">", "\"", "*"}) {
        fileName = replaceText(fileName, c, "", true);
    }
    return fileName;
}

namespace {

const Text& chapterTitle(AppState& app, int chapter) {
    return app.download.chapterTable.chapterTitles[chapter - 1];
}

// The end of chapter i, whether its worker ran or no thread could be made for it: the record
// stored, the counters moved on, the progress shown, and the book saved by the last one.
void finishChapter(AppState& app, int chapter, Text record) {
    const int count = app.download.chapterCount.load();
    // Stored before the increment: the worker that completes the count sees every record.
    app.download.chapterTable.chapterTexts[chapter - 1] = std::move(record);
    const int done = app.download.chaptersDone.fetch_add(1) + 1;
    {
        // Decremented under the lock so the launcher cannot miss the wake-up.
        std::lock_guard lock(app.download.workerSlotMutex);
        app.download.activeWorkers.fetch_sub(1);
    }
    app.download.workerSlotFreed.notify_all();
    app.window.setWidth(Control::ProgressFill, progressFillWidth(done, count));
    showProgress(app, done, count);
    if (done == count)
        saveBook(app);
}

}  // namespace

void chapterLauncher(AppState& app, int) {
    // The count is read once: a later download must never extend this loop.
    const int count = app.download.chapterCount.load();
    const int cap = std::max(1, app.settings.maxChapterWorkers);
    for (int launched = 1; launched <= count; ++launched) {
        {
            std::unique_lock lock(app.download.workerSlotMutex);
            app.download.workerSlotFreed.wait(lock, [&] {
                return app.download.activeWorkers.load() < cap || app.threads.shuttingDown.load();
            });
        }
        // Once the program is closing no thread starts any more; launching on would only
        // count workers that never run.
        if (app.threads.shuttingDown.load())
            return;
        // Counted before the thread exists, so the count never trails the running workers.
        app.download.activeWorkers.fetch_add(1);
        if (!app.startThread(&chapterWorker, launched)) {
            if (app.threads.shuttingDown.load()) {
                std::lock_guard lock(app.download.workerSlotMutex);
                app.download.activeWorkers.fetch_sub(1);
                return;
            }
            // No thread for this chapter: it ends as a chapter that could not be fetched, so
            // the book is still saved and the download still ends.
            app.download.emptyChapters.fetch_add(1);
            finishChapter(app, launched, chapterRecord(chapterTitle(app, launched), Text()));
            continue;
        }
        showProgress(app, app.download.chaptersDone.load(), count);
    }
}

void chapterWorker(AppState& app, int chapter) {
    const Text& url = app.download.chapterTable.chapterUrls[chapter - 1];
    // The cleaned text goes as soon as the record is made from it.
    finishChapter(app, chapter, chapterRecord(chapterTitle(app, chapter), cleanChapter(app, url)));
}

void saveBook(AppState& app) {
    static const Text kSaving = gbk("正在保存：");
    const int count = app.download.chapterCount.load();
    std::vector<Text>& records = app.download.chapterTable.chapterTexts;
    std::size_t total = 0;
    for (const Text& record : records)
        total += record.size();
    Text book;
    book.reserve(total);
    for (int i = 1; i <= count; ++i) {
        book += records[i - 1];
        app.window.setText(Control::StatusLabel, kSaving + decimal(i) + "/ " + decimal(count));
    }
    const Text fileName =
        bookFileName(app.download.downloadName, app.download.downloadAuthor) + ".txt";
    const std::filesystem::path directory = app.settings.programDirectory;
    const bool written = writeWholeFile(directory / gbkToUtf8(fileName), book);
    // Shown after the write, so that it can tell whether the book is on disk.
    showBanner(app, saveOutcomeText(written, app.download.emptyChapters.load()));
    if (written)
        app.shell.exploreDirectory(directory.string());

    std::vector<Text>().swap(records);
    Text().swap(book);
    // The download is over once every worker has left the cap, so the next one starts at 0.
    {
        std::unique_lock lock(app.download.workerSlotMutex);
        app.download.workerSlotFreed.wait(lock,
                                          [&] { return app.download.activeWorkers.load() == 0; });
    }
    app.download.downloadInProgress.store(false);
}

}  // namespace pel
