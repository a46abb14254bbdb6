// Bounds that keep one request from holding a worker forever or exhausting memory.
#pragma once

#include <cstddef>

namespace pel {

struct NetLimits {
    long connectTimeoutMs = 15000;  // to establish the connection
    long stallSeconds = 30;         // transfer abandoned below 1 byte/s for this long
    // The whole request, redirects included: a site that keeps sending a byte now and then
    // never stalls, and must not hold a worker longer than this. 0 means no bound.
    long totalTimeoutMs = 120000;
    std::size_t maxBodyBytes = 64u << 20;  // body cut off here, as a body that broke off
    long maxRedirects = 10;
};

}  // namespace pel
