// Chapter records kept on disk between downloads, so that a download of a book already seen
// fetches only the chapters that are missing or new.
//
// Layout under the folder: one directory per book (site and book address), named by a hash of
// that key, holding one file per chapter (site and chapter address), named by a hash of that
// key, plus a "used" file whose modification time orders the books for eviction. Book and
// chapter names are 16 hex digits; addresses never become file names.
//
// An entry file is a header (magic, key length, record length, CRC-32 of key and record), the
// key and the record. It is written to a temporary file in the same directory, synced and
// renamed over the old entry, so a reader sees the old entry, the new one or none, never a
// partial one; a load that finds the sizes or the checksum wrong refuses the entry.
//
// Safe to use from many threads at once: stores and loads of different chapters touch
// different files and share only a short lock for the book's last-use time.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "text/text.h"

namespace pel {

inline constexpr std::uintmax_t kDefaultChapterCacheBytes = 512ull * 1024 * 1024;

class ChapterCache {
  public:
    // `folder` is created on the first store when missing.
    explicit ChapterCache(std::filesystem::path folder,
                          std::uintmax_t capBytes = kDefaultChapterCacheBytes);
    ChapterCache(const ChapterCache&) = delete;
    ChapterCache& operator=(const ChapterCache&) = delete;

    // Writes `record` (the exact bytes that go into the book) for the chapter, replacing any
    // earlier one, and marks the book used. An empty record is never stored. False when
    // nothing was stored (empty record, or the disk refused it).
    bool store(int site, const Text& bookUrl, const Text& chapterUrl, const Text& record);

    // The stored record, when its length and checksum are intact (the book is then marked
    // used); nullopt when there is none or it is damaged (a damaged entry is deleted).
    std::optional<Text> load(int site, const Text& bookUrl, const Text& chapterUrl);

    // When the cache may exceed its cap, removes whole books, least recently used first,
    // until the total fits. Walks the folder only when the last walk's total plus what this
    // object has stored since could exceed the cap; meant for the end of a download.
    // Returns the number of books removed.
    int trim();

    // Removes every book. Only directories this cache could have made (16 hex digits) are
    // touched, so a folder set by mistake loses nothing else. False when a book could not be
    // removed.
    bool clear();

    const std::filesystem::path& folder() const { return folder_; }
    std::uintmax_t capBytes() const { return capBytes_; }

  private:
    void markUsed(const std::string& bookName, const std::filesystem::path& bookDir);
    void forgetLastUsed();

    const std::filesystem::path folder_;
    const std::uintmax_t capBytes_;

    // The book stamped last and the stamp it got. Stamps strictly increase, so books used one
    // after the other are ordered even when the clock has not moved between them.
    std::mutex usedMutex_;
    std::string lastUsedBook_;
    std::int64_t lastStampNs_ = 0;

    // trim() and clear() run one at a time; the total of the last walk (-1: none yet) and the
    // bytes stored since it tell trim() whether it needs to walk.
    std::mutex trimMutex_;
    std::intmax_t walkedBytes_ = -1;
    std::atomic<std::uintmax_t> storedSinceWalk_{0};
};

}  // namespace pel
