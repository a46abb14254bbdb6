// A six-site search against the demo sites with 200 ms on every response, against the chain
// of the slowest single site (its requests one after the other: about 600 ms). The workers run
// side by side, so the whole search should take little more than that one chain.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/app_state.h"
#include "demo/demo_catalogue.h"
#include "demo/demo_sites.h"
#include "net/net_runtime.h"
#include "search/result_page.h"
#include "search/search_run.h"
#include "search/site_search.h"
#include "support/recording_shell.h"
#include "support/recording_window.h"
#include "text/charset_runtime.h"

namespace {

constexpr int kLatencyMs = 200;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct SearchBench {
    explicit SearchBench(const std::filesystem::path& dir) {
        if (!sites.start()) {
            std::abort();
        }
        sites.knobs().latencyMs = kLatencyMs;
        pel::AppSettings settings = pel::buildSettings();
        pel::demo::useDemoSites(settings, sites);
        settings.programDirectory = dir;
        settings.pageDirectory = dir;
        settings.bannerStepMs = 1;
        app = std::make_unique<pel::AppState>(window, shell, std::move(settings));
        window.recordUserText(pel::Control::SearchBox, pel::demo::bookByRole("everywhere").name);
    }
    ~SearchBench() {
        app->threads.waitForThreads(std::chrono::seconds(60));
        app.reset();
        sites.stop();
    }

    // One worker on this thread: the chain of requests of that site alone.
    double chainSeconds(int site) {
        const auto start = Clock::now();
        if (site == 1) {
            pel::runDirectDownloadSiteSearch(*app, 0);
        } else {
            pel::runSiteSearch(*app, site);
        }
        return secondsSince(start);
    }

    pel::demo::DemoSites sites;
    pel::RecordingWindow window;
    pel::RecordingShell shell;
    std::unique_ptr<pel::AppState> app;
};

std::filesystem::path benchDirectory() {
    auto dir = std::filesystem::temp_directory_path() / "pelnoria-bench-search";
    std::filesystem::create_directories(dir);
    return dir;
}

void BM_SixSiteSearch(benchmark::State& state) {
    SearchBench bench(benchDirectory());
    double slowestChain = 0;
    for (int site = 1; site <= pel::kSiteCount; ++site) {
        slowestChain = std::max(slowestChain, bench.chainSeconds(site));
    }
    double total = 0;
    long thumbnails = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        pel::startSearch(*bench.app);
        bench.app->threads.waitForThreads(std::chrono::seconds(60));
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        total += seconds;
        {
            std::lock_guard lock(bench.app->search.thumbnailMutex);
            thumbnails =
                static_cast<long>(std::count(bench.app->search.resultListHtml.begin(),
                                             bench.app->search.resultListHtml.end(), '\n'));
        }
        pel::onNavigateComplete(*bench.app);
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["slowest_chain_ms"] = slowestChain * 1000;
    state.counters["search_ms"] = mean * 1000;
    state.counters["ratio"] = mean / slowestChain;  // goal: at most 1.2
    state.counters["thumbnails"] = static_cast<double>(thumbnails);
}
BENCHMARK(BM_SixSiteSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    pel::NetRuntime runtime;
    pel::CharsetRuntime charsets;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
