// The window mirror: the form's initial state, read-back, ordering, and user input.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/fixed_texts.h"
#include "support/recording_window.h"
#include "text/encoding.h"

namespace pel {
namespace {

TEST(MirroredWindow, StartsFromTheForm) {
    RecordingWindow window;
    EXPECT_EQ(window.text(Control::SearchBox), searchPlaceholder());
    EXPECT_EQ(window.text(Control::TitleLabel), "Pelnoria   by\xA3\xBAqorvenda");
    EXPECT_EQ(window.text(Control::StatusLabel), "Q O R V E N D A");
    EXPECT_EQ(window.text(Control::LatestBox), programVersion());
    EXPECT_EQ(window.text(Control::DisclaimerLabel).size(), 222u);
    EXPECT_EQ(window.text(Control::IntroBox).size(), 208u);
    EXPECT_FALSE(window.isVisible(Control::ProgressFrame));
    EXPECT_FALSE(window.isVisible(Control::StatusLabel));
    EXPECT_TRUE(window.isVisible(Control::DisclaimerLabel));
    EXPECT_TRUE(window.isVisible(Control::SearchBox));
    EXPECT_EQ(window.width(Control::ProgressFill), 273);
    EXPECT_TRUE(window.writes().empty());
}

TEST(MirroredWindow, EveryWriteIsReadBackAndRecordedInOrder) {
    RecordingWindow window;
    window.setText(Control::NameBox, gbk("书名"));
    window.setVisible(Control::DisclaimerLabel, false);
    window.setWidth(Control::ProgressFill, 12);
    window.setCursor(Control::DisclaimerLabel, Cursor::Hand);
    window.setAlignment(Control::SearchBox, Alignment::Center);
    window.setAddress(Control::HtmlView, "/tmp/x/lstplb.html");
    window.setPicture(Control::CoverBox, "\xFF\xD8jpeg");

    EXPECT_EQ(window.text(Control::NameBox), gbk("书名"));
    EXPECT_FALSE(window.isVisible(Control::DisclaimerLabel));
    EXPECT_EQ(window.width(Control::ProgressFill), 12);
    EXPECT_EQ(window.cursor(Control::DisclaimerLabel), Cursor::Hand);
    EXPECT_EQ(window.alignment(Control::SearchBox), Alignment::Center);
    EXPECT_EQ(window.address(Control::HtmlView), "/tmp/x/lstplb.html");

    const std::vector<PropertyWrite> writes = window.writes();
    ASSERT_EQ(writes.size(), 7u);
    const Property order[] = {Property::Text,   Property::Visible,   Property::Width,
                              Property::Cursor, Property::Alignment, Property::Address,
                              Property::Picture};
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].property, order[i]) << i;
    }
    EXPECT_EQ(writes[6].bytes, "\xFF\xD8jpeg");
    EXPECT_EQ(window.textsOf(Control::NameBox), std::vector<Text>{gbk("书名")});

    window.clear();
    EXPECT_TRUE(window.writes().empty());
    EXPECT_EQ(window.text(Control::NameBox), gbk("书名"));  // the mirror keeps its state
}

TEST(MirroredWindow, WhatTheUserTypedIsReadBackButNotApplied) {
    RecordingWindow window;
    window.recordUserText(Control::SearchBox, gbk("斗破"));
    EXPECT_EQ(window.text(Control::SearchBox), gbk("斗破"));
    EXPECT_TRUE(window.writes().empty());
}

// Each thread's writes keep their order, and the record matches the mirror's final state.
TEST(MirroredWindow, WritesFromManyThreadsKeepEachThreadsOrder) {
    RecordingWindow window;
    constexpr int kThreads = 4;
    constexpr int kWrites = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&window, t] {
            for (int i = 0; i < kWrites; ++i) {
                window.setWidth(Control::ProgressFill, t * kWrites + i);
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    const std::vector<PropertyWrite> writes = window.writes();
    ASSERT_EQ(writes.size(), static_cast<std::size_t>(kThreads * kWrites));
    std::vector<int> last(kThreads, -1);
    for (const PropertyWrite& w : writes) {
        const int t = w.number / kWrites;
        EXPECT_GT(w.number, last[t]);
        last[t] = w.number;
    }
    EXPECT_EQ(window.width(Control::ProgressFill), writes.back().number);
}

}  // namespace
}  // namespace pel
