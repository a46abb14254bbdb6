// A whole chapter download of a 2,000-chapter book whose chapter pages each take 20 ms, against
// the ideal (chapters / 100 workers x latency) and against curl fetching the same pages 100 at a
// time, over plain HTTP and over TLS (a throw-away certificate both clients trust through their
// CA file). Both sides may keep their connections alive; the site counts the connections each
// opened. The site runs in a child process, so the CPU time and peak RSS are the download's
// own, and curl's CPU time is that of the child it runs in.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sys/mman.h>
#include <sys/prctl.h>
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
#include <new>
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
#include "support/test_certificate.h"
#include "text/charset_runtime.h"
#include "text/encoding.h"

namespace {

constexpr int kChapters = 2000;
constexpr int kLatencyMs = 20;
constexpr int kWorkers = 100;

// Absolute links: site 2 takes a link holding its domain marker as it stands, scheme included.
std::string indexPage(const std::string& base) {
    std::string page = "<dl>\r\n";
    for (int i = 1; i <= kChapters; ++i) {
        page += "<dd><a href=\"" + base + "/long/" + std::to_string(i) + ".html\">第" +
                std::to_string(i) + "章</a></dd>\r\n";
    }
    return pel::gbk(page + "</dl>\r\n");
}

// The server's task queue gets one task per accepted connection: the count goes to memory the
// parent shares.
class CountingQueue : public httplib::TaskQueue {
  public:
    explicit CountingQueue(std::atomic<long>* accepted) : accepted_(accepted) {}
    void enqueue(std::function<void()> fn) override {
        accepted_->fetch_add(1);
        pool_.enqueue(std::move(fn));
    }
    void shutdown() override { pool_.shutdown(); }

