// The status banner as the recording window sees it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "core/status_banner.h"
#include "support/app_fixture.h"

namespace pel {
namespace {

using namespace std::chrono_literals;
using testing::AppFixture;
using testing::waitUntil;

std::vector<int> widthsOf(const std::vector<PropertyWrite>& writes, Control control) {
    std::vector<int> widths;
    for (const PropertyWrite& w : writes) {
        if (w.control == control && w.property == Property::Width) {
            widths.push_back(w.number);
        }
    }
    return widths;
}

std::vector<int> visibilityOf(const std::vector<PropertyWrite>& writes, Control control) {
    std::vector<int> shown;
    for (const PropertyWrite& w : writes) {
        if (w.control == control && w.property == Property::Visible) {
            shown.push_back(w.number);
        }
    }
    return shown;
}

TEST(StatusBanner, SweepsTheFillUnderItsTextAndHidesTheFrameAtTheEnd) {
    AppFixture f;
    f.window().setVisible(Control::ProgressFrame, false);
    f.window().setVisible(Control::StatusLabel, false);
    f.window().clear();

    showBanner(f.app(), "saved");
    EXPECT_EQ(f.app().bannerText.get(), "saved");
    ASSERT_TRUE(f.waitIdle(10s));

    const std::vector<PropertyWrite> writes = f.window().writes();
    std::vector<int> expectedWidths(274);
    for (int i = 0; i <= 273; ++i) {
        expectedWidths[i] = i;
    }
    EXPECT_EQ(widthsOf(writes, Control::ProgressFill), expectedWidths);
    EXPECT_EQ(f.window().textsOf(Control::StatusLabel), std::vector<Text>(273, "saved"));
    EXPECT_EQ(visibilityOf(writes, Control::StatusLabel), (std::vector<int>{1, 0}));
    EXPECT_EQ(visibilityOf(writes, Control::ProgressFrame), (std::vector<int>{1, 0}));

    // The fill is reset and both are shown before the first step; the hiding comes last.
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[0].control, Control::ProgressFill);
    EXPECT_EQ(writes[0].number, 0);
    EXPECT_EQ(writes[1].property, Property::Visible);
    EXPECT_EQ(writes[2].property, Property::Visible);
    EXPECT_EQ(writes.back().control, Control::ProgressFrame);
    EXPECT_EQ(writes.back().number, 0);
    EXPECT_FALSE(f.window().isVisible(Control::ProgressFrame));
    EXPECT_FALSE(f.window().isVisible(Control::StatusLabel));
}

TEST(StatusBanner, TwoBannersAtOnceBothShowTheNewerTextAndTheFirstToEndHidesTheFrame) {
    AppFixture f([](AppSettings& s) { s.bannerStepMs = 2; });
    f.window().clear();

    showBanner(f.app(), "first");
    // Let the first banner get well ahead before the second one starts.
    ASSERT_TRUE(waitUntil([&] { return f.window().textsOf(Control::StatusLabel).size() >= 50; }));
    showBanner(f.app(), "second");
    ASSERT_TRUE(f.waitIdle(20s));

    const std::vector<PropertyWrite> writes = f.window().writes();
    const std::vector<Text> texts = f.window().textsOf(Control::StatusLabel);
    ASSERT_EQ(texts.size(), 2u * 273);
    const auto firsts = std::count(texts.begin(), texts.end(), "first");
    const auto seconds = std::count(texts.begin(), texts.end(), "second");
    EXPECT_EQ(firsts + seconds, 2 * 273);
    // The first banner switched to the newer text in the middle of its run.
    EXPECT_GE(firsts, 45);
    EXPECT_LT(firsts, 273);
    EXPECT_EQ(texts.back(), "second");

    EXPECT_EQ(widthsOf(writes, Control::ProgressFill).size(), 2u * 274);
    EXPECT_EQ(visibilityOf(writes, Control::ProgressFrame), (std::vector<int>{1, 1, 0, 0}));

    // After the first hide, the other banner still writes its steps into the hidden frame.
    const auto firstHide = std::find_if(writes.begin(), writes.end(), [](const PropertyWrite& w) {
        return w.control == Control::ProgressFrame && w.property == Property::Visible &&
               w.number == 0;
    });
    ASSERT_NE(firstHide, writes.end());
    const auto laterSteps = std::count_if(firstHide, writes.end(), [](const PropertyWrite& w) {
        return w.control == Control::ProgressFill && w.property == Property::Width;
    });
    EXPECT_GT(laterSteps, 0);
    EXPECT_FALSE(f.window().isVisible(Control::ProgressFrame));
}

}  // namespace
}  // namespace pel
