#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hollin::ui {

using ControlId = int;

// Standard ids: the button with id 1 is the dialog's OK button, 2 its Cancel button.
inline constexpr ControlId IDOK = 1;
inline constexpr ControlId IDCANCEL = 2;

// Answers of message boxes and results of dialogs.
enum DialogResult : int {
    kResultNone = 0,
    kResultOk = 1,
    kResultCancel = 2,
    kResultAbort = 3,
    kResultRetry = 4,
    kResultIgnore = 5,
    kResultYes = 6,
    kResultNo = 7,
};

// What a control tells its window.
//  - Clicked, SelectionChanged: on user action only; setting them from code stays silent.
//  - EditChanged: on user typing and also when code sets the text.
enum class Notification { Clicked, SelectionChanged, EditChanged, DoubleClicked, FocusLost };

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageIcon { None, Error, Warning, Information, Question };

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

using Ipv4 = std::array<std::uint8_t, 4>;

// A dialog as its presenter sees it: controls addressed by numeric id. All texts are UTF-8.
// Implemented once for Qt (gui/) and once for tests (FakeView).
class DialogView {
  public:
    virtual ~DialogView() = default;

    // --- the window itself
    virtual void setTitle(std::string_view text) = 0;
    virtual std::string title() const = 0;
    virtual void setWindowVisible(bool visible) = 0;  // hide/show the whole window
    virtual bool isWindowVisible() const = 0;
    virtual void endDialog(int result) = 0;     // closes the window with a result
    virtual Rect windowRect() const = 0;        // screen coordinates
    virtual void moveWindow(int x, int y) = 0;  // screen coordinates, size unchanged
    // A point of the client area in screen coordinates (the default assumes a frameless window).
    virtual Point clientToScreen(Point client) const {
        const Rect w = windowRect();
        return {w.left + client.x, w.top + client.y};
    }
    virtual void setWaitCursor(bool on) = 0;
    virtual void repaint() = 0;  // paint now, even inside a blocking handler
    // The window's own icon (large and small), an icon resource id. Views without one ignore it.
    virtual void setWindowIcon(int /*iconId*/) {}
    virtual int windowIcon() const { return 0; }  // 0 when none

    // --- every control
    virtual void enable(ControlId id, bool on) = 0;
    virtual bool isEnabled(ControlId id) const = 0;
    virtual void show(ControlId id, bool visible) = 0;
    virtual bool isVisible(ControlId id) const = 0;
    virtual void setText(ControlId id, std::string_view text) = 0;  // caption of buttons/statics/groups
    virtual std::string text(ControlId id) const = 0;
    virtual void setFocus(ControlId id) = 0;
    virtual ControlId focusedControl() const = 0;  // 0 when none
    virtual void setToolTip(ControlId id, std::string_view text) = 0;
    virtual void setIcon(ControlId id, int iconId) = 0;  // icon resource id shown on a button
    virtual int icon(ControlId id) const = 0;            // 0 when none

    // --- edits
    virtual void setTextLimit(ControlId id, int maxChars) = 0;
    virtual int textLimit(ControlId id) const = 0;  // 0 when unlimited

    // --- combo boxes and list boxes
    virtual void clearItems(ControlId id) = 0;
    virtual int addItem(ControlId id, std::string_view text) = 0;  // returns the new item's index
    virtual int itemCount(ControlId id) const = 0;
    virtual std::string itemText(ControlId id, int index) const = 0;
    virtual void setItemToolTip(ControlId id, int index, std::string_view text) = 0;
    // A list shown as a table: item `index`'s texts column by column (the first is its item text).
    // Sorting the table by a column leaves the items' indices as they were added. A plain list shows
    // only the item text.
    virtual void setItemCells(ControlId /*id*/, int /*index*/, const std::vector<std::string>& /*cells*/) {}
    virtual void setSelection(ControlId id, int index) = 0;  // -1 clears the selection
    virtual int selection(ControlId id) const = 0;           // -1 when nothing is selected

    // --- check boxes and radio buttons
    virtual void setChecked(ControlId id, bool checked) = 0;
    virtual bool isChecked(ControlId id) const = 0;

    // --- IPv4 address fields
    virtual void setAddress(ControlId id, const Ipv4& address) = 0;
    virtual void clearAddress(ControlId id) = 0;
    virtual std::optional<Ipv4> address(ControlId id) const = 0;  // nullopt when blank

    // --- progress bars
    virtual void setProgressRange(ControlId id, int low, int high) = 0;
    virtual void setProgress(ControlId id, int position) = 0;
    virtual int progress(ControlId id) const = 0;

    // --- group boxes: caption colour (0xRRGGBB), bold, centred
    virtual void setGroupCaptionStyle(ControlId id, std::uint32_t rgb, bool bold, bool centred) = 0;

    // --- timers: onTimer(timerId) every periodMs until stopped
    virtual void startTimer(int timerId, int periodMs) = 0;
    virtual void stopTimer(int timerId) = 0;

    // --- modal message box over this window; returns the button pressed (DialogResult)
    virtual int messageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                           MessageIcon icon) = 0;
};

}  // namespace hollin::ui
