// A small web site on a loopback port for the search and update tests: fixed bodies by path,
// a log of every request target as it arrived (path and raw query), and paths whose answers
// wait until the test releases them.
#pragma once

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace pel::testing {

class LoopbackSite {
  public:
    struct Page {
        int status = 200;
        std::string body;
    };

    LoopbackSite() {
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            std::unique_lock lock(mutex_);
            targets_.push_back(req.target);
            if (held_.count(req.path) != 0) {
                ++waiting_[req.path];
                released_.wait(lock, [&] { return held_.count(req.path) == 0; });
                --waiting_[req.path];
            }
            const auto page = pages_.find(req.path);
            if (page == pages_.end()) {
                res.status = 404;
                res.set_content("not here", "text/html");
                return;
            }
            res.status = page->second.status;
            res.set_content(page->second.body, "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~LoopbackSite() {
        {
            std::lock_guard lock(mutex_);
            held_.clear();
        }
        released_.notify_all();
        server_.stop();
        thread_.join();
    }
    LoopbackSite(const LoopbackSite&) = delete;
    LoopbackSite& operator=(const LoopbackSite&) = delete;

    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string base() const { return "http://" + host(); }

    void serve(const std::string& path, std::string body, int status = 200) {
        std::lock_guard lock(mutex_);
        pages_[path] = Page{status, std::move(body)};
    }
    std::vector<std::string> targets() const {
        std::lock_guard lock(mutex_);
        return targets_;
    }
    // Requests for `path` are held unanswered until release(path) (or the site's end).
    void hold(const std::string& path) {
        std::lock_guard lock(mutex_);
        held_.insert(path);
    }
    void release(const std::string& path) {
        {
            std::lock_guard lock(mutex_);
            held_.erase(path);
        }
        released_.notify_all();
    }
    // How many requests for `path` are held right now.
    int waiting(const std::string& path) const {
        std::lock_guard lock(mutex_);
        const auto count = waiting_.find(path);
        return count == waiting_.end() ? 0 : count->second;
    }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, Page> pages_;
    std::vector<std::string> targets_;
    std::set<std::string> held_;
    std::map<std::string, int> waiting_;
    std::condition_variable released_;
};

// An address on which nothing answers: a loopback port that was bound, never listened on,
// and closed again, so a connection is refused at once.
inline std::string deadBase() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t length = sizeof addr;
    int port = 9;  // discard: nothing listens there on a test machine
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
        port = ntohs(addr.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return "http://127.0.0.1:" + std::to_string(port);
}

}  // namespace pel::testing
