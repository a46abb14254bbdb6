#include "net/cookie_jar.h"

#include <charconv>
#include <ctime>
#include <set>
#include <string_view>

#include "text/ascii.h"

namespace pel {

namespace {

// A cookie-file line cut into what the merge needs.
struct CookieLine {
    std::string key;        // lower-cased domain, path and name; empty for a line that is no cookie
    long long expires = 0;  // 0 for a session cookie
};

CookieLine parseLine(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    if (fields.size() < 7) {
        return {};
    }
    std::string_view domain = fields[0];
    // curl marks HttpOnly cookies by this prefix on the domain; the cookie is the same one.
    constexpr std::string_view kHttpOnly = "#HttpOnly_";
    if (domain.substr(0, kHttpOnly.size()) == kHttpOnly) {
        domain.remove_prefix(kHttpOnly.size());
    }
    CookieLine parsed;
    parsed.key = lowerAscii(std::string(domain)) + '\t' + std::string(fields[2]) + '\t' +
                 std::string(fields[5]);
    std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), parsed.expires);
    return parsed;
}

bool expired(const CookieLine& cookie, long long now) {
    return cookie.expires > 0 && cookie.expires < now;
}

}  // namespace

std::vector<std::string> CookieJar::lines() const {
    const long long now = static_cast<long long>(std::time(nullptr));
    std::vector<std::string> out;
    std::lock_guard lock(mutex_);
    out.reserve(cookies_.size());
    for (const auto& [key, line] : cookies_) {
        if (!expired(parseLine(line), now)) {
            out.push_back(line);
        }
    }
    return out;
}

void CookieJar::merge(const std::vector<std::string>& given, const std::vector<std::string>& held) {
    const long long now = static_cast<long long>(std::time(nullptr));
    const std::set<std::string_view> givenLines(given.begin(), given.end());
    std::set<std::string> heldKeys;
    std::lock_guard lock(mutex_);
    for (const std::string& line : held) {
        const CookieLine cookie = parseLine(line);
        if (cookie.key.empty()) {
            continue;
        }
        heldKeys.insert(cookie.key);
        if (givenLines.count(line) != 0) {
            continue;  // untouched by this request
        }
        if (expired(cookie, now)) {
            cookies_.erase(cookie.key);
        } else {
            cookies_[cookie.key] = line;
        }
    }
    for (const std::string& line : given) {
        const CookieLine cookie = parseLine(line);
        if (!cookie.key.empty() && heldKeys.count(cookie.key) == 0) {
            cookies_.erase(cookie.key);
        }
    }
}

}  // namespace pel
