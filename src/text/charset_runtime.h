// Process-wide set-up of the code-page conversions. Create one in main() before any other
// thread starts; it keeps what it loaded until it goes out of scope.
#pragma once

#include <memory>

namespace pel {

// glibc loads the GBK converter as a shared module when the first descriptor needs it and
// unloads it again when the last one closes. Every conversion here opens and closes its own
// descriptor, so without a holder the module would be mapped and unmapped over and over,
// from many threads at once. Holding one descriptor in each direction keeps it loaded.
class CharsetRuntime {
  public:
    CharsetRuntime();
    ~CharsetRuntime();
    CharsetRuntime(const CharsetRuntime&) = delete;
    CharsetRuntime& operator=(const CharsetRuntime&) = delete;

  private:
    struct Held;
    std::unique_ptr<Held> held_;
};

}  // namespace pel
