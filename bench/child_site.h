// The loopback site of the download benchmarks runs in a child process, so that the CPU time
// and peak RSS a benchmark measures are the download's own. The child binds its port, tells
// the parent the number through a pipe and serves until the parent ends it.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "text/encoding.h"

namespace pel::bench {

class ChildSite {
  public:
    // Runs in the child: binds, calls announcePort(port) once, then serves.
    using Serve = std::function<void(const std::function<void(int port)>& announcePort)>;

    explicit ChildSite(const Serve& serve) {
        int fds[2];
        if (pipe(fds) != 0)
            std::abort();
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            serve([fd = fds[1]](int port) {
                if (write(fd, &port, sizeof port) != sizeof port)
                    _exit(1);
                close(fd);
            });
            _exit(0);
        }
        close(fds[1]);
        if (pid_ < 0 || read(fds[0], &port_, sizeof port_) != sizeof port_)
            port_ = 0;
        close(fds[0]);
    }
    ~ChildSite() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    ChildSite(const ChildSite&) = delete;
    ChildSite& operator=(const ChildSite&) = delete;

    int port() const { return port_; }
    bool ok() const { return port_ > 0; }
    std::string hostPort() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string baseUrl() const { return "http://" + hostPort(); }  // a plain-http site

  private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Chapter i of the benchmarks' long book: about 10 KB of GBK text between site 2's markers.
inline std::string longBookChapterPage(int i) {
    std::string body;
    for (int line = 0; line < 40; ++line) {
        body += "第" + std::to_string(i) + "章的第" + std::to_string(line) +
                "行，夜色沉沉，风从山口吹来。<br />\r\n";
    }
    return pel::gbk("<html>\r\n<div id=\"content\">" + body +
                    "<script>read3();</script><script>bdshare();</script>\r\n</html>");
}

}  // namespace pel::bench
