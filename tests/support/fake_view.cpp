#include "support/fake_view.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "support/fake_desktop.h"

namespace hollin::test {

namespace {

// Splits UTF-8 text into code points; a malformed byte stands for itself.
std::vector<char32_t> decodeUtf8(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        if (i + extra >= s.size()) {
            extra = 0;  // truncated sequence
        }
        char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        out.push_back(cp);
        i += 1 + extra;
    }
    return out;
}

std::string encodeUtf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::size_t codePointCount(std::string_view s) {
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void dropLastCodePoint(std::string& s) {
    while (!s.empty()) {
        const auto b = static_cast<unsigned char>(s.back());
        s.pop_back();
        if ((b & 0xC0) != 0x80) {
            return;
        }
    }
}

}  // namespace

FakeView::FakeView(FakeDesktop& desktop) : desktop_(desktop) {}

FakeView::~FakeView() = default;

// --- hooking up a presenter

void FakeView::attach(ui::Window& window) {
    window_ = &window;
    window.attach(this, &desktop_);
}

void FakeView::open(ui::Window& window) {
    attach(window);
    window.onInit();
}

void FakeView::release() {
    window_ = nullptr;
}

ui::Window& FakeView::window() {
    if (window_ == nullptr) {
        ADD_FAILURE() << "FakeView: no window attached";
        throw std::logic_error("FakeView: no window attached");
    }
    return *window_;
}

// --- the form

FakeView& FakeView::declare(std::initializer_list<ControlId> ids) {
    return declare(std::vector<ControlId>(ids));
}

FakeView& FakeView::declare(const std::vector<ControlId>& ids) {
    for (ControlId id : ids) {
        controls_.try_emplace(id);
        undeclared_.erase(id);
    }
    return *this;
}

FakeView& FakeView::declare(ControlId id, ControlState initial) {
    controls_[id] = std::move(initial);
    undeclared_.erase(id);
    return *this;
}

std::vector<ControlId> FakeView::controlIds() const {
    std::vector<ControlId> ids;
    for (const auto& [id, c] : controls_) {
        ids.push_back(id);
    }
    return ids;
}

const ControlState& FakeView::control(ControlId id) const {
    return state(id);
}

ControlState& FakeView::state(ControlId id) const {
    auto [it, created] = controls_.try_emplace(id);
    if (created) {
        undeclared_.insert(id);
    }
    return it->second;
}

// --- the operator

bool FakeView::userCanReach(ControlId id, const char* /*action*/) const {
    if (window_ == nullptr || ended() || !windowVisible_) {
        return false;
    }
    const ControlState& c = state(id);
    return c.enabled && c.visible;
}

bool FakeView::send(ControlId id, ui::Notification n) {
    if (window_ == nullptr) {
        return false;
    }
    const std::size_t slot = dispatched_.size();
    dispatched_.push_back({id, n, false});
    const bool handled = window_->dispatch(id, n);
    dispatched_[slot].handled = handled;
    return true;
}

bool FakeView::click(ControlId id) {
    return userCanReach(id, "click") && send(id, ui::Notification::Clicked);
}

bool FakeView::doubleClick(ControlId id) {
    return userCanReach(id, "double-click") && send(id, ui::Notification::DoubleClicked);
}

bool FakeView::select(ControlId id, int index) {
    if (!userCanReach(id, "select")) {
        return false;
    }
    ControlState& c = state(id);
    if (index < 0 || index >= static_cast<int>(c.items.size())) {
        ADD_FAILURE() << "FakeView: control " << id << " has no item " << index << " (" << c.items.size()
                      << " items)";
        return false;
    }
    c.selection = index;
    c.text = c.items[static_cast<std::size_t>(index)];
    return send(id, ui::Notification::SelectionChanged);
}

bool FakeView::select(ControlId id, std::string_view itemText) {
    const ControlState& c = state(id);
    const auto it = std::find(c.items.begin(), c.items.end(), itemText);
    if (it == c.items.end()) {
        ADD_FAILURE() << "FakeView: control " << id << " has no item \"" << itemText << "\"";
        return false;
    }
    return select(id, static_cast<int>(it - c.items.begin()));
}

bool FakeView::typeChar(ControlId id, char32_t ch) {
    if (!window_->acceptChar(id, focus_, ch)) {
        return false;
    }
    ControlState& c = state(id);
    if (ch == U'\b') {
        if (c.text.empty()) {
            return false;
        }
        dropLastCodePoint(c.text);
    } else {
        if (c.limit > 0 && codePointCount(c.text) >= static_cast<std::size_t>(c.limit)) {
            return false;
        }
        c.text += encodeUtf8(ch);
    }
    return send(id, ui::Notification::EditChanged);
}

bool FakeView::type(ControlId id, std::string_view utf8) {
    if (!userCanReach(id, "type")) {
        return false;
    }
    focus_ = id;
    bool any = false;
    for (char32_t ch : decodeUtf8(utf8)) {
        if (ended()) {
            break;
        }
        any = typeChar(id, ch) || any;
    }
    return any;
}

bool FakeView::typeOver(ControlId id, std::string_view utf8) {
    if (!userCanReach(id, "type")) {
        return false;
    }
    focus_ = id;
    bool any = false;
    if (!state(id).text.empty()) {
        state(id).text.clear();
        any = send(id, ui::Notification::EditChanged);
    }
    return type(id, utf8) || any;
}

bool FakeView::editTo(ControlId id, std::string_view utf8) {
    if (!userCanReach(id, "edit")) {
        return false;
    }
    focus_ = id;
    ControlState& c = state(id);
    if (c.text == utf8 || (c.limit > 0 && codePointCount(utf8) > static_cast<std::size_t>(c.limit))) {
        return false;
    }
    c.text = std::string(utf8);
    return send(id, ui::Notification::EditChanged);
}

bool FakeView::setCheckByUser(ControlId id, bool checked) {
    if (!userCanReach(id, "check")) {
        return false;
    }
    state(id).checked = checked;
    return send(id, ui::Notification::Clicked);
}

bool FakeView::chooseRadio(ControlId id, std::initializer_list<ControlId> group) {
    if (!userCanReach(id, "choose")) {
        return false;
    }
    for (ControlId other : group) {
        state(other).checked = false;
    }
    state(id).checked = true;
    return send(id, ui::Notification::Clicked);
}

bool FakeView::setAddressByUser(ControlId id, const ui::Ipv4& address) {
    if (!userCanReach(id, "type")) {
        return false;
    }
    focus_ = id;
    state(id).address = address;
    return send(id, ui::Notification::EditChanged);
}

bool FakeView::leave(ControlId id) {
    if (!userCanReach(id, "leave")) {
        return false;
    }
    if (focus_ == id) {
        focus_ = 0;
    }
    return send(id, ui::Notification::FocusLost);
}

void FakeView::pressEsc() {
    if (!ended()) {
        window();  // fails the test when nothing is attached
        send(ui::IDCANCEL, ui::Notification::Clicked);
    }
}

void FakeView::closeBox() {
    if (!ended()) {
        window().onCloseBox();
    }
}

void FakeView::sysCommand(int commandId) {
    if (!ended()) {
        window().onSysCommand(commandId);
    }
}

bool FakeView::fireTimer(int timerId) {
    if (window_ == nullptr || ended() || !timerRunning(timerId)) {
        return false;
    }
    window_->onTimer(timerId);
    return true;
}

// --- reading the state

std::string FakeView::selectedText(ControlId id) const {
    const ControlState& c = control(id);
    if (c.selection < 0 || c.selection >= static_cast<int>(c.items.size())) {
        return {};
    }
    return c.items[static_cast<std::size_t>(c.selection)];
}

std::string FakeView::itemToolTip(ControlId id, int index) const {
    const ControlState& c = control(id);
    const auto it = c.itemToolTips.find(index);
    return it == c.itemToolTips.end() ? std::string{} : it->second;
}

std::pair<int, int> FakeView::progressRange(ControlId id) const {
    const ControlState& c = control(id);
    return {c.progressLow, c.progressHigh};
}

namespace {

template <typename Pred>
::testing::AssertionResult allOf(std::initializer_list<ControlId> ids, const char* what, Pred pred) {
    std::ostringstream bad;
    bool ok = true;
    for (ControlId id : ids) {
        if (!pred(id)) {
            bad << (ok ? "" : ", ") << id;
            ok = false;
        }
    }
    if (ok) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "not " << what << ": " << bad.str();
}

}  // namespace

::testing::AssertionResult FakeView::enabledAll(std::initializer_list<ControlId> ids) const {
    return allOf(ids, "enabled", [this](ControlId id) { return enabled(id); });
}

::testing::AssertionResult FakeView::disabledAll(std::initializer_list<ControlId> ids) const {
    return allOf(ids, "disabled", [this](ControlId id) { return !enabled(id); });
}

::testing::AssertionResult FakeView::visibleAll(std::initializer_list<ControlId> ids) const {
    return allOf(ids, "visible", [this](ControlId id) { return visible(id); });
}

::testing::AssertionResult FakeView::hiddenAll(std::initializer_list<ControlId> ids) const {
    return allOf(ids, "hidden", [this](ControlId id) { return !visible(id); });
}

int FakeView::timerPeriod(int timerId) const {
    const auto it = timers_.find(timerId);
    return it == timers_.end() ? 0 : it->second;
}

// --- DialogView

void FakeView::setTitle(std::string_view text) {
    title_ = text;
    titles_.emplace_back(text);
}

void FakeView::endDialog(int result) {
    result_ = result;
}

void FakeView::moveWindow(int x, int y) {
    const int w = rect_.width();
    const int h = rect_.height();
    rect_ = {x, y, x + w, y + h};
}

void FakeView::setWaitCursor(bool on) {
    waitCursor_ = on;
    waitCursorHistory_.push_back(on);
}

void FakeView::setText(ControlId id, std::string_view text) {
    ControlState& c = state(id);
    c.text = text;
    c.textHistory.emplace_back(text);
    if (!c.isList) {
        send(id, ui::Notification::EditChanged);
    }
}

void FakeView::setFocus(ControlId id) {
    state(id);
    focus_ = id;
}

void FakeView::clearItems(ControlId id) {
    ControlState& c = state(id);
    c.isList = true;
    c.items.clear();
    c.itemToolTips.clear();
    c.selection = -1;
    c.text.clear();
}

int FakeView::addItem(ControlId id, std::string_view text) {
    ControlState& c = state(id);
    c.isList = true;
    c.items.emplace_back(text);
    return static_cast<int>(c.items.size()) - 1;
}

std::string FakeView::itemText(ControlId id, int index) const {
    const ControlState& c = control(id);
    if (index < 0 || index >= static_cast<int>(c.items.size())) {
        return {};
    }
    return c.items[static_cast<std::size_t>(index)];
}

void FakeView::setItemToolTip(ControlId id, int index, std::string_view text) {
    state(id).itemToolTips[index] = text;
}

void FakeView::setSelection(ControlId id, int index) {
    ControlState& c = state(id);
    // Out of range clears the selection, as the list controls do.
    c.selection = (index >= 0 && index < static_cast<int>(c.items.size())) ? index : -1;
    c.text = c.selection < 0 ? std::string{} : c.items[static_cast<std::size_t>(c.selection)];
}

void FakeView::setProgressRange(ControlId id, int low, int high) {
    ControlState& c = state(id);
    c.progressLow = low;
    c.progressHigh = high;
    c.progress = std::clamp(c.progress, low, std::max(low, high));
}

void FakeView::setProgress(ControlId id, int position) {
    ControlState& c = state(id);
    c.progress = std::clamp(position, c.progressLow, std::max(c.progressLow, c.progressHigh));
    c.progressHistory.push_back(c.progress);
}

void FakeView::setGroupCaptionStyle(ControlId id, std::uint32_t rgb, bool bold, bool centred) {
    state(id).captionStyle = GroupCaptionStyle{rgb, bold, centred};
}

int FakeView::messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                         ui::MessageIcon icon) {
    return desktop_.showMessage(window_ != nullptr ? window_->dialogId() : 0, text, caption, buttons, icon);
}

}  // namespace hollin::test
