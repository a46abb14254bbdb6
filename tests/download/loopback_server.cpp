#include "loopback_server.h"

#include <chrono>

#include "demo/loopback_listen.h"

namespace pel::testing {

LoopbackServer::LoopbackServer() {
    // Enough server threads that the client's own cap is what limits the concurrency.
    server_.new_task_queue = [] { return new httplib::ThreadPool(256); };
    server_.set_keep_alive_max_count(1);
    auto answer = [this](const httplib::Request& req, httplib::Response& res) {
        const std::string body = serve(req.method, req.path);
        if (body.empty()) {
            res.status = 404;
            return;
        }
        res.set_content(body, "text/html");
    };
    // Answered before any page and counted nowhere: the constructor waits for it.
    server_.Get("/__ready", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ready", "text/plain");
    });
    server_.Get(".*", answer);
    server_.Post(".*", answer);
    port_ = demo::bindLoopback(server_);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // The thread pool starts inside the accept loop, slowly on a loaded machine or under the
    // race detector: return only once a request has really been answered, so that a test's
    // first fetch does not run into its own short time-outs.
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(1, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto res = client.Get("/__ready"); res && res->status == 200)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

LoopbackServer::~LoopbackServer() {
    server_.stop();
    if (thread_.joinable())
        thread_.join();
}

void LoopbackServer::page(const std::string& path, const std::string& body) {
    handle(path, [body](const std::string&, int) { return body; });
}

void LoopbackServer::handle(const std::string& path, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[path] = std::move(handler);
}

std::string LoopbackServer::baseUrl() const {
    return "http://" + hostPort();
}
std::string LoopbackServer::hostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void LoopbackServer::gateAt(const std::string& prefix, int concurrent, int timeoutMs, int holdMs) {
    std::lock_guard lock(mutex_);
    gatePrefix_ = prefix;
    gateTarget_ = concurrent;
    gateTimeoutMs_ = timeoutMs;
    holdMs_ = holdMs;
    gateOpen_ = false;
}

int LoopbackServer::maxConcurrent() const {
    std::lock_guard lock(mutex_);
    return max_;
}

int LoopbackServer::requestsFor(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = requests_.find(path);
    return it == requests_.end() ? 0 : it->second;
}

std::string LoopbackServer::lastMethodFor(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = methods_.find(path);
    return it == methods_.end() ? std::string() : it->second;
}

std::string LoopbackServer::serve(const std::string& method, const std::string& path) {
    Handler handler;
    int attempt = 0;
    int holdMs = 0;
    {
        std::unique_lock lock(mutex_);
        attempt = ++requests_[path];
        methods_[path] = method;
        max_ = std::max(max_, ++current_);
        if (gateTarget_ > 0 && path.size() > gatePrefix_.size() &&
            path.rfind(gatePrefix_, 0) == 0) {
            if (current_ >= gateTarget_)
                gateOpen_ = true;
            gateOpened_.notify_all();
            gateOpened_.wait_for(lock, std::chrono::milliseconds(gateTimeoutMs_),
                                 [this] { return gateOpen_; });
            // A gate that timed out stays open: the rest of the run is not held again.
            gateOpen_ = true;
            holdMs = holdMs_;
        }
        auto it = handlers_.find(path);
        if (it != handlers_.end())
            handler = it->second;
    }
    if (holdMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    std::string body = handler ? handler(method, attempt) : std::string();
    std::lock_guard lock(mutex_);
    --current_;
    return body;
}

}  // namespace pel::testing
