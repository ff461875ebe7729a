#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/desktop.h"
#include "ui/dialog_view.h"

namespace hollin::ui {

// Base of every presenter. A window knows its dialog resource id, fills its controls in onInit(),
// and reacts to control notifications through its message map. It talks to its controls only through
// DialogView and to its surroundings only through Desktop.
class Window {
  public:
    explicit Window(int dialogId) : dialogId_(dialogId) {}
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    int dialogId() const { return dialogId_; }

    // Called by the host once the view exists, before onInit().
    void attach(DialogView* view, Desktop* desktop) {
        view_ = view;
        desktop_ = desktop;
    }
    void detach() { view_ = nullptr; }
    bool attached() const { return view_ != nullptr; }

    virtual void onInit() {}
    virtual void onTimer(int /*timerId*/) {}
    // The system's serial ports or USB printers changed (a cable plugged in or out) and the port map
    // was read again: a window with a port box shows the new mapping.
    virtual void onDeviceChange() {}

    // The host calls this for every notification. Returns true when the message map handled it.
    // A click on IDOK or IDCANCEL that the map does not handle goes to onOk()/onCancel().
    bool dispatch(ControlId id, Notification n);

    // Esc and the close box. The defaults end the dialog with IDCANCEL.
    virtual void onCancel() { view().endDialog(kResultCancel); }
    virtual void onOk() { view().endDialog(kResultOk); }
    virtual void onCloseBox() { onCancel(); }

    // System-menu style commands (the main window's About entry).
    virtual void onSysCommand(int /*commandId*/) {}

    // Entries the window adds to its system menu (where the host has none: to the window's context
    // menu); choosing one calls onSysCommand(commandId).
    struct SystemMenuEntry {
        int commandId = 0;
        std::string text;  // with '&' marking the access key
    };
    virtual std::vector<SystemMenuEntry> systemMenuEntries() const { return {}; }

    // Per typed character, before the text of edit `id` changes: false drops the character.
    // `focused` is the control that has the keyboard focus.
    virtual bool acceptChar(ControlId /*id*/, ControlId /*focused*/, char32_t /*ch*/) { return true; }

    DialogView& view() { return *view_; }
    Desktop& desktop() { return *desktop_; }

  protected:
    using Handler = std::function<void()>;
    // Message map entry: `handler` runs when control `id` sends `n`.
    void on(ControlId id, Notification n, Handler handler) { map_[{id, n}] = std::move(handler); }
    void onClicked(ControlId id, Handler handler) { on(id, Notification::Clicked, std::move(handler)); }
    void onSelectionChanged(ControlId id, Handler handler) {
        on(id, Notification::SelectionChanged, std::move(handler));
    }
    void onEditChanged(ControlId id, Handler handler) {
        on(id, Notification::EditChanged, std::move(handler));
    }

  private:
    int dialogId_;
    DialogView* view_ = nullptr;
    Desktop* desktop_ = nullptr;
    std::map<std::pair<ControlId, Notification>, Handler> map_;
};

}  // namespace hollin::ui
