#include "raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace pel::test {

namespace {

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        throw std::runtime_error("socket");
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 128) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

std::string lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Content-Length of a request head, 0 when it has none.
std::size_t contentLength(const std::string& head) {
    const std::string l = lower(head);
    const std::size_t at = l.find("\r\ncontent-length:");
    if (at == std::string::npos) {
        return 0;
    }
    return std::stoul(l.substr(at + 17));
}

// Reads one request (head and Content-Length body), giving up after 3 s of silence or when
// the wake pipe says the server stops.
std::string readRequest(int fd, int wakeFd) {
    std::string data;
    char buffer[4096];
    std::size_t wanted = std::string::npos;
    while (data.size() < wanted) {
        pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(p, 2, 3000) <= 0 || (p[1].revents & POLLIN) != 0) {
            break;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (data[0] == '\x16') {
            break;  // a TLS hello: no HTTP request will follow
        }
        const std::size_t end = data.find("\r\n\r\n");
        if (wanted == std::string::npos && end != std::string::npos) {
            wanted = end + 4 + contentLength(data.substr(0, end + 2));
        }
    }
    return data;
}

}  // namespace

RawServer::RawServer(Responder responder) : responder_(std::move(responder)) {
    listenFd_ = listenOnLoopback(port_);
    if (::pipe(wakePipe_) != 0) {
        throw std::runtime_error("pipe");
    }
    acceptor_ = std::thread([this] { acceptLoop(); });
}

RawServer::~RawServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(wakePipe_[1], &byte, 1);
    acceptor_.join();
    for (std::thread& worker : workers_) {
        worker.join();
    }
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
}

void RawServer::acceptLoop() {
    for (;;) {
        pollfd p[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 || (p[1].revents & POLLIN) != 0) {
            return;
        }
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd >= 0) {
            {
                std::lock_guard lock(mutex_);
                ++accepted_;
            }
            workers_.emplace_back([this, fd] { serve(fd); });
        }
    }
}

void RawServer::serve(int fd) {
    for (bool first = true;; first = false) {
        const std::string request = readRequest(fd, wakePipe_[0]);
        if (!first && request.empty()) {
            break;  // the client closed its kept connection, or stayed silent
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const Reply reply = responder_(request);
        if (reply.hold) {
            send(fd, reply);
            std::unique_lock lock(mutex_);
            stopped_.wait(lock, [this] { return stopping_; });
            break;
        }
        if (!send(fd, reply) || !reply.keepOpen) {
            break;
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

bool RawServer::send(int fd, const Reply& reply) {
    const std::size_t step = reply.trickleMs > 0 ? 1 : reply.bytes.size();
    std::size_t sent = 0;
    while (sent < reply.bytes.size()) {
        const ssize_t n = ::send(fd, reply.bytes.data() + sent,
                                 std::min(step, reply.bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
        if (reply.trickleMs > 0) {
            std::unique_lock lock(mutex_);
            if (stopped_.wait_for(lock, std::chrono::milliseconds(reply.trickleMs),
                                  [this] { return stopping_; })) {
                return false;
            }
        }
    }
    return true;
}

int RawServer::accepted() const {
    std::lock_guard lock(mutex_);
    return accepted_;
}

std::vector<std::string> RawServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::string RawServer::firstRequest() const {
    std::lock_guard lock(mutex_);
    return requests_.empty() ? std::string() : requests_.front();
}

RawServer::Reply RawServer::http(const std::string& status, const std::string& headerLines,
                                 const std::string& body) {
    return {"HTTP/1.1 " + status + "\r\n" + headerLines +
                "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
            false};
}

RawServer::Reply RawServer::keepAlive(const std::string& status, const std::string& headerLines,
                                      const std::string& body) {
    Reply reply = http(status, headerLines, body);
    reply.keepOpen = true;
    return reply;
}

int closedPort() {
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

}  // namespace pel::test
