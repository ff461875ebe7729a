#include "gui/qt_dialog_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <vector>

#include "gui/form_registry.h"
#include "gui/hover_button.h"
#include "gui/icons.h"
#include "gui/ipv4_edit.h"
#include "gui/message_box.h"
#include "gui/qt_text.h"
#include "gui/xp_group_box.h"
#include "ui/owner_drawn.h"

namespace hollin::gui {

using ui::ControlId;
using ui::Notification;

namespace {

// A list shown as a table keeps each row's list index (the order it was added in) with its first
// cell, so that sorting by a column moves rows and leaves the indices the window knows them by.
constexpr int kListIndexRole = Qt::UserRole + 1;

int tableRowOf(const QTableWidget& table, int index) {
    for (int row = 0; row < table.rowCount(); ++row)
        if (const QTableWidgetItem* item = table.item(row, 0);
            item && item->data(kListIndexRole).toInt() == index)
            return row;
    return -1;
}

QTableWidgetItem* tableItem(const QTableWidget& table, int index) {
    const int row = index >= 0 ? tableRowOf(table, index) : -1;
    return row >= 0 ? table.item(row, 0) : nullptr;
}

// Cells change with sorting off: a sorted table would move the row while it is being filled.
template <typename Change>
void changeUnsorted(QTableWidget& table, Change change) {
    const bool sorting = table.isSortingEnabled();
    table.setSortingEnabled(false);
    change();
    table.setSortingEnabled(sorting);
}

std::map<const ui::Window*, QtDialogView*>& liveViews() {
    static std::map<const ui::Window*, QtDialogView*> views;
    return views;
}

// QLineEdit's "no limit".
constexpr int kUnlimitedLineEdit = 32767;

// Characters the per-character filter sees: printable ones and backspace, as a WM_CHAR would carry
// them. Enter, Esc and Tab belong to the dialog, control-key shortcuts to the edit.
bool isFilteredChar(char32_t ch) {
    return ch == U'\b' || (ch >= 0x20 && ch != 0x7f);
}

// Unchecking a radio button of an exclusive group needs the group's exclusivity lifted for a moment.
void setCheckedFromCode(QAbstractButton& button, bool checked) {
    if (checked || !button.isChecked()) {
        button.setChecked(checked);
        return;
    }
    QButtonGroup* group = button.group();
    const bool groupExclusive = group != nullptr && group->exclusive();
    const bool autoExclusive = button.autoExclusive();
    if (groupExclusive)
        group->setExclusive(false);
    button.setAutoExclusive(false);
    button.setChecked(false);
    button.setAutoExclusive(autoExclusive);
    if (groupExclusive)
        group->setExclusive(true);
}

// A label's text as a name: without the mnemonic marks ("&&" stays one "&").
QString withoutMnemonics(QString text) {
    static const QString placeholder = QStringLiteral("\x01");
    text.replace(QStringLiteral("&&"), placeholder);
    text.remove(QLatin1Char('&'));
    return text.replace(placeholder, QStringLiteral("&"));
}

// Marks a control whose accessible name this view took from its label.
constexpr char kNamedByLabel[] = "hollinNamedByLabel";

// A control with a label as buddy is named after the label (a combo box would otherwise be named by
// its current item), unless the form names it; the four fields of an address control are "<label> 1"
// to "<label> 4". The buddy also gives screen readers the labelled-by relation. Called again when the
// label's text changes (a caption in another language).
void nameAfterLabel(QLabel& label) {
    QWidget* buddy = label.buddy();
    if (buddy == nullptr)
        return;
    const QString name = withoutMnemonics(label.text()).simplified();
    if (buddy->accessibleName().isEmpty() || buddy->property(kNamedByLabel).toBool()) {
        buddy->setAccessibleName(name);
        buddy->setProperty(kNamedByLabel, true);
    }
    if (auto* ip = qobject_cast<Ipv4Edit*>(buddy))
        ip->setFieldNames(name);
}

ui::Rect rectIn(const QWidget& widget, const QWidget& dialog) {
    const QPoint topLeft = widget.mapTo(&dialog, QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + widget.width(), topLeft.y() + widget.height()};
}

// The keyboard visits the controls in reading order: group by group, column by column, rows inside.
// An address control is one stop whose four fields keep their own order.
// A table's parts (its headers, their viewports and scroll bars) join the focus chain wherever they
// were made, not all behind the table; Qt moves a widget in the tab order with only the parts right
// behind it, so they are gathered there first.
void gatherParts(QWidget& compound) {
    std::vector<QWidget*> parts;
    for (QWidget* w = compound.nextInFocusChain(); w != &compound; w = w->nextInFocusChain())
        if (compound.isAncestorOf(w))
            parts.push_back(w);
    QWidget* last = &compound;
    for (QWidget* part : parts) {
        const Qt::FocusPolicy policy = part->focusPolicy();
        part->setFocusPolicy(Qt::TabFocus);  // setTabOrder leaves widgets without focus alone
        QWidget::setTabOrder(last, part);
        part->setFocusPolicy(policy);
        last = part;
    }
}

void orderTabStops(QDialog& dialog, const std::map<ControlId, QWidget*>& controls) {
    std::vector<QWidget*> stops;
    for (const auto& [id, widget] : controls) {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 || qobject_cast<Ipv4Edit*>(widget) != nullptr)
            stops.push_back(widget);
        if (qobject_cast<QTableWidget*>(widget) != nullptr)
            gatherParts(*widget);
    }
    std::vector<ui::Rect> rects, groups;
    for (QWidget* w : stops)
        rects.push_back(rectIn(*w, dialog));
    for (QGroupBox* g : dialog.findChildren<QGroupBox*>())
        groups.push_back(rectIn(*g, dialog));
    QWidget* previous = nullptr;
    for (int index : ui::readingOrder(rects, groups)) {
        QWidget* stop = stops[static_cast<std::size_t>(index)];
        auto* ip = qobject_cast<Ipv4Edit*>(stop);
        QWidget* first = ip != nullptr ? ip->field(0) : stop;
        if (previous != nullptr)
            QWidget::setTabOrder(previous, first);
        if (ip != nullptr) {
            for (int i = 1; i < 4; ++i)
                QWidget::setTabOrder(ip->field(i - 1), ip->field(i));
        }
        previous = ip != nullptr ? ip->field(3) : stop;
    }
}

// Every group box of every form in the program's one group look; windows may centre some.
void dressGroups(QDialog& dialog) {
    for (CXPGroupBox* group : dialog.findChildren<CXPGroupBox*>()) {
        group->setCaptionTextColour(QColor::fromRgb(static_cast<QRgb>(ui::kGroupCaptionColour)));
        group->setBold(ui::kGroupCaptionBold);
    }
}

}  // namespace

