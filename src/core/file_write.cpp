#include "core/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

namespace pel {

namespace {

long callWrite(const FileCalls& calls, int fd, const char* data, std::size_t size) {
    return calls.write ? calls.write(fd, data, size) : ::write(fd, data, size);
}

int callSync(const FileCalls& calls, int fd) {
    return calls.sync ? calls.sync(fd) : ::fsync(fd);
}

int callRename(const FileCalls& calls, const char* from, const char* to) {
    return calls.rename ? calls.rename(from, to) : std::rename(from, to);
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Opens a new file with a name of its own in the folder. The name does not grow with the
// target's, so it fits wherever the target's name fits; the leading dot keeps it out of
// sight in a file browser for as long as it exists.
int openTemporary(const std::filesystem::path& folder, std::filesystem::path& path) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".save-%08x%08x.tmp", random(), random());
        path = folder / name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Makes the folder's entry for the renamed file durable too; the file itself is already
// complete, so a failure here changes nothing the caller can act on.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

ReplacingFile::ReplacingFile(const std::filesystem::path& target, FileCalls calls)
    : target_(target), calls_(std::move(calls)) {
    // Only a regular file is ever replaced: renaming over a folder fails anyway, and a
    // device or a pipe at the target must stay what it is.
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return;
    if (!exists && errno != ENOENT)
        return;
    fd_ = openTemporary(folderOf(target_), temporary_);
    // A book written again keeps the permissions the user gave the earlier copy.
    if (fd_ >= 0 && exists)
        ::fchmod(fd_, existing.st_mode & 07777);
}

ReplacingFile::~ReplacingFile() {
    giveUp();
}

void ReplacingFile::giveUp() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(temporary_.c_str());
}

bool ReplacingFile::append(std::string_view bytes) {
    while (fd_ >= 0 && !bytes.empty()) {
        const long written = callWrite(calls_, fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            giveUp();
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return fd_ >= 0;
}

bool ReplacingFile::commit() {
    if (fd_ < 0)
        return false;
    if (callSync(calls_, fd_) != 0) {
        giveUp();
        return false;
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 || callRename(calls_, temporary_.c_str(), target_.c_str()) != 0) {
        ::unlink(temporary_.c_str());
        return false;
    }
    syncFolder(folderOf(target_));
    return true;
}

bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                    const FileCalls& calls) {
    ReplacingFile file(path, calls);
    return file.append(bytes) && file.commit();
}

}  // namespace pel
