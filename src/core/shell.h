// The system shell: open an address in the default browser, a directory in the file browser.
// openUrl is only ever handed http and https addresses (openInBrowser checks).
#pragma once

#include <string>

namespace pel {

class Shell {
  public:
    virtual ~Shell() = default;
    virtual void openUrl(const std::string& utf8Url) = 0;
    virtual void exploreDirectory(const std::string& utf8Path) = 0;
};

}  // namespace pel