// ---------------------------------------------------------------- HostDialog

HostDialog::HostDialog(QtDialogView& view, QWidget* parent) : QDialog(parent), view_(view) {}

void HostDialog::reject() {
    view_.escapePressed();
}

void HostDialog::closeEvent(QCloseEvent* event) {
    if (view_.ended()) {
        event->accept();
        return;
    }
    event->ignore();
    view_.closeBoxPressed();
}

void HostDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        for (const auto& entry : view_.window().systemMenuEntries()) {
            if ((entry.commandId & 0xFFF0) == kAboutCommand) {
                view_.systemCommand(entry.commandId);
                event->accept();
                return;
            }
        }
    }
    QDialog::keyPressEvent(event);
}

void HostDialog::contextMenuEvent(QContextMenuEvent* event) {
    const auto entries = view_.window().systemMenuEntries();
    if (entries.empty()) {
        QDialog::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    for (const auto& entry : entries)
        menu.addAction(qs(entry.text))->setData(entry.commandId);
    if (QAction* chosen = menu.exec(event->globalPos()))
        view_.systemCommand(chosen->data().toInt());
}

// ---------------------------------------------------------------- QtDialogView: the window

QtDialogView::QtDialogView(ui::Window& window, QWidget* parent)
    : window_(window), dialog_(new HostDialog(*this, parent)) {
    if (!setupForm(window.dialogId(), *dialog_)) {
        qWarning("hollin: no form for dialog %d", window.dialogId());
        dialog_->setWindowTitle(QStringLiteral("Dialog %1").arg(window.dialogId()));
    }
    collectControls();
    dressGroups(*dialog_);
    // The dialog can go before its view: with the window that owns it. The view then ends.
    connect(dialog_, &QObject::destroyed, this, &QtDialogView::dialogGone);
    liveViews()[&window_] = this;
}

void QtDialogView::dialogGone() {
    dialog_ = nullptr;
    controls_.clear();
    formItems_.clear();
    for (auto& [id, timer] : timers_)
        timer->stop();
    if (!ended_) {
        ended_ = true;
        emit finished(result_);
    }
}

QtDialogView::~QtDialogView() {
    if (auto it = liveViews().find(&window_); it != liveViews().end() && it->second == this)
        liveViews().erase(it);
    if (waitCursor_)
        QApplication::restoreOverrideCursor();
    if (dialog_ != nullptr) {
        // No notification may reach the presenter while the controls go away.
        disconnect(dialog_, &QObject::destroyed, this, nullptr);
        for (auto& [id, widget] : controls_) {
            widget->disconnect(this);
            widget->removeEventFilter(this);
        }
        controls_.clear();
        delete std::exchange(dialog_, nullptr);
    }
    for (auto& [id, timer] : timers_)
        delete timer;
}

QtDialogView* QtDialogView::viewOf(const ui::Window* window) {
    auto it = liveViews().find(window);
    return it == liveViews().end() ? nullptr : it->second;
}

void QtDialogView::notifyDeviceChange() {
    // A window's handler may open or close another: go over a copy.
    std::vector<ui::Window*> windows;
    for (const auto& [window, view] : liveViews())
        if (view->window_.attached())
            windows.push_back(&view->window_);
    for (ui::Window* window : windows)
        if (viewOf(window) != nullptr)
            window->onDeviceChange();
}

void QtDialogView::collectControls() {
    for (QWidget* widget : dialog_->findChildren<QWidget*>()) {
        const QVariant id = widget->property(kControlIdProperty);
        if (!id.isValid())
            continue;
        const ControlId controlId = id.toInt();
        if (!controls_.emplace(controlId, widget).second) {
            qWarning("hollin: dialog %d has control id %d twice", window_.dialogId(), controlId);
            continue;
        }
        auto* combo = qobject_cast<QComboBox*>(widget);
        auto* list = qobject_cast<QListWidget*>(widget);
        if ((combo != nullptr && combo->count() > 0) || (list != nullptr && list->count() > 0))
            formItems_.insert(controlId);
        if (auto* table = qobject_cast<QTableWidget*>(widget)) {
            // In the order found until the operator sorts by a column.
            table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
            table->setSortingEnabled(true);
            // Rows as close as a list's.
            table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
        }
        connectControl(controlId, widget);
    }
    for (QLabel* label : dialog_->findChildren<QLabel*>())
        nameAfterLabel(*label);
    orderTabStops(*dialog_, controls_);
}

void QtDialogView::connectControl(ControlId id, QWidget* widget) {
    if (auto* ip = qobject_cast<Ipv4Edit*>(widget)) {
        connect(ip, &Ipv4Edit::edited, this, [this, id] { notify(id, Notification::EditChanged); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { notify(id, Notification::Clicked); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::activated, this,
                [this, id] { notify(id, Notification::SelectionChanged); });
        if (QLineEdit* edit = combo->lineEdit())
            connect(edit, &QLineEdit::textEdited, this,
                    [this, id] { notify(id, Notification::EditChanged); });
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        connect(list, &QListWidget::itemSelectionChanged, this, [this, id] {
            if (codeChanges_ == 0)
                notify(id, Notification::SelectionChanged);
        });
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, id] { notify(id, Notification::DoubleClicked); });
    } else if (auto* table = qobject_cast<QTableWidget*>(widget)) {
        connect(table, &QTableWidget::itemSelectionChanged, this, [this, id] {
            if (codeChanges_ == 0)
                notify(id, Notification::SelectionChanged);
        });
        connect(table, &QTableWidget::itemDoubleClicked, this,
                [this, id] { notify(id, Notification::DoubleClicked); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textChanged, this, [this, id] { notify(id, Notification::EditChanged); });
        edit->installEventFilter(this);
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        connect(text, &QPlainTextEdit::textChanged, this,
                [this, id] { notify(id, Notification::EditChanged); });
        text->installEventFilter(this);
    }
}

void QtDialogView::notify(ControlId id, Notification n) {
    if (window_.attached() && viewOf(&window_) == this)
        window_.dispatch(id, n);
}

bool QtDialogView::eventFilter(QObject* watched, QEvent* event) {
    if (dialog_ == nullptr)
        return QObject::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    const ControlId id = widget != nullptr ? controlIdOf(widget) : 0;
    if (id != 0 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
            !filterKey(id, key->text()))
            return true;  // the presenter refused the character: it never reaches the edit
    } else if (id != 0 && event->type() == QEvent::FocusOut) {
        notify(id, Notification::FocusLost);
    }
    return QObject::eventFilter(watched, event);
}

bool QtDialogView::filterKey(ControlId id, const QString& typed) {
    if (!window_.attached())
        return true;
    // The edit that receives a key event has the keyboard focus, even where the platform keeps no
    // active window (off-screen).
    ControlId focused = focusedControl();
    if (focused == 0)
        focused = id;
    for (char32_t ch : typed.toUcs4()) {
        if (isFilteredChar(ch) && !window_.acceptChar(id, focused, ch))
            return false;
    }
    return true;
}

ControlId QtDialogView::controlIdOf(const QWidget* widget) const {
    for (const QWidget* w = widget; w != nullptr && w != dialog_; w = w->parentWidget()) {
        const QVariant id = w->property(kControlIdProperty);
        if (id.isValid())
            return id.toInt();
    }
    return 0;
}

QWidget* QtDialogView::control(ControlId id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QWidget* QtDialogView::need(ControlId id) const {
    QWidget* widget = control(id);
    if (widget == nullptr)
        qWarning("hollin: dialog %d has no control %d", window_.dialogId(), id);
    return widget;
}

int QtDialogView::runModal() {
    if (!ended_) {
        QEventLoop loop;
        connect(this, &QtDialogView::finished, &loop, &QEventLoop::quit);
        if (dialog_ != nullptr) {
            dialog_->setWindowModality(Qt::ApplicationModal);
            dialog_->show();
            loop.exec();
        }
        if (!ended_)  // the application is quitting underneath us
            endDialog(ui::kResultCancel);
    }
    return result_;
}

void QtDialogView::showModeless() {
    if (!ended_ && dialog_ != nullptr)
        dialog_->show();
}

void QtDialogView::escapePressed() {
    if (window_.attached())
        window_.dispatch(ui::IDCANCEL, Notification::Clicked);
}

void QtDialogView::closeBoxPressed() {
    if (window_.attached())
        window_.onCloseBox();
}

void QtDialogView::systemCommand(int commandId) {
    if (window_.attached())
        window_.onSysCommand(commandId);
}

void QtDialogView::setTitle(std::string_view text) {
    if (dialog_ != nullptr)
        dialog_->setWindowTitle(qs(text));
}

std::string QtDialogView::title() const {
    return dialog_ != nullptr ? utf8(dialog_->windowTitle()) : std::string();
}

void QtDialogView::setWindowVisible(bool visible) {
    if (dialog_ != nullptr)
        dialog_->setVisible(visible);
}

bool QtDialogView::isWindowVisible() const {
    return dialog_ != nullptr && dialog_->isVisible();
}

void QtDialogView::endDialog(int result) {
    result_ = result;
    if (ended_) {
        if (dialog_ != nullptr)
            dialog_->setResult(result);
        return;
    }
    ended_ = true;
    for (auto& [id, timer] : timers_)
        timer->stop();
    if (dialog_ != nullptr)
        dialog_->done(result);
    emit finished(result);
}

ui::Rect QtDialogView::windowRect() const {
    if (dialog_ == nullptr)
        return {};
    const QRect r = dialog_->frameGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void QtDialogView::moveWindow(int x, int y) {
    if (dialog_ != nullptr)
        dialog_->move(x, y);
}

ui::Point QtDialogView::clientToScreen(ui::Point client) const {
    if (dialog_ == nullptr)
        return client;
    const QPoint p = dialog_->mapToGlobal(QPoint(client.x, client.y));
    return {p.x(), p.y()};
}

void QtDialogView::setWaitCursor(bool on) {
    if (on == waitCursor_)
        return;
    waitCursor_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtDialogView::repaint() {
    // Paint what changed while a handler blocks the loop; no input reaches the window meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    if (dialog_ != nullptr)
        dialog_->repaint();
}

void QtDialogView::setWindowIcon(int iconId) {
    windowIcon_ = iconId;
    if (dialog_ != nullptr)
        dialog_->setWindowIcon(iconForId(iconId));
}

// ---------------------------------------------------------------- every control

void QtDialogView::enable(ControlId id, bool on) {
    if (QWidget* w = need(id))
        w->setEnabled(on);
}

bool QtDialogView::isEnabled(ControlId id) const {
    const QWidget* w = need(id);
    return w != nullptr && w->isEnabledTo(dialog_);
}

void QtDialogView::show(ControlId id, bool visible) {
    if (QWidget* w = need(id))
        w->setVisible(visible);
}

bool QtDialogView::isVisible(ControlId id) const {
    const QWidget* w = need(id);
    return w != nullptr && w->isVisibleTo(dialog_);
}

void QtDialogView::setText(ControlId id, std::string_view text) {
    QWidget* w = need(id);
    const QString t = qs(text);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(t);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(t);
        nameAfterLabel(*label);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(t);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(t);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setPlainText(t);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable())
            combo->setEditText(t);
        else
            combo->setCurrentIndex(combo->findText(t, Qt::MatchExactly));
    }
}

std::string QtDialogView::text(ControlId id) const {
    const QWidget* w = need(id);
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return utf8(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return utf8(label->text());
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return utf8(group->title());
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return utf8(edit->text());
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w))
        return utf8(plain->toPlainText());
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return utf8(combo->currentText());
    if (const auto* list = qobject_cast<const QListWidget*>(w))
        return list->currentItem() != nullptr ? utf8(list->currentItem()->text()) : std::string();
    if (const auto* table = qobject_cast<const QTableWidget*>(w)) {
        const QTableWidgetItem* item =
            table->currentRow() >= 0 ? table->item(table->currentRow(), 0) : nullptr;
        return item != nullptr ? utf8(item->text()) : std::string();
    }
    return {};
}

void QtDialogView::setFocus(ControlId id) {
    if (QWidget* w = need(id))
        w->setFocus(Qt::OtherFocusReason);
}

ControlId QtDialogView::focusedControl() const {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus->window() != dialog_)
        return 0;
    return controlIdOf(focus);
}

