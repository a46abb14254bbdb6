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
#include <string>
#include <thread>
#include <vector>

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

std::string chapterPage(int i) {
    std::string body;
    for (int line = 0; line < 40; ++line) {
        body += "第" + std::to_string(i) + "章的第" + std::to_string(line) +
                "行，夜色沉沉，风从山口吹来。<br />\r\n";
    }
    return pel::gbk("<html>\r\n<div id=\"content\">" + body +
                    "<script>read3();</script><script>bdshare();</script>\r\n</html>");
}

std::string indexPage() {
    std::string page = "<dl>\r\n";
    for (int i = 1; i <= kChapters; ++i) {
        page += "<dd><a href=\"/long/" + std::to_string(i) + ".html\">第" + std::to_string(i) +
                "章</a></dd>\r\n";
    }
    return pel::gbk(page + "</dl>\r\n");
}

// The loopback site, in a child process; its port comes back through a pipe. It counts the
// requests for the index and the chapters, and tells the count at /requests.
class ChildSite {
  public:
    explicit ChildSite(int indexLatencyMs = 0) : indexLatencyMs_(indexLatencyMs) {
        int fds[2];
        if (pipe(fds) != 0)
            std::abort();
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            serve(fds[1]);
            _exit(0);
        }
        close(fds[1]);
        if (read(fds[0], &port_, sizeof port_) != sizeof port_)
            port_ = 0;
        close(fds[0]);
    }
    ~ChildSite() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::string hostPort() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string baseUrl() const { return "http://" + hostPort(); }
    bool ok() const { return port_ > 0; }
    long requests() const {
        httplib::Client client("127.0.0.1", port_);
        const auto res = client.Get("/requests");
        return res && res->status == 200 ? std::stol(res->body) : -1;
    }

  private:
    void serve(int fd) const {
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
            pages[i] = chapterPage(i);
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
        int port = pel::demo::bindLoopback(server);
        if (write(fd, &port, sizeof port) != sizeof port)
            _exit(1);
        close(fd);
        server.listen_after_bind();
    }
    int indexLatencyMs_ = 0;
    pid_t pid_ = -1;
    int port_ = 0;
};

void BM_CachedRedownload(benchmark::State& state) {
    ChildSite site(kLatencyMs);
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
