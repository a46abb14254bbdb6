// Process-wide set-up of the HTTP layer: curl_global_init once and SIGPIPE ignored. Create
// one in main() before any other thread starts; it cleans up when it goes out of scope.
#pragma once

namespace pel {

class NetRuntime {
  public:
    NetRuntime();
    ~NetRuntime();
    NetRuntime(const NetRuntime&) = delete;
    NetRuntime& operator=(const NetRuntime&) = delete;
};

}  // namespace pel
