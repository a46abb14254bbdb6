// The system shell: open an address in the default browser, a directory in the file browser.
// Only http and https addresses are ever handed to it (openInBrowser checks).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "text/text.h"

namespace pel {

class Shell {
  public:
    virtual ~Shell() = default;
    virtual void openUrl(const std::string& utf8Url) = 0;
    virtual void exploreDirectory(const std::string& utf8Path) = 0;
};

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