void QtDialogView::setToolTip(ControlId id, std::string_view text) {
    if (QWidget* w = need(id))
        w->setToolTip(qs(text));
}

void QtDialogView::setIcon(ControlId id, int iconId) {
    QWidget* w = need(id);
    if (w == nullptr)
        return;
    w->setProperty("iconId", iconId);
    if (auto* hover = qobject_cast<HoverButton*>(w)) {
        hover->setIcons(iconForId(iconId));
        hover->setFlat(false);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setIcon(iconForId(iconId));
        button->setIconSize(QSize(kButtonIconSize, kButtonIconSize));
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setPixmap(iconForId(iconId).pixmap(kButtonIconSize, kButtonIconSize));
    }
}

int QtDialogView::icon(ControlId id) const {
    const QWidget* w = need(id);
    return w != nullptr ? w->property("iconId").toInt() : 0;
}

// ---------------------------------------------------------------- edits

void QtDialogView::setTextLimit(ControlId id, int maxChars) {
    if (auto* edit = qobject_cast<QLineEdit*>(need(id)))
        edit->setMaxLength(maxChars > 0 ? maxChars : kUnlimitedLineEdit);
}

int QtDialogView::textLimit(ControlId id) const {
    const auto* edit = qobject_cast<const QLineEdit*>(need(id));
    if (edit == nullptr || edit->maxLength() >= kUnlimitedLineEdit)
        return 0;
    return edit->maxLength();
}

