// The search box's prompt text, and what the window's creation sets up.
#include <gtest/gtest.h>

#include <chrono>

#include "app/window_events.h"
#include "core/fixed_texts.h"
#include "core/no_cover_image.h"
#include "support/app_fixture.h"
#include "text/encoding.h"

namespace pel {
namespace {

using namespace std::chrono_literals;
using testing::AppFixture;

TEST(SearchBoxFocus, GettingFocusClearsOnlyThePlaceholder) {
    struct Case {
        Text before;
        Text after;
    };
    const Case cases[] = {
        {searchPlaceholder(), ""},
        {gbk("斗破"), gbk("斗破")},
        {searchPlaceholder() + " ", searchPlaceholder() + " "},
        {"", ""},
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.window().recordUserText(Control::SearchBox, c.before);
        onSearchBoxFocusIn(f.app());
        EXPECT_EQ(f.window().text(Control::SearchBox), c.after) << gbkToUtf8(c.before);
    }
}

TEST(SearchBoxFocus, LosingFocusRestoresThePlaceholderOnlyForNothingButBlanks) {
    struct Case {
        Text typed;
        bool restored;
    };
    const Case cases[] = {
        {"", true},      {" ", true},
        {"     ", true}, {gbk("  凡人 修仙  "), false},  // kept as typed, blanks included
        {"a", false},    {gbk("\xE3\x80\x80"), false},   // a full-width space is not a blank here
        {"\t", false},
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.window().recordUserText(Control::SearchBox, c.typed);
        onSearchBoxFocusOut(f.app());
        EXPECT_EQ(f.window().text(Control::SearchBox), c.restored ? searchPlaceholder() : c.typed)
            << '"' << gbkToUtf8(c.typed) << '"';
    }
}

TEST(SearchBoxKey, KeysOtherThanEnterDoNothing) {
    AppFixture f;
    f.window().recordUserText(Control::SearchBox, gbk("斗破"));
    for (int key : {10, 32, 65, 0, -13}) {
        onSearchBoxKey(f.app(), key);
    }
    EXPECT_EQ(f.app().threads.liveThreads(), 0);
    EXPECT_TRUE(f.window().writes().empty());
}

TEST(WindowCreated, ShowsTheDefaultCoverAndTakesTheAuthorFromTheTitle) {
    AppFixture f;  // no update address: the check finds nothing and stops
    onWindowCreated(f.app());
    EXPECT_EQ(f.window().text(Control::AuthorBox), "qorvenda");
    bool coverShown = false;
    for (const PropertyWrite& w : f.window().writes()) {
        coverShown |= w.control == Control::CoverBox && w.property == Property::Picture &&
                      w.bytes == noCoverImage();
    }
    EXPECT_TRUE(coverShown);
    EXPECT_TRUE(f.waitIdle(20s));
}

TEST(WindowCreated, AShortTitleGivesTheWholeCaptionAsAuthor) {
    AppFixture f;
    f.window().setText(Control::TitleLabel, "abc");
    onWindowCreated(f.app());
    EXPECT_EQ(f.window().text(Control::AuthorBox), "abc");
    EXPECT_TRUE(f.waitIdle(20s));
}

}  // namespace
}  // namespace pel
