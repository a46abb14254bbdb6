// Writing a file so that it is either the old one or the whole new one, never half of either.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace pel {

// The file-system calls a replace makes, with their POSIX meaning; an empty one is the
// system's own. Tests put in calls that fail, as a full disk or a failed rename would.
struct FileCalls {
    std::function<long(int fd, const char* data, std::size_t size)> write;
    std::function<int(int fd)> sync;
    std::function<int(const char* from, const char* to)> rename;
};

// A new file for `target` that takes its place only once it is complete: the bytes go to a
// temporary file in the same folder, which commit() writes through to the disk and renames
// over the target. Until then, and whenever a step fails, an earlier file at the target
// stays as it was; the temporary file is removed unless the commit succeeded.
class ReplacingFile {
  public:
    explicit ReplacingFile(const std::filesystem::path& target, FileCalls calls = {});
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False once anything has failed (also when the temporary file could not be made, or the
    // target is something other than a regular file).
    bool ok() const { return fd_ >= 0; }
    // Writes all the bytes; false, and the file given up, when they cannot all get out.
    bool append(std::string_view bytes);
    // Syncs, closes and renames over the target. True only when all of it succeeded.
    bool commit();

  private:
    void giveUp();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    FileCalls calls_;
    int fd_ = -1;
};

// Replaces the file (or creates it) with exactly `bytes`, through a ReplacingFile: on false
// an earlier file at `path` is left as it was.
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                    const FileCalls& calls = {});

}  // namespace pel
