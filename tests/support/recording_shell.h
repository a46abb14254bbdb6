// The shell of the tests: records what would have been opened.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/shell.h"

namespace pel {

// Records the calls instead of opening anything.
class RecordingShell : public Shell {
  public:
    void openUrl(const std::string& utf8Url) override;
    void exploreDirectory(const std::string& utf8Path) override;
    std::vector<std::string> openedUrls() const;
    std::vector<std::string> exploredDirectories() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> urls_;
    std::vector<std::string> directories_;
};

}  // namespace pel
