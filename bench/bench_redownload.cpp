// A second download of a 2,000-chapter book whose every chapter is in the chapter cache, against
// one request for its index (which takes 20 ms, as the chapter pages do), and the requests it
// made. The site runs in a child process and counts the requests for the index and chapters.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "child_site.h"
#include "core/app_state.h"
#include "demo/loopback_listen.h"
#include "download/download_start.h"
#include "net/net_runtime.h"
#include "support/recording_shell.h"
#include "support/recording_window.h"
#include "text/charset_runtime.h"
#include "text/encoding.h"

namespace {

constexpr int kChapters = 2000;
constexpr int kLatencyMs = 20;

std::string indexPage() {
    std::string page = "<dl>\r\n";
    for (int i = 1; i <= kChapters; ++i) {
        page += "<dd><a href=\"/long/" + std::to_string(i) + ".html\">第" + std::to_string(i) +
                "章</a></dd>\r\n";
    }
    return pel::gbk(page + "</dl>\r\n");
}

// The loopback site, in a child process. It counts the requests for the index and the
// chapters, and tells the count at /requests.
class CountingSite {
  public:
    explicit CountingSite(int indexLatencyMs)
        : indexLatencyMs_(indexLatencyMs),
          child_([this](const std::function<void(int)>& announce) { serve(announce); }) {}
    std::string hostPort() const { return child_.hostPort(); }
    std::string baseUrl() const { return child_.baseUrl(); }
    bool ok() const { return child_.ok(); }
    long requests() const {
        httplib::Client client("127.0.0.1", child_.port());
        const auto res = client.Get("/requests");
        return res && res->status == 200 ? std::stol(res->body) : -1;
    }

  private:
    void serve(const std::function<void(int)>& announcePort) const {
        httplib::Server server;
        std::atomic<long> requests{0};
        server.new_task_queue = [] { return new httplib::ThreadPool(256); };
        // One request per connection: an idle kept-alive connection would hold a pool thread.
        server.set_keep_alive_max_count(1);
        const std::string index = indexPage();
        server.Get("/long/", [&](const httplib::Request&, httplib::Response& res) {
            requests.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(indexLatencyMs_));
            res.set_content(index, "text/html");
        });
        server.Get("/requests", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::to_string(requests.load()), "text/plain");
        });
        // Built before the port opens, so the latency is the only cost of a page.
        std::vector<std::string> pages(kChapters + 1);
        for (int i = 1; i <= kChapters; ++i)
            pages[i] = pel::bench::longBookChapterPage(i);
        server.Get(R"(/long/(\d+)\.html)",
                   [&pages, &requests](const httplib::Request& req, httplib::Response& res) {
                       requests.fetch_add(1);
                       std::this_thread::sleep_for(std::chrono::milliseconds(kLatencyMs));
                       const int i = std::stoi(req.matches[1]);
                       if (i < 1 || i > kChapters) {
                           res.status = 404;
                           return;
                       }
                       res.set_content(pages[i], "text/html");
                   });
        announcePort(pel::demo::bindLoopback(server));
        server.listen_after_bind();
    }
    const int indexLatencyMs_;
    pel::bench::ChildSite child_;  // last: its child serves with the members above
};

void BM_CachedRedownload(benchmark::State& state) {
    CountingSite site(kLatencyMs);
    if (!site.ok()) {
        state.SkipWithError("the loopback site did not start");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("pelnoria-bench-cache-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);

    pel::AppSettings settings = pel::buildSettings();
    settings.programDirectory = dir;
    settings.bookDirectory = dir;
    settings.chapterCacheDirectory = dir / "cache";
    settings.sites.baseUrl[2] = site.baseUrl();
    settings.sites.domainMarker[2] = site.hostPort();
    settings.bannerSteps = 1;
    settings.bannerStepMs = 1;
    pel::RecordingWindow window;
    pel::RecordingShell shell;
    pel::AppState app(window, shell, settings);
    pel::ResultSlot slot;
    slot.bookUrl = site.baseUrl() + "/long/";
    slot.name = pel::gbk("长夜");
    slot.author = pel::gbk("无名氏");
    app.search.resultSlots[2].set(slot);
    app.search.selectedSite.store(2);

    // The first download fills the cache; it is not timed.
    pel::startDownload(app);
    if (!app.threads.waitForThreads(std::chrono::minutes(2))) {
        state.SkipWithError("the first download did not finish");
        return;
    }
    // The anchor: the index alone, fetched the way the download fetches it.
    constexpr int kIndexFetches = 5;
    const auto indexStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kIndexFetches; ++i)
        benchmark::DoNotOptimize(app.fetch(slot.bookUrl));
    const double indexMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - indexStart)
            .count() /
        kIndexFetches;

    const long requestsBefore = site.requests();
    double wall = 0;
    for (auto _ : state) {
        window.clear();
        const auto start = std::chrono::steady_clock::now();
        pel::startDownload(app);
        if (!app.threads.waitForThreads(std::chrono::minutes(2))) {
            state.SkipWithError("the second download did not finish");
            break;
        }
        wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
    }
    const double iterations = static_cast<double>(state.iterations());
    const double meanWall = wall / iterations;
    state.counters["wall_ms"] = meanWall;
    state.counters["index_ms"] = indexMs;
    state.counters["vs_index"] = meanWall / indexMs;  // goal: at most 2
    state.counters["requests"] =
        static_cast<double>(site.requests() - requestsBefore) / iterations;  // goal: 1
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_CachedRedownload)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
int main(int argc, char** argv) {
    pel::NetRuntime runtime;
    pel::CharsetRuntime charsets;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
