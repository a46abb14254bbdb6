// The system shell on Qt: the default browser and the file browser through QDesktopServices.
#pragma once

#include <QObject>
#include <memory>

#include "core/shell.h"

namespace pel {

// Create on the GUI thread. Calls may come from any thread (the book is saved on a chapter
// worker); they are carried out on the GUI thread, where QDesktopServices must run.
class QtShell : public Shell {
  public:
    QtShell();
    ~QtShell() override;
    void openUrl(const std::string& utf8Url) override;
    void exploreDirectory(const std::string& utf8Path) override;

  private:
    std::unique_ptr<QObject> relay_;  // lives on the GUI thread
};

}  // namespace pel