  private:
    std::atomic<long>* accepted_;
    // A kept-alive connection holds a thread: room for both clients' hundred at once.
    httplib::ThreadPool pool_{256};
};

std::atomic<long>* sharedCounter() {
    void* shared = mmap(nullptr, sizeof(std::atomic<long>), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        std::abort();
    return new (shared) std::atomic<long>(0);
}

// The loopback site, in a child process, counting the connections it accepts in memory the
// parent shares.
class DownloadSite {
  public:
    // With a certificate the site speaks TLS only.
    explicit DownloadSite(const pel::testing::TestCertificate* tls)
        : tls_(tls != nullptr),
          accepted_(sharedCounter()),
          child_([this, tls](const std::function<void(int)>& announce) {
              // Its threads inherit the name, which keeps them apart from ours in a profile.
              prctl(PR_SET_NAME, "bench-site");
              if (tls != nullptr) {
                  httplib::SSLServer server(tls->certificate.c_str(), tls->key.c_str());
                  serve(server, announce);
              } else {
                  httplib::Server server;
                  serve(server, announce);
              }
          }) {}
    ~DownloadSite() { munmap(accepted_, sizeof(std::atomic<long>)); }
    DownloadSite(const DownloadSite&) = delete;
    DownloadSite& operator=(const DownloadSite&) = delete;
    std::string hostPort() const { return child_.hostPort(); }
    std::string baseUrl() const { return scheme() + hostPort(); }
    bool ok() const { return child_.ok(); }
    // Connections accepted since the last call.
    long takeAccepted() { return accepted_->exchange(0); }

  private:
    std::string scheme() const { return tls_ ? "https://" : "http://"; }
    void serve(httplib::Server& server, const std::function<void(int)>& announcePort) {
        if (!server.is_valid())
            _exit(1);
        server.new_task_queue = [this] { return new CountingQueue(accepted_); };
        server.set_keep_alive_max_count(1000000);
        // A kept-alive answer goes out in two writes, head and body: without this the body
        // waits for the client's delayed acknowledgement of the head.
        server.set_tcp_nodelay(true);
        std::string index;  // its links name the port, known once bound
        server.Get("/long/", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content(index, "text/html");
        });
        // Built before the port opens, so the latency is the only cost of a page.
        std::vector<std::string> pages(kChapters + 1);
        for (int i = 1; i <= kChapters; ++i)
            pages[i] = pel::bench::longBookChapterPage(i);
        server.Get(R"(/long/(\d+)\.html)",
                   [&pages](const httplib::Request& req, httplib::Response& res) {
                       std::this_thread::sleep_for(std::chrono::milliseconds(kLatencyMs));
                       const int i = std::stoi(req.matches[1]);
                       if (i < 1 || i > kChapters) {
                           res.status = 404;
                           return;
                       }
                       res.set_content(pages[i], "text/html");
                   });
        const int port = pel::demo::bindLoopback(server);
        index = indexPage(scheme() + "127.0.0.1:" + std::to_string(port));
        announcePort(port);
        server.listen_after_bind();
    }
    const bool tls_;
    std::atomic<long>* const accepted_;
    pel::bench::ChildSite child_;  // last: its child serves with the members above
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct CurlRun {
    double wallSeconds = -1;
    double cpuSeconds = 0;
};

// curl fetching every chapter page, 100 transfers at a time, as the yardstick.
CurlRun runCurl(const DownloadSite& site, const std::filesystem::path& dir,
                const std::filesystem::path& caFile) {
    const std::filesystem::path config = dir / "chapters.curl";
    {
        std::ofstream out(config);
        for (int i = 1; i <= kChapters; ++i) {
            out << "url = \"" << site.baseUrl() << "/long/" << i << ".html\"\n"
                << "output = \"/dev/null\"\n";
        }
    }
    std::string command = "curl --silent --fail --parallel --parallel-immediate --parallel-max " +
                          std::to_string(kWorkers);
    if (!caFile.empty())
        command += " --cacert '" + caFile.string() + "'";
    command += " --config '" + config.string() + "' 2>/dev/null";
    CurlRun run;
    const double cpuBefore = childCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return run;
    run.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = childCpuSeconds() - cpuBefore;
    return run;
}

void BM_ChapterDownload(benchmark::State& state, bool tls) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pelnoria-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    pel::testing::TestCertificate certificate;
    if (tls && !pel::testing::makeTestCertificate(dir, certificate)) {
        state.SkipWithError("no certificate: the openssl tool failed");
        return;
    }
    DownloadSite site(tls ? &certificate : nullptr);
    if (!site.ok()) {
        state.SkipWithError("the loopback site did not start");
        return;
    }

    pel::AppSettings settings = pel::buildSettings();
    settings.programDirectory = dir;
    settings.bookDirectory = dir;
    settings.sites.baseUrl[2] = site.baseUrl();
    settings.sites.domainMarker[2] = "127.0.0.1";
    settings.bannerSteps = 1;
    settings.bannerStepMs = 1;
    if (tls)
        settings.net.caFile = certificate.certificate.string();
    pel::RecordingWindow window;
    pel::RecordingShell shell;
    pel::ResultSlot slot;
    slot.bookUrl = site.baseUrl() + "/long/";
    slot.name = pel::gbk("长夜");
    slot.author = pel::gbk("无名氏");

    site.takeAccepted();
    const double cpuBefore = cpuSeconds();
    double wall = 0;
    for (auto _ : state) {
        // A new state for every download: it starts without connections, as curl does.
        window.clear();
        pel::AppState app(window, shell, settings);
        app.search.resultSlots[2].set(slot);
        app.search.selectedSite.store(2);
        const auto start = std::chrono::steady_clock::now();
        pel::startDownload(app);
        if (!app.threads.waitForThreads(std::chrono::minutes(2))) {
            state.SkipWithError("the download did not finish");
            break;
        }
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (app.download.emptyChapters.load() != 0) {
            state.SkipWithError("chapters came back empty");
            break;
        }
    }
    const double iterations = static_cast<double>(state.iterations());
    const double cpu = (cpuSeconds() - cpuBefore) / iterations;
    const double connections = site.takeAccepted() / iterations;
    const double meanWall = wall / iterations;
    const double ideal = kChapters / static_cast<double>(kWorkers) * kLatencyMs / 1000.0;
    const CurlRun curl = runCurl(site, dir, tls ? certificate.certificate : "");
    const double curlConnections = static_cast<double>(site.takeAccepted());
    const std::filesystem::path book = dir / pel::gbkToUtf8(pel::gbk("长夜-无名氏.txt"));
    const double bookMiB =
        std::filesystem::exists(book) ? std::filesystem::file_size(book) / (1024.0 * 1024.0) : 0.0;

    state.counters["wall_s"] = meanWall;
    state.counters["ideal_s"] = ideal;
    state.counters["vs_ideal"] = meanWall / ideal;  // goal: at most 1.5
    state.counters["curl_s"] = curl.wallSeconds;
    state.counters["vs_curl"] = curl.wallSeconds > 0 ? meanWall / curl.wallSeconds : 0;  // <= 1.0
    state.counters["cpu_s"] = cpu;
    state.counters["curl_cpu_s"] = curl.cpuSeconds;
    state.counters["cpu_vs_curl"] = curl.cpuSeconds > 0 ? cpu / curl.cpuSeconds : 0;  // <= 1.0
    state.counters["connections"] = connections;
    state.counters["curl_connections"] = curlConnections;
    state.counters["book_MiB"] = bookMiB;
    state.counters["peak_rss_MiB"] = peakRssMiB();
    state.counters["rss_limit_MiB"] = 3 * bookMiB + 100;  // goal: peak_rss_MiB below this
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK_CAPTURE(BM_ChapterDownload, http, false)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ChapterDownload, https, true)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
int main(int argc, char** argv) {
    pel::NetRuntime runtime;
    pel::CharsetRuntime charsets;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
