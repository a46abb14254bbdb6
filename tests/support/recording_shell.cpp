#include "support/recording_shell.h"

namespace pel {

void RecordingShell::openUrl(const std::string& utf8Url) {
    std::lock_guard lock(mutex_);
    urls_.push_back(utf8Url);
}

void RecordingShell::exploreDirectory(const std::string& utf8Path) {
    std::lock_guard lock(mutex_);
    directories_.push_back(utf8Path);
}

std::vector<std::string> RecordingShell::openedUrls() const {
    std::lock_guard lock(mutex_);
    return urls_;
}

std::vector<std::string> RecordingShell::exploredDirectories() const {
    std::lock_guard lock(mutex_);
    return directories_;
}

}  // namespace pel
