#include "demo/loopback_listen.h"

#include <sys/socket.h>

namespace pel::demo {

namespace {

void reuseAddress(socket_t sock) {
    const int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace

int bindLoopback(httplib::Server& server) {
    socket_t listening = INVALID_SOCKET;
    server.set_socket_options([&listening](socket_t sock) {
        reuseAddress(sock);
        listening = sock;
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    // The server keeps its options callback: leave it one that captures nothing of ours.
    server.set_socket_options(reuseAddress);
    if (port > 0 && listening != INVALID_SOCKET) {
        ::listen(listening, 1024);
    }
    return port;
}

}  // namespace pel::demo
