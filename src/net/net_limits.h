// Bounds that keep one request from holding a worker forever or exhausting memory, and the
// trust store of its TLS connections.
#pragma once

#include <cstddef>
#include <string>

namespace pel {

struct NetLimits {
    long connectTimeoutMs = 15000;  // to establish the connection
    long stallSeconds = 30;         // transfer abandoned below 1 byte/s for this long
    // The whole request, redirects included: a site that keeps sending a byte now and then
    // never stalls, and must not hold a worker longer than this. 0 means no bound.
    long totalTimeoutMs = 120000;
    std::size_t maxBodyBytes = 64u << 20;  // body cut off here, as a body that broke off
    long maxRedirects = 10;
    // A PEM file of certificates to trust in place of the system's store; empty for the
    // system's. Only tests and benchmarks set it, for their own loopback TLS servers.
    std::string caFile;
};

}  // namespace pel
