#include "core/site_file.h"

#include <array>
#include <string_view>

#include "text/encoding.h"

namespace pel {
namespace {

constexpr std::string_view kUpdatePath = "/pzwj/txtyz.php";

// The keys every site file holds, in the order they are checked (and reported).
constexpr std::array<std::string_view, 16> kRequiredKeys = {
    "sites/site1",        "sites/site2",        "sites/site3",        "sites/site4",
    "sites/site5",        "sites/site6",        "sites/site2_domain", "sites/site3_domain",
    "sites/site4_domain", "sites/update",       "marks/xsw_host",     "marks/meike_name",
    "marks/meike_host",   "marks/site3_domain", "marks/site4_host",   "marks/site4_mobile_host"};

constexpr std::string_view kBooksKey = "paths/books";
constexpr std::string_view kCacheSizeKey = "cache/size_mb";
constexpr std::string_view kCacheEnabledKey = "cache/enabled";
// A TiB: far above any cache of chapters, and far from overflowing the count of bytes.
constexpr std::uintmax_t kMaxCacheMiB = std::uintmax_t{1} << 20;

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHostNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '-' || c == '.' ||
           c == '_';
}

bool isIpv6Character(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

// The fault of "host[:port]", or an empty text when it is a host with an optional port.
std::string authorityFault(std::string_view authority) {
    std::string_view host = authority;
    std::string_view rest;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos)
            return "has a host name with characters a host cannot have";
        host = authority.substr(1, close - 1);
        rest = authority.substr(close + 1);
        for (char c : host) {
            if (!isIpv6Character(c))
                return "has a host name with characters a host cannot have";
        }
    } else {
        const auto colon = authority.find(':');
        if (colon != std::string_view::npos) {
            host = authority.substr(0, colon);
            rest = authority.substr(colon);
        }
        for (char c : host) {
            if (!isHostNameCharacter(c))
                return "has a host name with characters a host cannot have";
        }
    }
    if (host.empty())
        return "must name a host after http:// or https://";
    if (rest.empty())
        return {};
    if (rest.front() != ':')
        return "has a host name with characters a host cannot have";
    const std::string_view port = rest.substr(1);
    if (port.empty() || port.size() > 5)
        return "has a port that is not a number from 1 to 65535";
    long value = 0;
    for (char c : port) {
        if (!isDigit(c))
            return "has a port that is not a number from 1 to 65535";
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535)
        return "has a port that is not a number from 1 to 65535";
    return {};
}

// Splits an http or https address into its authority and what follows it (from the first
// "/", "?" or "#"); the fault of the scheme or the authority, or an empty text.
std::string splitWebAddress(std::string_view url, std::string_view& authority,
                            std::string_view& tail) {
    std::size_t schemeEnd = 0;
    if (startsWithIgnoringCase(url, "http://")) {
        schemeEnd = 7;
    } else if (startsWithIgnoringCase(url, "https://")) {
        schemeEnd = 8;
    } else {
        return "must start with http:// or https://";
    }
    for (char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return "must not contain spaces or control characters";
    }
    const std::string_view afterScheme = url.substr(schemeEnd);
    const auto end = afterScheme.find_first_of("/?#");
    authority = afterScheme.substr(0, end);
    tail = end == std::string_view::npos ? std::string_view{} : afterScheme.substr(end);
    return authorityFault(authority);
}

std::string siteAddressFault(std::string_view url) {
    std::string_view authority;
    std::string_view tail;
    std::string fault = splitWebAddress(url, authority, tail);
    if (!fault.empty())
        return fault;
    // In the configure step's words: the most likely slip in a copied address.
    if (!tail.empty() && tail.back() == '/')
        return "must not end in a slash";
    if (!tail.empty())
        return "must be the scheme, the host and an optional port, with nothing after them";
    return {};
}

std::string updateAddressFault(std::string_view url) {
    std::string_view authority;
    std::string_view tail;
    std::string fault = splitWebAddress(url, authority, tail);
    if (!fault.empty())
        return fault;
    if (tail.size() < kUpdatePath.size() ||
        tail.substr(tail.size() - kUpdatePath.size()) != kUpdatePath)
        return "must end in /pzwj/txtyz.php";
    return {};
}

