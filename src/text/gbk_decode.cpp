#include "text/gbk_decode.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace pel::detail {

namespace {

constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kTrailLast = 0xFE;
constexpr unsigned kTrailCount = kTrailLast - kTrailFirst + 1;
constexpr unsigned kLeadCount = kLeadLast - kLeadFirst + 1;
constexpr char32_t kReplacement = 0xFFFD;

// Code points of every double-byte GBK code (0 where the code page has none) and of the
// single byte 0x80, read once from iconv's CP936 tables. Decoding a large page character by
// character through iconv calls would cost far more than the match itself.
struct GbkTable {
    std::array<char32_t, kLeadCount * kTrailCount> pair{};
    char32_t euro = 0;
};

char32_t iconvOne(iconv_t cd, const char* bytes, std::size_t len) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    auto* in = const_cast<char*>(bytes);
    std::size_t inLeft = len;
    unsigned char buf[8] = {};
    auto* out = reinterpret_cast<char*>(buf);
    std::size_t outLeft = sizeof buf;
    if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
        sizeof buf - outLeft != 4) {
        return 0;
    }
    return static_cast<char32_t>(buf[0]) | (static_cast<char32_t>(buf[1]) << 8) |
           (static_cast<char32_t>(buf[2]) << 16) | (static_cast<char32_t>(buf[3]) << 24);
}

std::unique_ptr<const GbkTable> buildTable() {
    auto table = std::make_unique<GbkTable>();
    // UCS-4LE is built into glibc: no converter module is loaded and unloaded for it.
    iconv_t cd = iconv_open("UCS-4LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return table;  // every non-ASCII byte then decodes as U+FFFD
    }
    const char euro = static_cast<char>(0x80);
    table->euro = iconvOne(cd, &euro, 1);
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            table->pair[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] =
                iconvOne(cd, code, 2);
        }
    }
    iconv_close(cd);
    return table;
}

const GbkTable& gbkTable() {
    static const std::unique_ptr<const GbkTable> table = buildTable();
    return *table;
}

// Writes the UTF-8 form of `cp` at `out` and returns its length (code points below U+10000:
// the code page has nothing above).
std::size_t putUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

}  // namespace

void decodeGbkMapped(std::string_view gbk, MappedUtf8& out, bool withOffsets) {
    const GbkTable& table = gbkTable();
    // Every input byte yields at most three output bytes (a lone byte becomes U+FFFD; a
    // pair at most one three-byte form), so both buffers are sized once and trimmed after.
    const std::size_t cap = gbk.size() * 3 + 4;
    out.utf8.resize(cap);
    out.gbkOffset.resize(withOffsets ? cap + 1 : 0);
    char* dst = out.utf8.data();
    std::uint32_t* map = out.gbkOffset.data();
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < gbk.size()) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        char32_t cp = kReplacement;
        std::size_t len = 1;
        if (c < 0x80) {
            dst[used] = static_cast<char>(c);
            if (withOffsets) {
                map[used] = static_cast<std::uint32_t>(i);
            }
            ++used;
            ++i;
            continue;
        }
        if (c == 0x80) {
            cp = table.euro != 0 ? table.euro : kReplacement;
        } else if (c >= kLeadFirst && c <= kLeadLast && i + 1 < gbk.size()) {
            const auto t = static_cast<unsigned char>(gbk[i + 1]);
            if (t >= kTrailFirst && t <= kTrailLast && t != 0x7F) {
                len = 2;  // a well-formed pair is one character even when it is unassigned
                const char32_t mapped =
                    table.pair[(c - kLeadFirst) * kTrailCount + (t - kTrailFirst)];
                cp = mapped != 0 && mapped < 0x10000 ? mapped : kReplacement;
            }
        }
        const std::size_t n = putUtf8(dst + used, cp);
        if (withOffsets) {
            for (std::size_t k = 0; k < n; ++k) {
                map[used + k] = static_cast<std::uint32_t>(i);
            }
        }
        used += n;
        i += len;
    }
    out.utf8.resize(used);
    if (withOffsets) {
        map[used] = static_cast<std::uint32_t>(gbk.size());
        out.gbkOffset.resize(used + 1);
    }
}

}  // namespace pel::detail
