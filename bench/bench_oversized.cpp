// Memory of a hostile download: a 200-chapter book whose every chapter page is 60 MiB, fetched
// by 100 workers at once. The figure is the process's peak RSS, which must stay under 1 GiB:
// each worker gives a page up at the chapter cap instead of holding it (and copies of it). The
// site runs in a child process, so the peak is the download's own; this benchmark has an
// executable of its own, so no other benchmark's peak is counted in it.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

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

constexpr int kChapters = 200;
constexpr std::size_t kPageBytes = std::size_t{60} << 20;

// Content markers around 60 MiB of text: the page a cleaner would cut whole if it read it.
std::string oversizedPage() {
    const std::string head = "<html>\r\n<div id=\"content\">";
    const std::string tail = "<script>read3();</script><script>bdshare();</script>\r\n</html>";
    std::string page = head;
    const std::string line = pel::gbk("夜色沉沉，风从山口吹来。<br />\r\n");
    while (page.size() + line.size() + tail.size() <= kPageBytes)
        page += line;
    page += tail;
    return page;
}

std::string indexPage() {
    std::string page = "<dl>\r\n";
    for (int i = 1; i <= kChapters; ++i) {
        page += "<dd><a href=\"/huge/" + std::to_string(i) + ".html\">第" + std::to_string(i) +
                "章</a></dd>\r\n";
    }
    return pel::gbk(page + "</dl>\r\n");
}

// The loopback site, in a child process; its port comes back through a pipe. Every chapter
// is streamed from one shared copy of the page.
void serveOversizedSite(const std::function<void(int)>& announcePort) {
    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(256); };
    server.set_keep_alive_max_count(1);
    const std::string index = indexPage();
    const std::string page = oversizedPage();
    server.Get("/huge/", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(index, "text/html");
    });
    server.Get(R"(/huge/(\d+)\.html)", [&page](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            page.size(), "text/html",
            [&page](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                return sink.write(page.data() + offset,
                                  std::min<std::size_t>(length, std::size_t{64} << 10));
            });
    });
    announcePort(pel::demo::bindLoopback(server));
    server.listen_after_bind();
}

double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void BM_OversizedChapterPages(benchmark::State& state) {
    pel::bench::ChildSite site(serveOversizedSite);
    if (!site.ok()) {
        state.SkipWithError("the loopback site did not start");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("pelnoria-bench-huge-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);

    pel::AppSettings settings = pel::buildSettings();
    settings.programDirectory = dir;
    settings.sites.baseUrl[2] = site.baseUrl();
    settings.sites.domainMarker[2] = site.hostPort();
    settings.bannerSteps = 1;
    settings.bannerStepMs = 1;
    pel::RecordingWindow window;
    pel::RecordingShell shell;
    pel::AppState app(window, shell, settings);
    pel::ResultSlot slot;
    slot.bookUrl = site.baseUrl() + "/huge/";
    slot.name = pel::gbk("巨页");
    app.search.resultSlots[2].set(slot);
    app.search.selectedSite.store(2);

    const double rssBefore = peakRssMiB();
    double wall = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pel::startDownload(app);
        if (!app.threads.waitForThreads(std::chrono::minutes(10))) {
            state.SkipWithError("the download did not finish");
            break;
        }
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["wall_s"] = wall / static_cast<double>(state.iterations());
    state.counters["empty_chapters"] = app.download.emptyChapters.load();
    state.counters["chapters"] = kChapters;
    state.counters["page_MiB"] = static_cast<double>(kPageBytes >> 20);
    state.counters["cap_MiB"] = static_cast<double>(settings.maxChapterPageBytes) / (1 << 20);
    state.counters["workers"] = settings.maxChapterWorkers;
    state.counters["rss_before_MiB"] = rssBefore;
    state.counters["peak_rss_MiB"] = peakRssMiB();
    state.counters["rss_limit_MiB"] = 1024;  // goal: peak_rss_MiB below this
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_OversizedChapterPages)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
int main(int argc, char** argv) {
    pel::NetRuntime runtime;
    pel::CharsetRuntime charsets;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
