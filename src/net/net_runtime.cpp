#include "net/net_runtime.h"

#include <curl/curl.h>

#include <csignal>

namespace pel {

NetRuntime::NetRuntime() {
    // A peer that closes mid-write must not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

NetRuntime::~NetRuntime() {
    curl_global_cleanup();
}

}  // namespace pel
