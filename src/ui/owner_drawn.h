#pragma once

#include <cstdint>
#include <vector>

#include "ui/dialog_view.h"

// Geometry and colour choices of the owner-drawn push button and group box, free of any toolkit: the
// Qt controls paint what these functions lay out, and tests check the rectangles directly.
// Rectangles follow ui::Rect: right and bottom lie one past the last pixel.
namespace hollin::ui {

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// What a push button shows at the moment of painting.
struct HoverButtonState {
    bool pressed = false;    // the mouse or the space bar holds it down
    bool focused = false;    // it has the keyboard focus
    bool isDefault = false;  // Enter presses it
    bool hovered = false;    // the mouse pointer is over it
    bool disabled = false;
};

struct HoverButtonLayout {
    bool blackFrame = false;  // a 1-pixel black line along `frame` (focused or default)
    Rect frame;               // the whole button
    Rect fill;                // the background, inside the black frame when there is one
    bool sunken = false;      // the 3-D border along `fill`: sunken when pressed, else raised
    Point icon;               // top-left corner of the icon
    Rect caption;             // where the caption is centred; empty without a caption
    bool focusRect = false;   // a dotted focus rectangle along `focus`
    Rect focus;
};

// Lays out a button of rectangle `rect` showing an icon of `iconSize`. With a caption the icon sits
// 3 pixels inside the left edge and the caption fills the rest after a 3-pixel gap; without one the
// icon is centred. Icon and caption move 1 pixel right and down while pressed.
HoverButtonLayout hoverButtonLayout(Rect rect, Size iconSize, bool hasCaption, const HoverButtonState& state);

// 0x00RRGGBB.
using Rgb = std::uint32_t;

struct HoverButtonColours {
    Rgb inBackground = 0, inText = 0;        // hovered or pressed
    Rgb outBackground = 0, outText = 0;      // neither
    Rgb focusBackground = 0, focusText = 0;  // focused, neither hovered nor pressed
};

struct PaintColours {
    Rgb background = 0, text = 0;
    bool operator==(const PaintColours&) const = default;
};

// Background: "in" when hovered or pressed, else the focused colour when focused, else "out". The
// caption is drawn in the "in" text colour when hovered or pressed, else in the "out" text colour.
PaintColours hoverButtonColours(const HoverButtonState& state, const HoverButtonColours& colours);

enum class CaptionAlignment { Left = 0, Centre = 1, Right = 2 };

// The program's one group look: every group box of every window has its caption in this colour,
// RGB(16, 140, 231), and bold. Windows choose only the alignment.
inline constexpr Rgb kGroupCaptionColour = 0x108CE7;
inline constexpr bool kGroupCaptionBold = true;

struct GroupBoxLayout {
    Rect inner;    // the client rectangle shrunk by 1 on every side
    Rect caption;  // the caption's band over the frame line (may reach past `inner` when wide)
    Rect frame;    // the rounded frame: from half the caption's height down to the bottom right
    int cornerDiameter = 10;
};

// Lays out a group box of client rectangle `client` whose caption (its blanks included) measures
// `captionSize` in the box's font. An empty caption is 0 by 0.
GroupBoxLayout groupBoxLayout(Rect client, Size captionSize, CaptionAlignment alignment);

// Tab order in reading order: the index of every control of `controls`, in the order the keyboard
// visits them. Controls inside a group (by their centre, the smallest group containing it) are read
// together. The form is read in horizontal bands (a band ends where no group or loose control reaches
// further down), each band column by column (groups and loose controls whose left edge lies within a
// column's width), top to bottom within a column; inside a group, rows top to bottom (a control whose
// centre lies within the first control's height joins its row), left to right within a row.
std::vector<int> readingOrder(const std::vector<Rect>& controls, const std::vector<Rect>& groups);

}  // namespace hollin::ui
