#include "raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Reads one request (head and Content-Length body), giving up after 3 s of silence.
std::string readRequest(int fd) {
    std::string data;
    char buffer[4096];
    std::size_t wanted = std::string::npos;
    while (data.size() < wanted) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 3000) <= 0) {
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
            workers_.emplace_back([this, fd] { serve(fd); });
        }
    }
}

void RawServer::serve(int fd) {
    const std::string request = readRequest(fd);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const Reply reply = responder_(request);
    if (reply.hold) {
        std::unique_lock lock(mutex_);
        stopped_.wait(lock, [this] { return stopping_; });
    } else {
        std::size_t sent = 0;
        while (sent < reply.bytes.size()) {
            const ssize_t n =
                ::send(fd, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
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

int closedPort() {
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

}  // namespace pel::test