std::string site3MarkFault(std::string_view mark) {
    if (mark.size() != 9)
        return "must be nine ASCII characters";
    for (char c : mark) {
        if (c < 0x21 || c > 0x7E)
            return "must be nine ASCII characters";
    }
    return {};
}

std::string valueFault(std::string_view key, std::string_view value) {
    if (key.starts_with("sites/site") && key.size() == 11)
        return siteAddressFault(value);
    if (key == "sites/update")
        return updateAddressFault(value);
    if (key == "marks/site3_domain")
        return site3MarkFault(value);
    return {};
}

// The MiB of "size_mb", or 0 when it is not a whole number from 1 to kMaxCacheMiB.
std::uintmax_t cacheMiB(std::string_view value) {
    if (value.empty() || value.size() > 7)
        return 0;
    std::uintmax_t mib = 0;
    for (char c : value) {
        if (!isDigit(c))
            return 0;
        mib = mib * 10 + static_cast<std::uintmax_t>(c - '0');
    }
    return mib <= kMaxCacheMiB ? mib : 0;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() && startsWithIgnoringCase(text, lower);
}

SiteFileCheck fault(std::string_view key, std::string reason) {
    SiteFileCheck check;
    check.key = key;
    check.reason = std::move(reason);
    return check;
}

}  // namespace

SiteFileCheck checkSiteFile(const SiteFileValues& values) {
    for (std::string_view key : kRequiredKeys) {
        const auto found = values.find(std::string(key));
        if (found == values.end())
            return fault(key, "is missing");
        if (found->second.empty())
            return fault(key, "is empty");
        std::string reason = valueFault(key, found->second);
        if (!reason.empty())
            return fault(key, std::move(reason));
    }
    std::filesystem::path books;
    if (const auto found = values.find(std::string(kBooksKey)); found != values.end()) {
        if (found->second.empty())
            return fault(kBooksKey, "is empty");
        books = std::filesystem::path(found->second);
        if (!books.is_absolute())
            return fault(kBooksKey, "must be an absolute folder");
    }

    std::uintmax_t cacheBytes = 0;
    if (const auto found = values.find(std::string(kCacheSizeKey)); found != values.end()) {
        const std::uintmax_t mib = cacheMiB(found->second);
        if (mib == 0)
            return fault(kCacheSizeKey, "must be a whole number of megabytes from 1 to 1048576");
        cacheBytes = mib << 20;
    }
    bool cacheEnabled = true;
    if (const auto found = values.find(std::string(kCacheEnabledKey)); found != values.end()) {
        if (equalsIgnoringCase(found->second, "false")) {
            cacheEnabled = false;
        } else if (!equalsIgnoringCase(found->second, "true")) {
            return fault(kCacheEnabledKey, "must be true or false");
        }
    }

    auto value = [&values](const char* key) { return gbk(values.at(key)); };
    SiteFileCheck check;
    check.valid = true;
    for (int site = 1; site <= kSiteCount; ++site)
        check.sites.baseUrl[site] = value(("sites/site" + std::to_string(site)).c_str());
    for (int site = 2; site <= 4; ++site) {
        check.sites.domainMarker[site] =
            value(("sites/site" + std::to_string(site) + "_domain").c_str());
    }
    check.sites.updateUrl = value("sites/update");
    check.marks.xswHost = value("marks/xsw_host");
    check.marks.meikeName = value("marks/meike_name");
    check.marks.meikeHost = value("marks/meike_host");
    check.marks.site3Domain = value("marks/site3_domain");
    check.marks.site4Host = value("marks/site4_host");
    check.marks.site4MobileHost = value("marks/site4_mobile_host");
    check.bookDirectory = books;
    check.cacheEnabled = cacheEnabled;
    check.cacheBytes = cacheBytes;
    return check;
}

std::string siteFileKeyName(const std::string& key) {
    const auto slash = key.find('/');
    if (slash == std::string::npos)
        return key;
    return "[" + key.substr(0, slash) + "] " + key.substr(slash + 1);
}

void useSiteFile(AppSettings& settings, const SiteFileCheck& check) {
    settings.sites = check.sites;
    settings.marks = check.marks;
    if (check.cacheBytes > 0)
        settings.chapterCacheBytes = check.cacheBytes;
}

}  // namespace pel
