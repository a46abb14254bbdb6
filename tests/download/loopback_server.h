// A small loopback HTTP server for the download tests: pages by path, answers that change
// from one request to the next, and a count of the requests it holds at the same time.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace pel::testing {

class LoopbackServer {
  public:
    // Gets the request's method and its number among the requests for the same path (from 1);
    // returns the body, or the empty string for a 404.
    using Handler = std::function<std::string(const std::string& method, int attempt)>;

    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    void page(const std::string& path, const std::string& body);  // any method
    void handle(const std::string& path, Handler handler);

    // "http://127.0.0.1:<port>" and "127.0.0.1:<port>".
    std::string baseUrl() const;
    std::string hostPort() const;

    // Every answer for a path under `prefix` (not the prefix itself) waits until `concurrent`
    // requests are held at once (or the timeout passed), then `holdMs` more: a client's cap is then
    // exactly the highest count observed.
    void gateAt(const std::string& prefix, int concurrent, int timeoutMs, int holdMs);
    int maxConcurrent() const;
    int requestsFor(const std::string& path) const;
    std::string lastMethodFor(const std::string& path) const;

  private:
    std::string serve(const std::string& method, const std::string& path);

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable gateOpened_;
    std::map<std::string, Handler> handlers_;
    std::map<std::string, int> requests_;
    std::map<std::string, std::string> methods_;
    int current_ = 0;
    int max_ = 0;
    std::string gatePrefix_;
    int gateTarget_ = 0;
    int gateTimeoutMs_ = 0;
    int holdMs_ = 0;
    bool gateOpen_ = false;
};

}  // namespace pel::testing