// ---------------------------------------------------------------- combo and list boxes

void QtDialogView::dropFormItems(ControlId id) {
    if (formItems_.erase(id) == 0)
        return;
    ++codeChanges_;
    if (auto* combo = qobject_cast<QComboBox*>(control(id)))
        combo->clear();
    else if (auto* list = qobject_cast<QListWidget*>(control(id)))
        list->clear();
    --codeChanges_;
}

void QtDialogView::clearItems(ControlId id) {
    dropFormItems(id);
    QWidget* w = need(id);
    ++codeChanges_;
    if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->clear();
    else if (auto* list = qobject_cast<QListWidget*>(w))
        list->clear();
    else if (auto* table = qobject_cast<QTableWidget*>(w))
        table->setRowCount(0);
    --codeChanges_;
}

int QtDialogView::addItem(ControlId id, std::string_view text) {
    dropFormItems(id);
    QWidget* w = need(id);
    int index = -1;
    ++codeChanges_;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const int selected = combo->currentIndex();
        combo->addItem(qs(text));
        // An item added to an empty drop-down list does not select itself.
        if (selected < 0)
            combo->setCurrentIndex(-1);
        index = combo->count() - 1;
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        list->addItem(qs(text));
        index = list->count() - 1;
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
        index = table->rowCount();
        changeUnsorted(*table, [&] {
            table->insertRow(index);
            auto* item = new QTableWidgetItem(qs(text));
            item->setData(kListIndexRole, index);
            table->setItem(index, 0, item);
        });
    }
    --codeChanges_;
    return index;
}

