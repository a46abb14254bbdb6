// The site file: the sites' addresses, the watermark values and, optionally, the book folder,
// read at start in place of the build's own table, so that a site that moves needs no
// rebuild. The window layer reads the INI file; the rules for its values live here, beside
// the table they fill, and hold whatever reads the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "core/app_state.h"

namespace pel {

// The values of a site file by "section/key" ("sites/site1", "marks/xsw_host",
// "paths/books"), UTF-8, as an INI reader gives them. Keys outside the file's layout are
// ignored.
using SiteFileValues = std::map<std::string, std::string>;

struct SiteFileCheck {
    bool valid = false;
    // When not valid: the first key at fault ("sites/site3") and what is wrong with it.
    std::string key;
    std::string reason;
    // When valid: the table the file gives, and the book folder ([paths] books=; empty when
    // the file does not set it).
    SiteTable sites;
    Watermarks marks;
    std::filesystem::path bookDirectory;
    // [cache] enabled= (true when not set) and size_mb= in bytes (0 when not set).
    bool cacheEnabled = true;
    std::uintmax_t cacheBytes = 0;
};

// Checks every value as the configure step checks the build's own table: every key present
// and not empty; site1..site6 an http or https address of a host with an optional port and
// nothing after it; update such an address followed by a path ending in /pzwj/txtyz.php;
// the site3 mark nine printable ASCII characters; books, when given, an absolute folder; the
// cache's size_mb, when given, a whole number of MiB from 1 to 1048576, and enabled true or
// false.
// A file with any fault gives nothing of its table: a half-used file would mix two tables.
SiteFileCheck checkSiteFile(const SiteFileValues& values);

// "[sites] site3", the way the file spells a key of SiteFileCheck.
std::string siteFileKeyName(const std::string& key);

// Puts the table and the cache size of a valid check into the settings (the cache folder is
// the start-up's to choose).
void useSiteFile(AppSettings& settings, const SiteFileCheck& check);

}  // namespace pel
