// AppState: the one set of process-wide state through which the window, the search workers,
// the download threads, the banner and the update check talk to one another.
//
// It is created once at start-up and outlives every thread started through startThread():
// the exit never destroys it while such a thread may still run (see ThreadRegistry).
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "core/file_write.h"
#include "core/guarded.h"
#include "core/shell.h"
#include "core/window.h"
#include "net/cookie_jar.h"
#include "net/handle_pool.h"
#include "net/net_limits.h"
#include "text/text.h"

namespace pel {

using SiteId = int;  // 1..6; 0 = none
inline constexpr int kSiteCount = 6;

struct ResultSlot {
    Text bookUrl;
    Text author;
    Text name;
    Text latestChapter;
    Text coverUrl;
    Text introduction;
};

struct UpdateInfo {
    Text pageText;
    Text latestVersion;
    Text updateAddress;
    Text updateHistory;
};

// Addresses of the six sites (index 1..6) and of the update-information page.
struct SiteTable {
    std::array<Text, 7> baseUrl;       // scheme, host, optional port; no trailing slash
    std::array<Text, 7> domainMarker;  // sites 2..4: part of the host in every absolute cover
    Text updateUrl;                    // whole address, ending in /pzwj/txtyz.php
};

// The credit lines the cleaner removes; their host names are values of the build.
struct Watermarks {
    Text xswHost;    // credit "(小说屋 host)"
    Text meikeName;  // credit "(name 美克文学网 host)"
    Text meikeHost;
    Text site3Domain;      // nine ASCII characters; the cleaner makes the full-width forms
    Text site4Host;        // lower case
    Text site4MobileHost;  // lower case; the cleaner derives the capitalised form
};

// Makes a detached thread that runs body; false, and body never runs, when none could be made.
using ThreadStarter = std::function<bool(std::function<void()>)>;

struct AppSettings {
    std::filesystem::path programDirectory;
    // Where the result page with its picture and the books are written: the program
    // directory unless it cannot be written (see chooseFolders).
    std::filesystem::path pageDirectory;
    std::filesystem::path bookDirectory;
    SiteTable sites;
    Watermarks marks;
    int bannerStepMs = 33;
    int bannerSteps = 273;
    std::vector<int> chapterRetryPausesMs = {500, 2000};
    int maxChapterWorkers = 100;
    // A chapter page longer than this counts as a failed fetch: a real one is tens of KiB,
    // and a hundred workers each holding a page must stay within memory.
    std::size_t maxChapterPageBytes = std::size_t{4} << 20;
    NetLimits net;
    // fetchPage handles kept with their connections for the next request; 0: one for each
    // chapter worker and each search worker.
    int idleHandles = 0;
    int winHttpTimeoutSeconds = 0;  // 0: the client's own default of 30 s per phase
    // How threads are made; empty means startDetachedThread. Tests put in one that refuses.
    ThreadStarter threadStarter;
    // The calls the saved book is written through; empty ones are the system's.
    FileCalls fileCalls;
    // The folder chapter records are kept in between downloads; empty: no cache at all.
    std::filesystem::path chapterCacheDirectory;
    std::uintmax_t chapterCacheBytes = std::uintmax_t{512} << 20;
    // False: a download fetches every chapter, but still stores what it got (--no-cache).
    bool readChapterCache = true;
};

// The build's site table and watermarks (the demo build leaves the addresses empty: main()
// and the tests fill them from the demo server's ports).
AppSettings buildSettings();

struct ChapterTable {
    std::vector<Text> chapterUrls;  // index 0 is chapter 1
    std::vector<Text> chapterTitles;
    std::vector<Text> chapterTexts;  // entry i written only by chapter worker i
};

class AppState;
class ChapterCache;
using ThreadEntry = void (*)(AppState&, int);

// What a search run and its six workers share, and what a thumbnail click selects.
struct SearchState {
    // Result slots, index 1..6 (0 unused). A worker writes its own slot field by field, each
    // field whole under the slot's lock; readers take a copy of the whole slot.
    std::array<Guarded<ResultSlot>, 7> resultSlots;

