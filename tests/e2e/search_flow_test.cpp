// A whole search of the six demo sites through the recording window, as the search button
// runs it: six progress steps ending at 7, one thumbnail per site in the order the workers
// added them, and no failure banner.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "demo/demo_catalogue.h"
#include "search/result_page.h"
#include "search/search_run.h"
#include "support/app_fixture.h"
#include "text/encoding.h"
#include "text/text.h"

namespace pel {
namespace {

using testing::DemoAppFixture;

TEST(SearchFlow, SixSiteDemoSearchStepsSixTimesAndListsEverySite) {
    DemoAppFixture f;
    AppState& app = f.app();
    const demo::DemoBook& book = demo::bookByRole("everywhere");
    f.window().recordUserText(Control::SearchBox, book.name);

    startSearch(app);
    ASSERT_TRUE(f.waitIdle());

    EXPECT_EQ(app.search.searchProgress.load(), 7);
    std::vector<Text> expected;
    for (int n = 1; n <= 7; ++n) {
        expected.push_back(gbk("正在搜索：") + decimal(n) + "/6");
    }
    EXPECT_EQ(f.window().textsOf(Control::StatusLabel), expected);
    EXPECT_FALSE(f.window().isVisible(Control::ProgressFrame));
    EXPECT_FALSE(f.window().isVisible(Control::StatusLabel));
    EXPECT_FALSE(f.window().isVisible(Control::DisclaimerLabel));
    EXPECT_TRUE(app.bannerText.get().empty());

    // Every thumbnail reloaded the view; the last page holds all six lines, in the order of
    // the reloads, each site once.
    int loads = 0;
    for (const PropertyWrite& w : f.window().writes()) {
        if (w.control == Control::HtmlView && w.property == Property::Address) {
            ++loads;
        }
    }
    EXPECT_EQ(loads, 6);
    std::ifstream in(resultPagePath(app), std::ios::binary);
    const Text page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Text> lines;
    textBetweenAll(page, "<img src=", "\r\n", lines);
    ASSERT_EQ(lines.size(), 6u);
    std::set<int> sites;
    for (const Text& line : lines) {
        const Text digit = textBetween(line, "location.href='", "'");
        ASSERT_EQ(digit.size(), 1u) << line;
        const int site = digit[0] - '0';
        sites.insert(site);
        const ResultSlot slot = app.search.resultSlots[site].get();
        EXPECT_TRUE(containsText(line, slot.name)) << site;
        EXPECT_FALSE(slot.bookUrl.empty()) << site;
    }
    EXPECT_EQ(sites, (std::set<int>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace pel
