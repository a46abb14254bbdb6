// Internal: one iconv conversion with "?" for every character that cannot be converted.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace pel::detail {

// One descriptor per conversion: descriptors carry shift state and are not thread-safe.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (ok()) {
            iconv_close(cd_);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

// How to step over one unconvertible character of the source, which iconv cannot tell us.
enum class SourceKind {
    Utf8,     // a whole character when it is valid, else its maximal invalid subsequence
    Gbk,      // a lead byte with its trail, or a lone lead byte
    Utf16Le,  // one code unit, or a surrogate pair
    Other,    // one byte
};

// Length of the character, or of the maximal invalid subsequence, at the front of `rest`
// (at least 1; `rest` must not be empty). `valid` tells which of the two it is.
std::size_t utf8Step(std::string_view rest, bool& valid);

// Converts `in` from `from` to `to` into `out`. Each character that is invalid in the source
// or has no form in the target becomes `replacement` (given in the target charset), and a
// sequence cut short at the end becomes one replacement too. Returns false, leaving `out`
// alone, when iconv knows one of the two charsets not.
bool convertCharset(std::string_view in, const char* from, const char* to, SourceKind kind,
                    std::string_view replacement, std::string& out);

}  // namespace pel::detail
