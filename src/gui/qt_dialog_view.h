#pragma once

#include <QDialog>
#include <QObject>
#include <map>
#include <set>

#include "ui/dialog_view.h"
#include "ui/window.h"

class QTimer;
class QButtonGroup;
class QAbstractButton;

namespace hollin::gui {

class QtDialogView;

// Name of the dynamic property that carries a control's numeric id in the forms.
inline constexpr char kControlIdProperty[] = "ctrlId";
// The system command of the About entry; F1 chooses it too.
inline constexpr int kAboutCommand = 16;

// The top-level dialog of a view. Esc, the close box, F1 and the context menu go to the presenter;
// the dialog never closes by itself, only through endDialog().
class HostDialog : public QDialog {
  public:
    HostDialog(QtDialogView& view, QWidget* parent);
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QtDialogView& view_;
};

// The one DialogView of the program: the Qt Designer form of the window's dialog resource, its
// controls found by the "ctrlId" property.
//
// Notifications sent to Window::dispatch:
//  - QAbstractButton (push, check, radio): clicked -> Clicked (user only: setChecked stays silent);
//  - QComboBox: activated -> SelectionChanged (user only); an editable combo's typing -> EditChanged;
//  - QListWidget: a selection change not made through this view -> SelectionChanged;
//    itemDoubleClicked -> DoubleClicked;
//  - QLineEdit, QPlainTextEdit: textChanged -> EditChanged (typing and setText alike);
//    losing the focus -> FocusLost; each typed character first goes through Window::acceptChar;
//  - Ipv4Edit: a field typed into -> EditChanged (setAddress stays silent).
// Items a form gives a combo or list box are a preview: the presenter's first clearItems() or
// addItem() on that control replaces them.
class QtDialogView : public QObject, public ui::DialogView {
    Q_OBJECT

  public:
    // Builds the form of window.dialogId() over `parent` (may be null). Does not attach the window.
    QtDialogView(ui::Window& window, QWidget* parent);
    ~QtDialogView() override;

    ui::Window& window() { return window_; }
    QDialog* dialog() const { return dialog_; }
    // The widget of control `id`, or null.
    QWidget* control(ui::ControlId id) const;
    // The view that currently shows `window`, or null.
    static QtDialogView* viewOf(const ui::Window* window);
    // Tells every window shown that the system's ports changed (Window::onDeviceChange).
    static void notifyDeviceChange();

    // Shows the dialog application-modal and returns once endDialog() was called, with its result.
    // Hiding the window meanwhile does not end the run.
    int runModal();
    // Shows the dialog and returns at once.
    void showModeless();
    bool ended() const { return ended_; }
    int result() const { return result_; }

    // Host events, routed to the presenter.
    void escapePressed();
    void closeBoxPressed();
    void systemCommand(int commandId);

    // --- DialogView
    void setTitle(std::string_view text) override;
    std::string title() const override;
    void setWindowVisible(bool visible) override;
    bool isWindowVisible() const override;
    void endDialog(int result) override;
    ui::Rect windowRect() const override;
    void moveWindow(int x, int y) override;
    ui::Point clientToScreen(ui::Point client) const override;
    void setWaitCursor(bool on) override;
    void repaint() override;
    void setWindowIcon(int iconId) override;
    int windowIcon() const override { return windowIcon_; }

    void enable(ui::ControlId id, bool on) override;
    bool isEnabled(ui::ControlId id) const override;
    void show(ui::ControlId id, bool visible) override;
    bool isVisible(ui::ControlId id) const override;
    void setText(ui::ControlId id, std::string_view text) override;
    std::string text(ui::ControlId id) const override;
    void setFocus(ui::ControlId id) override;
    ui::ControlId focusedControl() const override;
    void setToolTip(ui::ControlId id, std::string_view text) override;
    void setIcon(ui::ControlId id, int iconId) override;
    int icon(ui::ControlId id) const override;

    void setTextLimit(ui::ControlId id, int maxChars) override;
    int textLimit(ui::ControlId id) const override;

    void clearItems(ui::ControlId id) override;
    int addItem(ui::ControlId id, std::string_view text) override;
    int itemCount(ui::ControlId id) const override;
    std::string itemText(ui::ControlId id, int index) const override;
    void setItemToolTip(ui::ControlId id, int index, std::string_view text) override;
    void setItemCells(ui::ControlId id, int index, const std::vector<std::string>& cells) override;
    void setSelection(ui::ControlId id, int index) override;
    int selection(ui::ControlId id) const override;

    void setChecked(ui::ControlId id, bool checked) override;
    bool isChecked(ui::ControlId id) const override;

    void setAddress(ui::ControlId id, const ui::Ipv4& address) override;
    void clearAddress(ui::ControlId id) override;
    std::optional<ui::Ipv4> address(ui::ControlId id) const override;

    void setProgressRange(ui::ControlId id, int low, int high) override;
    void setProgress(ui::ControlId id, int position) override;
    int progress(ui::ControlId id) const override;

    void setGroupCaptionStyle(ui::ControlId id, std::uint32_t rgb, bool bold, bool centred) override;

    void startTimer(int timerId, int periodMs) override;
    void stopTimer(int timerId) override;

    int messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                   ui::MessageIcon icon) override;

  signals:
    // endDialog() was called.
    void finished(int result);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void collectControls();
    void connectControl(ui::ControlId id, QWidget* widget);
    void notify(ui::ControlId id, ui::Notification n);
    bool filterKey(ui::ControlId id, const QString& typed);
    ui::ControlId controlIdOf(const QWidget* widget) const;
    QWidget* need(ui::ControlId id) const;  // control(), with a warning when missing
    void dropFormItems(ui::ControlId id);
    void dialogGone();

    ui::Window& window_;
    HostDialog* dialog_ = nullptr;  // null once gone with its owner
    std::map<ui::ControlId, QWidget*> controls_;
    std::set<ui::ControlId> formItems_;  // combo/list boxes still showing the form's preview items
    std::map<int, QTimer*> timers_;
    int codeChanges_ = 0;  // >0 while this view changes a list box itself
    bool ended_ = false;
    int result_ = ui::kResultCancel;
    bool waitCursor_ = false;
    int windowIcon_ = 0;
};

}  // namespace hollin::gui
