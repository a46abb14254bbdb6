// 2,000 GETs of a 10 KB page from a loopback server, by 100 threads calling fetchPage, against
// the curl tool fetching the same URLs 100 at a time; one connection per request on both
// sides. Prints both times and their ratio.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "demo/loopback_listen.h"
#include "net/fetch_page.h"
#include "net/net_runtime.h"
#include "text/charset_runtime.h"

namespace {

constexpr int kRequests = 2000;
constexpr int kThreads = 100;

class PageServer {
  public:
    PageServer() {
        server_.new_task_queue = [] { return new httplib::ThreadPool(160); };
        const std::string page(10 * 1024, 'x');
        server_.Get(R"(/page/\d+)", [page](const httplib::Request&, httplib::Response& res) {
            res.set_content(page, "text/html");
        });
        port_ = pel::demo::bindLoopback(server_);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~PageServer() {
        server_.stop();
        thread_.join();
    }
    std::string url(int i) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/page/" + std::to_string(i);
    }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

PageServer& server() {
    static PageServer instance;
    return instance;
}

void BM_FetchPage100Threads(benchmark::State& state) {
    for (auto _ : state) {
        std::atomic<int> next{0};
        std::atomic<long long> bytes{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                for (int i = next++; i < kRequests; i = next++) {
                    pel::FetchOptions options;
                    bytes +=
                        static_cast<long long>(pel::fetchPage(server().url(i), options).size());
                }
            });
        }
        for (std::thread& t : threads) {
            t.join();
        }
        if (bytes.load() != static_cast<long long>(kRequests) * 10 * 1024) {
            state.SkipWithError("short responses");
        }
    }
}

void BM_CurlParallel100(benchmark::State& state) {
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("bench_fetch_" + std::to_string(getpid()));
    {
        std::ofstream out(config);
        for (int i = 0; i < kRequests; ++i) {
            out << "url = \"" << server().url(i) << "\"\noutput = \"/dev/null\"\n";
        }
    }
    for (auto _ : state) {
        std::string configPath = config.string();
        std::vector<std::string> args = {
            "curl",           "--silent", "--fail", "--parallel",        "--parallel-immediate",
            "--parallel-max", "100",      "-H",     "Connection: close", "-K",
            configPath};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_t child = 0;
        int status = 0;
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawnp(&child, "curl", &quiet, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (spawned != 0 || waitpid(child, &status, 0) != child) {
            state.SkipWithError("curl did not run");
            break;
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
        }
    }
    std::filesystem::remove(config);
}

BENCHMARK(BM_FetchPage100Threads)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CurlParallel100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Keeps the real time per iteration of each run, for the ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred) {
                ms_[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const {
        const auto ours = ms_.find("BM_FetchPage100Threads/iterations:3/real_time");
        const auto curl = ms_.find("BM_CurlParallel100/iterations:3/real_time");
        if (ours == ms_.end() || curl == ms_.end()) {
            return;
        }
        std::printf("fetchPage: %.1f ms, curl: %.1f ms, ratio %.2f (goal: at most 1.30)\n",
                    ours->second, curl->second, ours->second / curl->second);
    }

  private:
    std::map<std::string, double> ms_;
};

}  // namespace

int main(int argc, char** argv) {
    pel::NetRuntime runtime;
    pel::CharsetRuntime charsets;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}