int QtDialogView::itemCount(ControlId id) const {
    const QWidget* w = need(id);
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->count();
    if (const auto* list = qobject_cast<const QListWidget*>(w))
        return list->count();
    if (const auto* table = qobject_cast<const QTableWidget*>(w))
        return table->rowCount();
    return 0;
}

std::string QtDialogView::itemText(ControlId id, int index) const {
    const QWidget* w = need(id);
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return index >= 0 && index < combo->count() ? utf8(combo->itemText(index)) : std::string();
    if (const auto* list = qobject_cast<const QListWidget*>(w))
        return index >= 0 && index < list->count() ? utf8(list->item(index)->text()) : std::string();
    if (const auto* table = qobject_cast<const QTableWidget*>(w)) {
        const QTableWidgetItem* item = tableItem(*table, index);
        return item != nullptr ? utf8(item->text()) : std::string();
    }
    return {};
}

void QtDialogView::setItemToolTip(ControlId id, int index, std::string_view text) {
    QWidget* w = need(id);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (index >= 0 && index < combo->count())
            combo->setItemData(index, qs(text), Qt::ToolTipRole);
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        if (index >= 0 && index < list->count())
            list->item(index)->setToolTip(qs(text));
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
        if (QTableWidgetItem* item = tableItem(*table, index))
            item->setToolTip(qs(text));
    }
}

