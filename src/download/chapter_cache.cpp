#include "download/chapter_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

namespace pel {
namespace {

namespace fs = std::filesystem;

constexpr char kMagic[4] = {'P', 'N', 'C', '1'};
// magic, key length (u32), record length (u64), CRC-32 of key then record (u32); little endian.
constexpr std::size_t kHeaderBytes = 4 + 4 + 8 + 4;
// Far above any chapter; a larger file is not ours and is not read into memory.
constexpr std::uintmax_t kMaxEntryBytes = 64ull * 1024 * 1024;
constexpr const char* kUsedFile = "used";

class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded (a failed close can mean lost data).
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

std::uint64_t fnv1a64(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string hexName(std::string_view key) {
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(fnv1a64(key)));
    return name;
}

bool isCacheName(const std::string& name) {
    return name.size() == 16 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// The site number never holds a newline, so the split between it and the address is plain.
std::string siteKey(int site, const Text& url) {
    return decimal(site) + "\n" + url;
}

std::uint32_t checksum(std::string_view key, std::string_view record) {
    uLong crc = crc32_z(0L, reinterpret_cast<const Bytef*>(key.data()), key.size());
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(record.data()), record.size());
    return static_cast<std::uint32_t>(crc);
}

void putLittle(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

std::uint64_t getLittle(std::string_view in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    return value;
}

std::string entryBytes(const std::string& key, const Text& record) {
    std::string out;
    out.reserve(kHeaderBytes + key.size() + record.size());
    out.append(kMagic, sizeof kMagic);
    putLittle(out, key.size(), 4);
    putLittle(out, record.size(), 8);
    putLittle(out, checksum(key, record), 4);
    out += key;
    out += record;
    return out;
}

enum class EntryCheck { Good, OtherKey, Damaged };

EntryCheck checkEntry(std::string_view file, const std::string& key) {
    if (file.size() < kHeaderBytes || file.substr(0, 4) != std::string_view(kMagic, 4)) {
        return EntryCheck::Damaged;
    }
    std::uint64_t keyLength = getLittle(file, 4, 4);
    std::uint64_t recordLength = getLittle(file, 8, 8);
    if (keyLength > file.size() - kHeaderBytes ||
        recordLength != file.size() - kHeaderBytes - keyLength) {
        return EntryCheck::Damaged;
    }
    std::string_view storedKey = file.substr(kHeaderBytes, keyLength);
    std::string_view record = file.substr(kHeaderBytes + keyLength);
    if (checksum(storedKey, record) != getLittle(file, 16, 4)) {
        return EntryCheck::Damaged;
    }
    // Two addresses with the same name hash: the entry is sound but belongs to the other one.
    return storedKey == key ? EntryCheck::Good : EntryCheck::OtherKey;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Reads the whole file; nullopt when it cannot be read or is larger than any entry.
std::optional<std::string> readAll(int fd, struct stat& info) {
    if (::fstat(fd, &info) != 0 || static_cast<std::uintmax_t>(info.st_size) > kMaxEntryBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t have = 0;
    while (have < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return std::nullopt;
        }
        have += static_cast<std::size_t>(n);
    }
    return bytes;
}

// Removes a damaged entry unless a store has already put a new file in its place.
void removeIfSame(const fs::path& path, const struct stat& opened) {
    struct stat now {};
    if (::stat(path.c_str(), &now) == 0 && now.st_dev == opened.st_dev &&
        now.st_ino == opened.st_ino) {
        ::unlink(path.c_str());
    }
}

struct BookOnDisk {
    fs::path dir;
    std::uintmax_t bytes = 0;
    fs::file_time_type used;
};

BookOnDisk measureBook(const fs::path& dir) {
    BookOnDisk book;
    book.dir = dir;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        std::error_code sizeError;
        std::uintmax_t size = it->file_size(sizeError);
        if (!sizeError) {
            book.bytes += size;
        }
    }
    // A book whose "used" file is missing (a crash between its first store and the stamp)
    // counts as used when its directory last changed.
    book.used = fs::last_write_time(dir / kUsedFile, error);
    if (error) {
        book.used = fs::last_write_time(dir, error);
    }
    return book;
}

}  // namespace

ChapterCache::ChapterCache(std::filesystem::path folder, std::uintmax_t capBytes)
    : folder_(std::move(folder)), capBytes_(capBytes) {}

bool ChapterCache::store(int site, const Text& bookUrl, const Text& chapterUrl,
                         const Text& record) {
    if (record.empty()) {
        return false;
    }
    const std::string bookName = hexName(siteKey(site, bookUrl));
    const fs::path bookDir = folder_ / bookName;
    std::error_code error;
    fs::create_directories(bookDir, error);
    if (error) {
        return false;
    }
    const std::string key = siteKey(site, chapterUrl);
    const fs::path target = bookDir / hexName(key);
    const std::string bytes = entryBytes(key, record);

    // The temporary name starts with a dot, so it can never be taken for an entry.
    std::string tempName = (bookDir / ".tmp-XXXXXX").string();
    FileHandle file(::mkostemp(tempName.data(), O_CLOEXEC));
    if (!file.valid()) {
        return false;
    }
    bool written = writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    written = file.close() && written;
    if (!written || ::rename(tempName.c_str(), target.c_str()) != 0) {
        ::unlink(tempName.c_str());
        return false;
    }
    storedSinceWalk_.fetch_add(bytes.size());
    markUsed(bookName, bookDir);
    return true;
}

std::optional<Text> ChapterCache::load(int site, const Text& bookUrl, const Text& chapterUrl) {
    const std::string bookName = hexName(siteKey(site, bookUrl));
    const fs::path bookDir = folder_ / bookName;
    const std::string key = siteKey(site, chapterUrl);
    const fs::path path = bookDir / hexName(key);

    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> bytes = readAll(file.get(), info);
    EntryCheck check = bytes ? checkEntry(*bytes, key) : EntryCheck::Damaged;
    if (check == EntryCheck::Damaged) {
        if (info.st_ino != 0) {
            removeIfSame(path, info);
        }
        return std::nullopt;
    }
    if (check == EntryCheck::OtherKey) {
        return std::nullopt;
    }
    markUsed(bookName, bookDir);
    return bytes->substr(kHeaderBytes + key.size());
}

void ChapterCache::markUsed(const std::string& bookName, const std::filesystem::path& bookDir) {
    std::int64_t stamp = 0;
    {
        std::lock_guard<std::mutex> lock(usedMutex_);
        // Stamping the book that is already the newest changes no order: a download's
        // chapters cost one stamp, not one each.
        if (lastUsedBook_ == bookName) {
            return;
        }
        std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
        // A microsecond step stays visible on file systems that keep coarser times than ns.
        stamp = std::max(now, lastStampNs_ + 1000);
        lastStampNs_ = stamp;
        lastUsedBook_ = bookName;
    }
    const struct timespec times[2] = {{stamp / 1000000000, stamp % 1000000000},
                                      {stamp / 1000000000, stamp % 1000000000}};
    const fs::path marker = bookDir / kUsedFile;
    if (::utimensat(AT_FDCWD, marker.c_str(), times, 0) == 0 || errno != ENOENT) {
        return;
    }
    FileHandle file(::open(marker.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    if (file.valid()) {
        ::futimens(file.get(), times);
    }
}

void ChapterCache::forgetLastUsed() {
    std::lock_guard<std::mutex> lock(usedMutex_);
    lastUsedBook_.clear();
}

int ChapterCache::trim() {
    std::lock_guard<std::mutex> lock(trimMutex_);
    const std::uintmax_t stored = storedSinceWalk_.load();
    if (walkedBytes_ >= 0 && static_cast<std::uintmax_t>(walkedBytes_) + stored <= capBytes_) {
        return 0;
    }
    // Stores that land during the walk stay counted for the next trim.
    storedSinceWalk_.fetch_sub(stored);

    std::vector<BookOnDisk> books;
    std::uintmax_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (isCacheName(it->path().filename().string()) && it->is_directory(typeError)) {
            books.push_back(measureBook(it->path()));
            total += books.back().bytes;
        }
    }
    std::sort(books.begin(), books.end(), [](const BookOnDisk& a, const BookOnDisk& b) {
        return a.used != b.used ? a.used < b.used : a.dir < b.dir;
    });
    int removed = 0;
    for (const BookOnDisk& book : books) {
        if (total <= capBytes_) {
            break;
        }
        std::error_code removeError;
        fs::remove_all(book.dir, removeError);
        total -= book.bytes;
        ++removed;
    }
    walkedBytes_ = static_cast<std::intmax_t>(total);
    if (removed > 0) {
        forgetLastUsed();
    }
    return removed;
}

bool ChapterCache::clear() {
    std::lock_guard<std::mutex> lock(trimMutex_);
    bool cleared = true;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (isCacheName(it->path().filename().string()) && it->is_directory(typeError)) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
            cleared = cleared && !removeError;
        }
    }
    if (error && error != std::errc::no_such_file_or_directory) {
        cleared = false;
    }
    walkedBytes_ = 0;
    storedSinceWalk_.store(0);
    forgetLastUsed();
    return cleared;
}

}  // namespace pel