    // The thumbnail lines of the current search; guarded by thumbnailMutex, which also makes
    // the whole of addResultThumbnail one critical section.
    std::mutex thumbnailMutex;
    Text resultListHtml;

    std::mutex searchProgressMutex;  // one advanceSearchProgress at a time
    std::atomic<int> searchProgress{0};

    std::atomic<int> selectedSite{0};

    // The cover of the latest thumbnail click, fetched off the window thread. Every click
    // takes the next generation; a fetch shows its picture, under this lock, only while its
    // generation is still the newest, so a later click wins over an earlier fetch.
    struct CoverRequest {
        int generation = 0;
        Text url;
    };
    Guarded<CoverRequest> clickedCover;
};

// The running download. Written by the download start before the launcher starts and only
// read afterwards, except chapterTable.chapterTexts (one entry per worker) and the counters.
struct DownloadState {
    std::atomic<bool> downloadInProgress{false};
    std::atomic<int> downloadSite{0};
    Text downloadBookUrl;
    Text downloadName;
    Text downloadAuthor;
    Text contentStartMarker;
    Text contentEndMarker;
    ChapterTable chapterTable;
    std::atomic<int> chapterCount{0};
    std::atomic<int> chaptersDone{0};
    std::atomic<int> activeWorkers{0};
    std::atomic<int> emptyChapters{0};
    // Made by the first download when the settings name a cache folder, then kept for the
    // program's life. Shared, not unique: this layer cannot see the type to delete it.
    std::shared_ptr<ChapterCache> chapterCache;
    // The launcher waits here for room under the worker cap; finishing workers notify.
    std::mutex workerSlotMutex;
    std::condition_variable workerSlotFreed;
};

// Every detached thread of the program, counted so that the exit can wait for them.
class ThreadRegistry {
  public:
    explicit ThreadRegistry(ThreadStarter starter = {});

    // Runs body on a new detached thread, counted until it returns. False, and body never
    // runs, when shutting down or when no thread could be made.
    bool start(std::function<void()> body);
    // True when every thread started here has returned within the timeout.
    bool waitForThreads(std::chrono::milliseconds timeout);
    void waitForAllThreads();
    int liveThreads() const;

    // Set once the window is gone. The state is destroyed only after every thread started
    // here has returned (finishRun ends the process without destroying it when they do not
    // return in time); long loops (the banner, the launcher) check the flag to stop early,
    // and start() starts nothing more.
    std::atomic<bool> shuttingDown{false};

  private:
    void finished();
    const ThreadStarter starter_;
    mutable std::mutex mutex_;
    std::condition_variable done_;
    int live_ = 0;
};

class AppState {
  public:
    AppState(Window& window, Shell& shell, AppSettings settings);
    // Sets shuttingDown and waits for every thread started here: destroying the state under a
    // running thread would pull it from under that thread.
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    Window& window;
    Shell& shell;
    const AppSettings settings;
    CookieJar cookieJar;    // the automatic cookie store of fetchPage
    HandlePool handlePool;  // fetchPage's idle handles and their live connections

    Guarded<Text> bannerText;
    Guarded<UpdateInfo> updateInfo;
    SearchState search;
    DownloadState download;
    ThreadRegistry threads;

    // Starts entry(*this, param) on a new detached thread at once. An exception leaving the
    // entry is swallowed on that thread. False, and the entry never runs, when no thread could
    // be made or the program is closing: the caller then ends what the thread would have
    // ended.
    bool startThread(ThreadEntry entry, int param);

    // fetchPage with the URL and method alone, through the cookie jar, the handle pool and
    // the limits.
    Bytes fetch(const Text& url, int method = 0);
    Bytes fetch(const Text& url, int method, const NetLimits& limits);
};

// The directory that holds the running executable.
std::filesystem::path executableDirectory();

// Hands an address to the shell only when it is http or https; anything else is ignored.
void openInBrowser(AppState& app, const Text& url);

}  // namespace pel
