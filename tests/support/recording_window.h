// The window of the tests: a mirror that records every property write instead of showing it.
#pragma once

#include <mutex>
#include <vector>

#include "core/window.h"

namespace pel {

// The window of the tests: a mirror plus the list of every write.
class RecordingWindow : public MirroredWindow {
  public:
    std::vector<PropertyWrite> writes() const;
    // Texts written to one control, in order.
    std::vector<Text> textsOf(Control control) const;
    void clear();

  protected:
    void apply(const PropertyWrite& write) override;

  private:
    mutable std::mutex mutex_;
    std::vector<PropertyWrite> writes_;
};

}  // namespace pel
