#include "download/chapter_scheduler.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "core/file_write.h"
#include "core/status_banner.h"
#include "download/chapter_cache.h"
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

constexpr std::string_view kBookExtension = ".txt";
constexpr std::size_t kFileNameMaxBytes = 255;

// Removed from the decoded name: the path separator, the characters other file systems
// refuse, and control characters. Every byte below 0x80 is a whole character in UTF-8, so
// this never cuts into a Chinese character.
std::string withoutForbiddenCharacters(std::string_view utf8) {
    static constexpr std::string_view kForbidden = "/|\\:<>\"*";
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || kForbidden.find(c) != std::string_view::npos)
            continue;
        out += c;
    }
    return out;
}

// Empty, "." and ".." name no file of their own; nor does any other run of dots.
bool namesNoFile(std::string_view name) {
    return name.find_first_not_of('.') == std::string_view::npos;
}

// The last segment of the address's path without its extension: "http://h/book/42.html" and
// "h/12_345/" give "42" and "12_345".
Text bookId(std::string_view url) {
    const std::size_t scheme = url.find("://");
    if (scheme != std::string_view::npos)
        url.remove_prefix(scheme + 3);
    const std::size_t path = url.find('/');
    url = path == std::string_view::npos ? std::string_view() : url.substr(path);
    url = url.substr(0, url.find_first_of("?#"));
    while (!url.empty() && url.back() == '/')
        url.remove_suffix(1);
    std::string_view segment = url.substr(url.rfind('/') + 1);
    const std::size_t dot = segment.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        segment = segment.substr(0, dot);
    return Text(segment);
}

// At most maxBytes of the UTF-8 text, never ending inside a character.
std::string cutAtCharacter(std::string text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
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

std::string bookFileName(const Text& name, const Text& author, const Text& bookUrl) {
    static const std::string kUnnamed = "未命名";
    Text joined;
    if (author.empty()) {
        joined = name;
    } else if (name.empty()) {
        joined = author;
    } else {
        joined = name + "-" + author;
    }
    // Cleaned after decoding: in the GBK bytes a "/" after a stray lead byte would pass for
    // the second half of a character, and then turn up again in the decoded name.
    const std::size_t maxBytes = kFileNameMaxBytes - kBookExtension.size();
    std::string fileName = cutAtCharacter(withoutForbiddenCharacters(gbkToUtf8(joined)), maxBytes);
    if (namesNoFile(fileName))
        fileName = cutAtCharacter(withoutForbiddenCharacters(gbkToUtf8(bookId(bookUrl))), maxBytes);
    if (namesNoFile(fileName))
        fileName = kUnnamed;
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

// Whether the record's first line is the title.
bool startsWithLine(const Text& record, const Text& title) {
    return record.size() >= title.size() + 2 && record.compare(0, title.size(), title) == 0 &&
           record.compare(title.size(), 2, "\r\n") == 0;
}

// Puts the record of every chapter the cache holds in place and counts it done, before any
// worker runs; true for each chapter taken from the cache.
std::vector<bool> takeCachedChapters(AppState& app, int count) {
    std::vector<bool> cached(static_cast<std::size_t>(count), false);
    ChapterCache* cache = app.download.chapterCache.get();
    if (cache == nullptr || !app.settings.readChapterCache)
        return cached;
    const int site = app.download.downloadSite.load();
    ChapterTable& table = app.download.chapterTable;
    int found = 0;
    for (int i = 0; i < count; ++i) {
        std::optional<Text> record =
            cache->load(site, app.download.downloadBookUrl, table.chapterUrls[i]);
        // A chapter renamed in the index since it was kept would keep its old title: the
        // record then is not what the page gives now, and the chapter is fetched again.
        if (!record || !startsWithLine(*record, table.chapterTitles[i]))
            continue;
        table.chapterTexts[i] = std::move(*record);
        cached[i] = true;
        ++found;
    }
    app.download.chaptersDone.store(found);
    return cached;
}

}  // namespace

void chapterLauncher(AppState& app, int) {
    // The count is read once: a later download must never extend this loop.
    const int count = app.download.chapterCount.load();
    const int cap = std::max(1, app.settings.maxChapterWorkers);
    const std::vector<bool> cached = takeCachedChapters(app, count);
    const int done = app.download.chaptersDone.load();
    if (done > 0) {
        app.window.setWidth(Control::ProgressFill, progressFillWidth(done, count));
        showProgress(app, done, count);
    }
    // Every chapter came from the cache: no worker will finish the count, so the save is here.
    if (done == count) {
        saveBook(app);
        return;
    }
    for (int launched = 1; launched <= count; ++launched) {
        if (cached[launched - 1])
            continue;
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
    Text record;
    bool fetched = false;
    {
        // The cleaned text goes as soon as the record is made from it.
        const Text cleaned = cleanChapter(app, url);
        fetched = !cleaned.empty();
        record = chapterRecord(chapterTitle(app, chapter), cleaned);
    }
    // Stored before the chapter counts as done, so the save's trim sees every store. A chapter
    // that stayed empty is not kept: the next download tries it again.
    if (fetched && app.download.chapterCache) {
        app.download.chapterCache->store(app.download.downloadSite.load(),
                                         app.download.downloadBookUrl, url, record);
    }
    finishChapter(app, chapter, std::move(record));
}

void saveBook(AppState& app) {
    static const Text kSaving = gbk("正在保存：");
    const int count = app.download.chapterCount.load();
    std::vector<Text>& records = app.download.chapterTable.chapterTexts;
    const std::string fileName =
        bookFileName(app.download.downloadName, app.download.downloadAuthor,
                     app.download.downloadBookUrl) +
        std::string(kBookExtension);
    const std::filesystem::path directory = app.settings.bookDirectory;
    // The records go to the file one after another and each is dropped once written: the
    // joined book never exists in memory beside them.
    ReplacingFile file(directory / fileName, app.settings.fileCalls);
    for (int i = 1; i <= count; ++i) {
        file.append(records[i - 1]);
        Text().swap(records[i - 1]);
        app.window.setText(Control::StatusLabel, kSaving + decimal(i) + "/ " + decimal(count));
    }
    const bool written = file.commit();
    // Shown after the write, so that it can tell whether the book is on disk.
    showBanner(app, saveOutcomeText(written, app.download.emptyChapters.load()));
    if (written)
        app.shell.exploreDirectory(directory.string());

    std::vector<Text>().swap(records);
    // The download is over once every worker has left the cap, so the next one starts at 0.
    {
        std::unique_lock lock(app.download.workerSlotMutex);
        app.download.workerSlotFreed.wait(lock,
                                          [&] { return app.download.activeWorkers.load() == 0; });
    }
    // Only now, with every store of this download done, is the cache held to its cap.
    if (app.download.chapterCache)
        app.download.chapterCache->trim();
    app.download.downloadInProgress.store(false);
}

}  // namespace pel
