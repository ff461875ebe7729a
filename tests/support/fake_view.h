#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/dialog_view.h"
#include "ui/window.h"

namespace hollin::test {

using ui::ControlId;

class FakeDesktop;

struct GroupCaptionStyle {
    std::uint32_t rgb = 0;
    bool bold = false;
    bool centred = false;
    bool operator==(const GroupCaptionStyle&) const = default;
};

// Everything a FakeView knows about one control. A control not declared by the test is created, with
// these defaults (enabled, visible, empty), the first time anyone uses its id.
struct ControlState {
    bool enabled = true;
    bool visible = true;
    std::string text;
    std::vector<std::string> textHistory;  // every text set by code, in order
    std::string toolTip;
    int icon = 0;
    int limit = 0;  // 0: unlimited
    // combo and list boxes
    bool isList = false;  // set once items were added or cleared
    std::vector<std::string> items;
    std::map<int, std::string> itemToolTips;
    int selection = -1;
    // check boxes and radio buttons
    bool checked = false;
    // IPv4 address fields
    std::optional<ui::Ipv4> address;
    // progress bars (the common-control default range is 0..100)
    int progressLow = 0;
    int progressHigh = 100;
    int progress = 0;
    std::vector<int> progressHistory;  // every position set by code, in order
    // group boxes
    std::optional<GroupCaptionStyle> captionStyle;
};

// One notification the view sent to its window.
struct Dispatched {
    ControlId id = 0;
    ui::Notification notification = ui::Notification::Clicked;
    bool handled = false;  // the window's message map (or OK/Cancel) took it
};

// A DialogView for tests: records every control's state and lets a test act as the operator would.
//
// Notification semantics (the same as the Qt host):
//  - user actions (click, select, type, setCheckByUser, chooseRadio, setAddressByUser, doubleClick,
//    leave) reach the window only when the control is enabled and visible, the window is shown and
//    the dialog has not ended; they return true when a notification was dispatched;
//  - code (the presenter) calling setSelection / setChecked / setAddress stays silent; setText
//    dispatches EditChanged (except on combo and list boxes), as an edit control does;
//  - type() asks window.acceptChar(id, focused, ch) per character before the text changes, honours
//    the text limit, treats '\b' as backspace and dispatches EditChanged per changed character.
class FakeView : public ui::DialogView {
  public:
    explicit FakeView(FakeDesktop& desktop);
    ~FakeView() override;
    FakeView(const FakeView&) = delete;
    FakeView& operator=(const FakeView&) = delete;

    // --- hooking up a presenter
    void attach(ui::Window& window);  // window.attach(this, &desktop)
    void open(ui::Window& window);    // attach, then window.onInit()
    void release();                   // forget the window (it was closed and destroyed)
    bool hasWindow() const { return window_ != nullptr; }
    ui::Window& window();
    FakeDesktop& desktop() { return desktop_; }

    // --- the form: controls a test declares are "known"; any other id used is auto-created
    FakeView& declare(std::initializer_list<ControlId> ids);
    FakeView& declare(const std::vector<ControlId>& ids);
    FakeView& declare(ControlId id, ControlState initial);
    std::set<ControlId> undeclared() const { return undeclared_; }  // auto-created ids
    std::vector<ControlId> controlIds() const;
    const ControlState& control(ControlId id) const;  // auto-creates

    // --- the operator
    bool click(ControlId id);
    bool doubleClick(ControlId id);
    bool select(ControlId id, int index);
    bool select(ControlId id, std::string_view itemText);  // the first item with exactly this text
    bool type(ControlId id, std::string_view utf8);        // focuses the control first
    bool typeOver(ControlId id, std::string_view utf8);    // clears the text (a change), then types
    // One edit of the operator's that changes the text at once (Delete, a character typed inside the
    // text, a selection typed over): the text becomes `utf8` in one change, within the text limit.
    bool editTo(ControlId id, std::string_view utf8);
    bool setCheckByUser(ControlId id, bool checked);
    bool chooseRadio(ControlId id, std::initializer_list<ControlId> group);  // unchecks the others
    bool setAddressByUser(ControlId id, const ui::Ipv4& address);            // EditChanged
    bool leave(ControlId id);                                                // FocusLost
    void pressEsc();                                      // IDCANCEL, as the dialog manager sends it
    void closeBox();                                      // window.onCloseBox()
    void sysCommand(int commandId);                       // window.onSysCommand()
    bool fireTimer(int timerId);                          // window.onTimer() when the timer runs
    void setWindowRect(const ui::Rect& r) { rect_ = r; }  // where the window "is" on the screen

    // --- reading the state (tests)
    bool enabled(ControlId id) const { return control(id).enabled; }
    bool visible(ControlId id) const { return control(id).visible; }
    bool checked(ControlId id) const { return control(id).checked; }
    int limit(ControlId id) const { return control(id).limit; }
    std::string toolTip(ControlId id) const { return control(id).toolTip; }
    const std::vector<std::string>& items(ControlId id) const { return control(id).items; }
    std::string selectedText(ControlId id) const;  // "" when nothing is selected
    std::string itemToolTip(ControlId id, int index) const;
    std::pair<int, int> progressRange(ControlId id) const;
    std::optional<GroupCaptionStyle> captionStyle(ControlId id) const { return control(id).captionStyle; }
    const std::vector<std::string>& textHistory(ControlId id) const { return control(id).textHistory; }

