// Binding an HTTP server of the demo sites, the tests and the benchmarks to loopback.
#pragma once

#include <httplib.h>

namespace pel::demo {

// Binds `server` to a free port of 127.0.0.1 and returns it (0 or less on failure). The
// library listens with a backlog of 5: a hundred workers connecting at once would lose SYNs
// and wait a second for each retransmission, so the bound socket listens again with a
// backlog of 1024. The caller then runs server.listen_after_bind() on a thread.
int bindLoopback(httplib::Server& server);

}  // namespace pel::demo
