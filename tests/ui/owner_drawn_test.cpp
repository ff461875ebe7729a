// Layout of the owner-drawn button and group box, and the keyboard's reading order.
#include "ui/owner_drawn.h"

#include <gtest/gtest.h>

using namespace hollin::ui;

namespace {

constexpr Rect kButton{0, 0, 120, 40};
constexpr Size kIcon{32, 32};

TEST(HoverButtonLayoutTest, RectanglesOfA120By40Button) {
    struct Case {
        const char* what;
        bool caption;
        HoverButtonState state;
        bool blackFrame;
        Rect fill;
        bool sunken;
        Point icon;
        Rect caption_;
        bool focusRect;
        Rect focus;
    };
    const Case cases[] = {
        {"plain", true, {}, false, {0, 0, 120, 40}, false, {3, 4}, {38, 0, 117, 40}, false, {3, 3, 117, 37}},
        {"pressed",
         true,
         {.pressed = true},
         false,
         {0, 0, 120, 40},
         true,
         {4, 5},
         {39, 1, 118, 41},
         false,
         {3, 3, 117, 37}},
        {"focused",
         true,
         {.focused = true},
         true,
         {1, 1, 119, 39},
         false,
         {3, 4},
         {38, 0, 117, 40},
         true,
         {4, 4, 116, 36}},
        {"default",
         true,
         {.isDefault = true},
         true,
         {1, 1, 119, 39},
         false,
         {3, 4},
         {38, 0, 117, 40},
         false,
         {4, 4, 116, 36}},
        {"no caption", false, {}, false, {0, 0, 120, 40}, false, {44, 4}, {}, false, {3, 3, 117, 37}},
        {"no caption, pressed and focused",
         false,
         {.pressed = true, .focused = true},
         true,
         {1, 1, 119, 39},
         true,
         {45, 5},
         {},
         true,
         {4, 4, 116, 36}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HoverButtonLayout l = hoverButtonLayout(kButton, kIcon, c.caption, c.state);
        EXPECT_EQ(l.blackFrame, c.blackFrame);
        EXPECT_EQ(l.frame, kButton);
        EXPECT_EQ(l.fill, c.fill);
        EXPECT_EQ(l.sunken, c.sunken);
        EXPECT_EQ(l.icon, c.icon);
        EXPECT_EQ(l.caption, c.caption_);
        EXPECT_EQ(l.focusRect, c.focusRect);
        EXPECT_EQ(l.focus, c.focus);
    }
    // An odd spare height centres the icon by integer division, also away from the origin.
    EXPECT_EQ(hoverButtonLayout({10, 20, 130, 61}, kIcon, true, {}).icon, (Point{13, 24}));
}

TEST(HoverButtonLayoutTest, ColoursFollowHoverPressAndFocus) {
    const HoverButtonColours colours{1, 2, 3, 4, 5, 6};
    struct Case {
        HoverButtonState state;
        PaintColours expected;
    };
    const Case cases[] = {
        {{}, {3, 4}},
        {{.hovered = true}, {1, 2}},
        {{.pressed = true}, {1, 2}},
        {{.focused = true}, {5, 4}},
        {{.focused = true, .hovered = true}, {1, 2}},
        {{.isDefault = true}, {3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hoverButtonColours(c.state, colours), c.expected);
}

TEST(GroupBoxLayoutTest, CaptionPlacesAndFrame) {
    const Rect client{0, 0, 200, 100};  // R = (1, 1, 199, 99), width 198
    struct Case {
        const char* what;
        Size caption;
        CaptionAlignment alignment;
        Rect expected;
    };
    const Case cases[] = {
        {"left", {60, 14}, CaptionAlignment::Left, {11, 1, 71, 15}},
        {"centre, even width", {60, 14}, CaptionAlignment::Centre, {70, 1, 130, 15}},
        {"centre, odd width", {61, 14}, CaptionAlignment::Centre, {69, 1, 130, 15}},
        {"right", {60, 14}, CaptionAlignment::Right, {129, 1, 189, 15}},
        {"centre, wider than the box", {251, 14}, CaptionAlignment::Centre, {-25, 1, 226, 15}},
        {"left, wider than the box", {251, 14}, CaptionAlignment::Left, {11, 1, 262, 15}},
        {"empty", {0, 0}, CaptionAlignment::Left, {11, 1, 11, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const GroupBoxLayout l = groupBoxLayout(client, c.caption, c.alignment);
        EXPECT_EQ(l.inner, (Rect{1, 1, 199, 99}));
        EXPECT_EQ(l.caption, c.expected);
        EXPECT_EQ(l.frame, (Rect{1, 1 + c.caption.height / 2, 199, 99}));
        EXPECT_EQ(l.cornerDiameter, 10);
    }
}

TEST(ReadingOrderTest, GroupsColumnByColumnRowsInsideAGroup) {
    // Two groups side by side, one under the left one that begins below both (a new band), a loose
    // button under it, and a wide group below everything. In the left top group a label row (a combo
    // a few pixels higher than the other control on its row) and a button below. The staggered
    // columns of the main window are checked on its form.
    const std::vector<Rect> groups = {
        {300, 0, 500, 100}, {0, 0, 200, 100}, {0, 110, 200, 200}, {0, 300, 500, 400}};
    const std::vector<Rect> controls = {
        {320, 20, 480, 40},    // 0: right group
        {100, 22, 180, 40},    // 1: left top group, row 1, right
        {10, 60, 180, 90},     // 2: left top group, row 2
        {10, 20, 90, 42},      // 3: left top group, row 1, left
        {10, 130, 180, 150},   // 4: left bottom group
        {10, 210, 180, 240},   // 5: loose, under the left column
        {320, 60, 480, 80},    // 6: right group, second row
        {400, 320, 480, 340},  // 7: wide group, right
        {10, 320, 90, 340},    // 8: wide group, left
    };
    EXPECT_EQ(readingOrder(controls, groups), (std::vector<int>{3, 1, 2, 0, 6, 4, 5, 8, 7}));
    EXPECT_TRUE(readingOrder({}, groups).empty());
}

}  // namespace