void QtDialogView::setItemCells(ControlId id, int index, const std::vector<std::string>& cells) {
    auto* table = qobject_cast<QTableWidget*>(need(id));
    QTableWidgetItem* first = table != nullptr ? tableItem(*table, index) : nullptr;
    if (first == nullptr)
        return;
    ++codeChanges_;
    changeUnsorted(*table, [&] {
        const int row = first->row();
        const int columns = std::min(static_cast<int>(cells.size()), table->columnCount());
        for (int column = 0; column < columns; ++column) {
            if (column == 0)
                first->setText(qs(cells[0]));
            else
                table->setItem(row, column,
                               new QTableWidgetItem(qs(cells[static_cast<std::size_t>(column)])));
        }
    });
    table->resizeColumnsToContents();
    --codeChanges_;
}

void QtDialogView::setSelection(ControlId id, int index) {
    QWidget* w = need(id);
    ++codeChanges_;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        if (index >= 0 && index < list->count()) {
            list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        } else {
            list->clearSelection();
            list->setCurrentItem(nullptr);
        }
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
        if (QTableWidgetItem* item = tableItem(*table, index)) {
            table->setCurrentItem(item, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        } else {
            table->clearSelection();
            table->setCurrentItem(nullptr);
        }
    }
    --codeChanges_;
}

