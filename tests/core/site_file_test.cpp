// The site file's values: a good file gives its whole table, any fault gives none of it and
// names the key.
#include <gtest/gtest.h>

#include "core/site_file.h"
#include "text/encoding.h"

namespace pel {
namespace {

SiteFileValues goodValues() {
    return {
        {"sites/site1", "http://one.example"},
        {"sites/site2", "https://two.example:8443"},
        {"sites/site3", "http://127.0.0.1:8003"},
        {"sites/site4", "http://[::1]:8004"},
        {"sites/site5", "HTTP://Five.Example"},
        {"sites/site6", "http://six-6.example"},
        {"sites/site2_domain", "two.example"},
        {"sites/site3_domain", "127.0.0.1:8003"},
        {"sites/site4_domain", "four.example"},
        {"sites/update", "https://update.example/pzwj/txtyz.php"},
        {"marks/xsw_host", "www.xsw.example"},
        {"marks/meike_name", "美克"},
        {"marks/meike_host", "www.meike.example"},
        {"marks/site3_domain", "ddd.ab.cn"},
        {"marks/site4_host", "www.four.example"},
        {"marks/site4_mobile_host", "m.four.example"},
    };
}

TEST(SiteFile, AGoodFileGivesEveryValueOfItsTable) {
    SiteFileValues values = goodValues();
    values["paths/books"] = "/home/someone/书";
    values["other/ignored"] = "anything";
    const SiteFileCheck check = checkSiteFile(values);
    ASSERT_TRUE(check.valid) << check.key << " " << check.reason;
    EXPECT_EQ(check.sites.baseUrl[1], "http://one.example");
    EXPECT_EQ(check.sites.baseUrl[4], "http://[::1]:8004");
    EXPECT_EQ(check.sites.baseUrl[6], "http://six-6.example");
    EXPECT_EQ(check.sites.domainMarker[1], "");
    EXPECT_EQ(check.sites.domainMarker[3], "127.0.0.1:8003");
    EXPECT_EQ(check.sites.domainMarker[5], "");
    EXPECT_EQ(check.sites.updateUrl, "https://update.example/pzwj/txtyz.php");
    EXPECT_EQ(check.marks.xswHost, "www.xsw.example");
    EXPECT_EQ(check.marks.meikeName, gbk("美克"));  // the table holds GBK text
    EXPECT_EQ(check.marks.meikeHost, "www.meike.example");
    EXPECT_EQ(check.marks.site3Domain, "ddd.ab.cn");
    EXPECT_EQ(check.marks.site4Host, "www.four.example");
    EXPECT_EQ(check.marks.site4MobileHost, "m.four.example");
    EXPECT_EQ(check.bookDirectory, std::filesystem::path("/home/someone/书"));

    AppSettings settings = buildSettings();
    useSiteFile(settings, check);
    EXPECT_EQ(settings.sites.baseUrl, check.sites.baseUrl);
    EXPECT_EQ(settings.sites.domainMarker, check.sites.domainMarker);
    EXPECT_EQ(settings.marks.site3Domain, "ddd.ab.cn");

    values.erase("paths/books");
    EXPECT_TRUE(checkSiteFile(values).bookDirectory.empty());
}

TEST(SiteFile, TheCacheKeysAreOptionalAndSetTheCache) {
    SiteFileValues values = goodValues();
    SiteFileCheck check = checkSiteFile(values);
    ASSERT_TRUE(check.valid);
    EXPECT_TRUE(check.cacheEnabled);
    AppSettings settings = buildSettings();
    const std::uintmax_t defaultBytes = settings.chapterCacheBytes;
    useSiteFile(settings, check);
    EXPECT_EQ(settings.chapterCacheBytes, defaultBytes);

    values["cache/size_mb"] = "1048576";
    values["cache/enabled"] = "False";
    check = checkSiteFile(values);
    ASSERT_TRUE(check.valid) << check.key << " " << check.reason;
    EXPECT_FALSE(check.cacheEnabled);
    useSiteFile(settings, check);
    EXPECT_EQ(settings.chapterCacheBytes, std::uintmax_t{1} << 40);

    values["cache/size_mb"] = "64";
    values["cache/enabled"] = "true";
    check = checkSiteFile(values);
    ASSERT_TRUE(check.valid) << check.key << " " << check.reason;
    EXPECT_TRUE(check.cacheEnabled);
    useSiteFile(settings, check);
    EXPECT_EQ(settings.chapterCacheBytes, std::uintmax_t{64} << 20);
}

TEST(SiteFile, EachFaultNamesItsKeyAndGivesNoTable) {
    struct Case {
        std::string key;
        const char* value;  // nullptr: the key is left out
        std::string reason;
    };
    const Case cases[] = {
        {"sites/site1", nullptr, "is missing"},
        {"marks/site4_mobile_host", nullptr, "is missing"},
        {"sites/site4_domain", "", "is empty"},
        {"marks/meike_name", "", "is empty"},
        {"sites/site2", "ftp://two.example", "must start with http:// or https://"},
        {"sites/site2", "two.example", "must start with http:// or https://"},
        {"sites/site2", "file:///etc", "must start with http:// or https://"},
        {"sites/site3", "http://three.example/", "must not end in a slash"},
        {"sites/site3", "http://three.example/books/", "must not end in a slash"},
        {"sites/site3", "http://three.example/books",
         "must be the scheme, the host and an optional port, with nothing after them"},
        {"sites/site3", "http://three.example?x=1",
         "must be the scheme, the host and an optional port, with nothing after them"},
        {"sites/site5", "http://", "must name a host after http:// or https://"},
        {"sites/site5", "http://:80", "must name a host after http:// or https://"},
        {"sites/site5", "http://user@five.example",
         "has a host name with characters a host cannot have"},
        {"sites/site5", "http://fi ve.example", "must not contain spaces or control characters"},
        {"sites/site6", "http://six.example:0", "has a port that is not a number from 1 to 65535"},
        {"sites/site6", "http://six.example:65536",
         "has a port that is not a number from 1 to 65535"},
        {"sites/site6", "http://six.example:80a",
         "has a port that is not a number from 1 to 65535"},
        {"sites/site6", "http://six.example:", "has a port that is not a number from 1 to 65535"},
        {"sites/update", "https://update.example/pzwj/txtyz.php?", "must end in /pzwj/txtyz.php"},
        {"sites/update", "https://update.example/txtyz.php", "must end in /pzwj/txtyz.php"},
        {"sites/update", "https://update.example", "must end in /pzwj/txtyz.php"},
        {"sites/update", "javascript:/pzwj/txtyz.php", "must start with http:// or https://"},
        {"marks/site3_domain", "dddemo.c", "must be nine ASCII characters"},    // eight
        {"marks/site3_domain", "dddemo.com", "must be nine ASCII characters"},  // ten
        {"marks/site3_domain", "dddemo cn", "must be nine ASCII characters"},   // a blank
        {"marks/site3_domain", "顶点.cn", "must be nine ASCII characters"},     // nine bytes
        {"paths/books", "", "is empty"},
        {"paths/books", "books", "must be an absolute folder"},
        {"cache/size_mb", "", "must be a whole number of megabytes from 1 to 1048576"},
        {"cache/size_mb", "0", "must be a whole number of megabytes from 1 to 1048576"},
        {"cache/size_mb", "-5", "must be a whole number of megabytes from 1 to 1048576"},
        {"cache/size_mb", "12.5", "must be a whole number of megabytes from 1 to 1048576"},
        {"cache/size_mb", "1048577", "must be a whole number of megabytes from 1 to 1048576"},
        {"cache/size_mb", "99999999999999999999999",
         "must be a whole number of megabytes from 1 to 1048576"},
        {"cache/enabled", "", "must be true or false"},
        {"cache/enabled", "no", "must be true or false"},
        {"cache/enabled", "1", "must be true or false"},
    };
    for (const Case& c : cases) {
        SiteFileValues values = goodValues();
        if (c.value == nullptr)
            values.erase(c.key);
        else
            values[c.key] = c.value;
        const SiteFileCheck check = checkSiteFile(values);
        EXPECT_FALSE(check.valid) << c.key << " = " << (c.value ? c.value : "(missing)");
        EXPECT_EQ(check.key, c.key) << (c.value ? c.value : "(missing)");
        EXPECT_EQ(check.reason, c.reason) << c.key << " = " << (c.value ? c.value : "(missing)");
        EXPECT_EQ(check.sites.baseUrl[1], "") << c.key;
        EXPECT_EQ(check.marks.xswHost, "") << c.key;
    }
}

TEST(SiteFile, TheFirstFaultInTheFilesOrderIsTheOneReported) {
    SiteFileValues values = goodValues();
    values.erase("marks/xsw_host");
    values["sites/site6"] = "http://six.example/";
    const SiteFileCheck check = checkSiteFile(values);
    EXPECT_EQ(check.key, "sites/site6");
    EXPECT_EQ(siteFileKeyName(check.key), "[sites] site6");
    EXPECT_FALSE(checkSiteFile({}).valid);
    EXPECT_EQ(checkSiteFile({}).key, "sites/site1");
}

}  // namespace
}  // namespace pel