    // Each returns a failure naming the ids that are not in the asked state:
    //   EXPECT_TRUE(view.enabledAll({1000, 1005}));
    ::testing::AssertionResult enabledAll(std::initializer_list<ControlId> ids) const;
    ::testing::AssertionResult disabledAll(std::initializer_list<ControlId> ids) const;
    ::testing::AssertionResult visibleAll(std::initializer_list<ControlId> ids) const;
    ::testing::AssertionResult hiddenAll(std::initializer_list<ControlId> ids) const;

    bool waitCursor() const { return waitCursor_; }
    const std::vector<bool>& waitCursorHistory() const { return waitCursorHistory_; }
    int repaintCount() const { return repaints_; }
    const std::vector<std::string>& titleHistory() const { return titles_; }
    bool ended() const { return result_.has_value(); }
    std::optional<int> result() const { return result_; }
    bool timerRunning(int timerId) const { return timers_.count(timerId) != 0; }
    int timerPeriod(int timerId) const;                           // 0 when not running
    std::map<int, int> runningTimers() const { return timers_; }  // id -> period
    const std::vector<Dispatched>& dispatched() const { return dispatched_; }

    // --- DialogView
    void setTitle(std::string_view text) override;
    std::string title() const override { return title_; }
    void setWindowVisible(bool visible) override { windowVisible_ = visible; }
    bool isWindowVisible() const override { return windowVisible_; }
    void endDialog(int result) override;
    ui::Rect windowRect() const override { return rect_; }
    void moveWindow(int x, int y) override;
    void setWaitCursor(bool on) override;
    void repaint() override { ++repaints_; }
    void setWindowIcon(int iconId) override { windowIcon_ = iconId; }
    int windowIcon() const override { return windowIcon_; }

    void enable(ControlId id, bool on) override { state(id).enabled = on; }
    bool isEnabled(ControlId id) const override { return control(id).enabled; }
    void show(ControlId id, bool visible) override { state(id).visible = visible; }
    bool isVisible(ControlId id) const override { return control(id).visible; }
    void setText(ControlId id, std::string_view text) override;
    std::string text(ControlId id) const override { return control(id).text; }
    void setFocus(ControlId id) override;
    ControlId focusedControl() const override { return focus_; }
    void setToolTip(ControlId id, std::string_view text) override { state(id).toolTip = text; }
    void setIcon(ControlId id, int iconId) override { state(id).icon = iconId; }
    int icon(ControlId id) const override { return control(id).icon; }

    void setTextLimit(ControlId id, int maxChars) override { state(id).limit = maxChars; }
    int textLimit(ControlId id) const override { return control(id).limit; }

    void clearItems(ControlId id) override;
    int addItem(ControlId id, std::string_view text) override;
    int itemCount(ControlId id) const override { return static_cast<int>(control(id).items.size()); }
    std::string itemText(ControlId id, int index) const override;
    void setItemToolTip(ControlId id, int index, std::string_view text) override;
    void setSelection(ControlId id, int index) override;
    int selection(ControlId id) const override { return control(id).selection; }

    void setChecked(ControlId id, bool checked) override { state(id).checked = checked; }
    bool isChecked(ControlId id) const override { return control(id).checked; }

    void setAddress(ControlId id, const ui::Ipv4& address) override { state(id).address = address; }
    void clearAddress(ControlId id) override { state(id).address.reset(); }
    std::optional<ui::Ipv4> address(ControlId id) const override { return control(id).address; }

    void setProgressRange(ControlId id, int low, int high) override;
    void setProgress(ControlId id, int position) override;
    int progress(ControlId id) const override { return control(id).progress; }

    void setGroupCaptionStyle(ControlId id, std::uint32_t rgb, bool bold, bool centred) override;

    void startTimer(int timerId, int periodMs) override { timers_[timerId] = periodMs; }
    void stopTimer(int timerId) override { timers_.erase(timerId); }

    int messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                   ui::MessageIcon icon) override;

  private:
    ControlState& state(ControlId id) const;  // auto-creates
    bool userCanReach(ControlId id, const char* action) const;
    bool send(ControlId id, ui::Notification n);
    bool typeChar(ControlId id, char32_t ch);

    FakeDesktop& desktop_;
    ui::Window* window_ = nullptr;
    mutable std::map<ControlId, ControlState> controls_;
    mutable std::set<ControlId> undeclared_;
    std::string title_;
    std::vector<std::string> titles_;
    bool windowVisible_ = true;
    int windowIcon_ = 0;
    ui::Rect rect_{0, 0, 640, 480};
    ControlId focus_ = 0;
    bool waitCursor_ = false;
    std::vector<bool> waitCursorHistory_;
    int repaints_ = 0;
    std::optional<int> result_;
    std::map<int, int> timers_;
    std::vector<Dispatched> dispatched_;
};

}  // namespace hollin::test