int QtDialogView::selection(ControlId id) const {
    const QWidget* w = need(id);
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->currentIndex();
    if (const auto* list = qobject_cast<const QListWidget*>(w)) {
        const auto selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->row(selected.first());
    }
    if (const auto* table = qobject_cast<const QTableWidget*>(w)) {
        const auto rows = table->selectionModel()->selectedRows();
        const QTableWidgetItem* item = rows.isEmpty() ? nullptr : table->item(rows.first().row(), 0);
        return item != nullptr ? item->data(kListIndexRole).toInt() : -1;
    }
    return -1;
}

// ---------------------------------------------------------------- check boxes and radio buttons

void QtDialogView::setChecked(ControlId id, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(need(id)))
        setCheckedFromCode(*button, checked);
}

bool QtDialogView::isChecked(ControlId id) const {
    const auto* button = qobject_cast<const QAbstractButton*>(need(id));
    return button != nullptr && button->isChecked();
}

// ---------------------------------------------------------------- IPv4 address fields

void QtDialogView::setAddress(ControlId id, const ui::Ipv4& address) {
    if (auto* ip = qobject_cast<Ipv4Edit*>(need(id)))
        ip->setAddress(address);
}

void QtDialogView::clearAddress(ControlId id) {
    if (auto* ip = qobject_cast<Ipv4Edit*>(need(id)))
        ip->clear();
}

std::optional<ui::Ipv4> QtDialogView::address(ControlId id) const {
    const auto* ip = qobject_cast<const Ipv4Edit*>(need(id));
    return ip != nullptr ? ip->address() : std::nullopt;
}

// ---------------------------------------------------------------- progress bars

void QtDialogView::setProgressRange(ControlId id, int low, int high) {
    if (auto* bar = qobject_cast<QProgressBar*>(need(id)))
        bar->setRange(low, high);
}

void QtDialogView::setProgress(ControlId id, int position) {
    // A position outside the range is held at the nearer end, as a progress control does.
    if (auto* bar = qobject_cast<QProgressBar*>(need(id)))
        bar->setValue(std::clamp(position, bar->minimum(), std::max(bar->minimum(), bar->maximum())));
}

int QtDialogView::progress(ControlId id) const {
    const auto* bar = qobject_cast<const QProgressBar*>(need(id));
    return bar != nullptr ? std::max(bar->value(), bar->minimum()) : 0;
}

// ---------------------------------------------------------------- group boxes

void QtDialogView::setGroupCaptionStyle(ControlId id, std::uint32_t rgb, bool bold, bool centred) {
    auto* group = qobject_cast<CXPGroupBox*>(need(id));
    if (group == nullptr) {
        qWarning("hollin: dialog %d: control %d is not a CXPGroupBox", window_.dialogId(), id);
        return;
    }
    group->setCaptionTextColour(QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFFu)));
    group->setBold(bold);
    group->setCaptionAlignment(centred ? ui::CaptionAlignment::Centre : ui::CaptionAlignment::Left);
}

// ---------------------------------------------------------------- timers

void QtDialogView::startTimer(int timerId, int periodMs) {
    QTimer*& timer = timers_[timerId];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timerId] {
            if (window_.attached())
                window_.onTimer(timerId);
        });
    }
    timer->start(std::max(periodMs, 0));
}

void QtDialogView::stopTimer(int timerId) {
    if (auto it = timers_.find(timerId); it != timers_.end())
        it->second->stop();
}

int QtDialogView::messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                             ui::MessageIcon icon) {
    return runMessageBox(dialog_, text, caption, buttons, icon);
}

}  // namespace hollin::gui
