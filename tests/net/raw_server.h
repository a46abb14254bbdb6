// A loopback server on plain sockets for the cases a library server hides: it records every
// request's exact bytes, and answers with exact bytes, a broken answer, a trickle or no answer
// at all. It counts the connections it accepted.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pel::test {

class RawServer {
  public:
    // The bytes to send back for one request. `hold` sends them and then keeps the
    // connection open without another word until the server stops; `trickleMs` sends the bytes one
    // at a time with that pause after each; `keepOpen` reads the next request on the same
    // connection once the reply is out (else the server closes the connection).
    struct Reply {
        std::string bytes;
        bool hold = false;
        int trickleMs = 0;
        bool keepOpen = false;
    };
    using Responder = std::function<Reply(const std::string& request)>;

    explicit RawServer(Responder responder);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int port() const { return port_; }
    int accepted() const;
    std::vector<std::string> requests() const;
    // Bytes of the first request, or "" when none came.
    std::string firstRequest() const;

    // A reply with a status line, the given header lines and the body; Content-Length added.
    static Reply http(const std::string& status, const std::string& headerLines,
                      const std::string& body);
    // The same, leaving the connection open for the next request.
    static Reply keepAlive(const std::string& status, const std::string& headerLines,
                           const std::string& body);

  private:
    void acceptLoop();
    void serve(int fd);
    // False once the client has gone or the server is stopping.
    bool send(int fd, const Reply& reply);

    Responder responder_;
    int listenFd_ = -1;
    int port_ = 0;
    int wakePipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::vector<std::string> requests_;
    int accepted_ = 0;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A port on 127.0.0.1 that nothing listens on (bound, then closed).
int closedPort();

}  // namespace pel::test
