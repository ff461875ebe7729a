// The Qt host off-screen: forms, notifications, message boxes, modal children, the main window.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/hollin_app.h"
#include "gui/form_registry.h"
#include "gui/hover_button.h"
#include "gui/icons.h"
#include "gui/ipv4_edit.h"
#include "gui/qt_desktop.h"
#include "gui/qt_dialog_view.h"
#include "gui/startup_services_linux.h"
#include "gui/xp_group_box.h"
#include "main_window/about_box.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_look.h"
#include "support/main_window_fakes.h"
#include "ui/info_window.h"
#include "ui/status_window.h"
#include "ui_dialog_9001.h"
#include "ui_dialog_9002.h"

using namespace hollin;
using ui::ControlId;
using ui::Notification;

namespace {

constexpr int kTestDialog = 9001;
constexpr int kChildDialog = 9002;
enum : ControlId {
    kPush = 1001,
    kCheck = 1002,
    kRadioA = 1003,
    kRadioB = 1004,
    kCombo = 1005,
    kList = 1006,
    kEdit = 1007,
    kFiltered = 1008,
    kAddress = 1009,
    kBar = 1010,
    kGroup = 1011,
    kLabel = 1012,
    kAsk = 1013,
    kChild = 1014,
    kAddressLabel = 1015,
    kChildRetry = 1201,
};

struct Event {
    ControlId id;
    Notification n;
    bool operator==(const Event&) const = default;
};

class ChildWindow : public ui::Window {
  public:
    ChildWindow() : ui::Window(kChildDialog) {
        onClicked(kChildRetry, [this] { view().endDialog(ui::kResultRetry); });
    }
};

// Ends itself while it initialises: its dialog never shows.
class EndsAtOnce : public ui::Window {
  public:
    EndsAtOnce() : ui::Window(kChildDialog) {}
    void onInit() override { view().endDialog(ui::kResultAbort); }
};

// A presenter that records what reaches it. With canClose false, Esc and the close box hide the window
// instead of ending it, as the main window does while an automation client holds it.
class TestWindow : public ui::Window {
  public:
    TestWindow() : ui::Window(kTestDialog) {
        for (ControlId id : {kPush, kCheck, kRadioA, kRadioB, kCombo, kList, kEdit, kFiltered, kAddress})
            for (Notification n :
                 {Notification::Clicked, Notification::SelectionChanged, Notification::EditChanged,
                  Notification::DoubleClicked, Notification::FocusLost})
                on(id, n, [this, id, n] { events.push_back({id, n}); });
        onClicked(kAsk, [this] {
            answer = view().messageBox("Save the settings?", "Question", ui::MessageButtons::YesNo,
                                       ui::MessageIcon::Question);
        });
        onClicked(kChild, [this] {
            ChildWindow child;
            childResult = desktop().runModal(child, this);
            childAttachedAfter = child.attached();
        });
    }
    void onInit() override { ++inits; }
    void onCancel() override {
        ++cancels;
        closeOrHide();
    }
    void onCloseBox() override {
        ++closeBoxes;
        closeOrHide();
    }
    void onSysCommand(int commandId) override { sysCommands.push_back(commandId); }
    std::vector<SystemMenuEntry> systemMenuEntries() const override { return {{16, "&About Test..."}}; }
    void onTimer(int timerId) override { timers.push_back(timerId); }
    bool acceptChar(ControlId id, ControlId focused, char32_t ch) override {
        charCalls.push_back({id, focused});
        return ch != U'x';
    }
    int count(ControlId id, Notification n) const {
        return static_cast<int>(std::count(events.begin(), events.end(), Event{id, n}));
    }

    bool canClose = true;
    std::vector<Event> events;
    std::vector<int> sysCommands, timers;
    std::vector<std::pair<ControlId, ControlId>> charCalls;
    int inits = 0, cancels = 0, closeBoxes = 0;
    int answer = -1, childResult = -1;
    bool childAttachedAfter = true;

  private:
    void closeOrHide() {
        if (canClose)
            view().endDialog(ui::kResultCancel);
        else
            view().setWindowVisible(false);
    }
};

// Runs `act` on the next modal window that `match` accepts, once the event loop runs with it shown.
// Polls for at most about five seconds.
void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, tries, match = std::move(match), act = std::move(act)] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (modal == nullptr || !modal->isVisible() || !match(modal)) {
                             if (++*tries > 1000) {
                                 timer->stop();
                                 timer->deleteLater();
                             }
                             return;
                         }
                         timer->stop();
                         timer->deleteLater();
                         act(modal);
                     });
    timer->start(5);
}

void whenTitled(const QString& title, std::function<void(QWidget*)> act) {
    whenModal([title](QWidget* w) { return w->windowTitle() == title; }, std::move(act));
}

struct SeenBox {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool answered = false;
};

// Answers the next message box with `button`, recording what it showed.
void answerNextMessageBox(QMessageBox::StandardButton button, SeenBox& seen) {
    whenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
              [button, &seen](QWidget* w) {
                  auto* box = qobject_cast<QMessageBox*>(w);
                  seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons(), true};
                  if (QAbstractButton* b = box->button(button))
                      b->click();
              });
}

QWidget* controlIn(QWidget* dialog, ControlId id) {
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (w->property(gui::kControlIdProperty).toInt() == id)
            return w;
    return nullptr;
}

void click(QWidget* dialog, ControlId id) {
    auto* button = qobject_cast<QAbstractButton*>(controlIn(dialog, id));
    QVERIFY2(button != nullptr, "no such button");
    QTest::mouseClick(button, Qt::LeftButton);
}

template <typename Form>
void setUp(QDialog& dialog) {
    Form form;
    form.setupUi(&dialog);
}

// A window shown modeless on a view of its own, for tests that act on it directly.
struct Shown {
    TestWindow window;
    gui::QtDesktop desktop;
    std::unique_ptr<gui::QtDialogView> view;

    Shown() : view(std::make_unique<gui::QtDialogView>(window, nullptr)) {
        window.attach(view.get(), &desktop);
        window.onInit();
        view->showModeless();
    }
    ~Shown() { window.detach(); }
    template <typename T>
    T* ctl(ControlId id) {
        return qobject_cast<T*>(view->control(id));
    }
};

// Pixels of `image` inside `area` that have exactly `colour`.
int countColour(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.rect().contains(x, y) && image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
    return n;
}

QRect qRect(const ui::Rect& r) {
    return {r.left, r.top, r.width(), r.height()};
}

// The mnemonic letter of a caption ("E&xit" -> 'x'), or 0.
QChar mnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

// The name a screen reader announces. On Linux a combo box's accessible Name is its current item, and
// the name comes from the widget's accessible name and its labelled-by relation.
QString accessibleName(QWidget* w) {
    if (qobject_cast<QComboBox*>(w) != nullptr)
        return w->accessibleName();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a != nullptr ? a->text(QAccessible::Name) : QString();
}

// A window of any dialog resource that does nothing: the bare form.
class BareWindow : public ui::Window {
  public:
    explicit BareWindow(int dialogId) : ui::Window(dialogId) {}
};

}  // namespace

class GuiTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        gui::registerForm(kTestDialog, setUp<Ui::Dialog9001>);
        gui::registerForm(kChildDialog, setUp<Ui::Dialog9002>);
    }

    void clicksDispatchTheControlId() {
        Shown s;
        QTest::mouseClick(s.ctl<QPushButton>(kPush), Qt::LeftButton);
        QTest::mouseClick(s.ctl<QCheckBox>(kCheck), Qt::LeftButton);
        QTest::mouseClick(s.ctl<QRadioButton>(kRadioB), Qt::LeftButton);
        QCOMPARE(s.window.events, (std::vector<Event>{{kPush, Notification::Clicked},
                                                      {kCheck, Notification::Clicked},
                                                      {kRadioB, Notification::Clicked}}));
        QVERIFY(s.view->isChecked(kCheck));
        QVERIFY(s.view->isChecked(kRadioB));
        // A disabled button hears nothing.
        s.view->enable(kPush, false);
        QVERIFY(!s.view->isEnabled(kPush));
        QTest::mouseClick(s.ctl<QPushButton>(kPush), Qt::LeftButton);
        QCOMPARE(s.window.count(kPush, Notification::Clicked), 1);
    }

    void changesMadeByCodeStaySilent() {
        Shown s;
        s.view->setChecked(kCheck, true);
        s.view->setChecked(kRadioA, true);
        s.view->setSelection(kCombo, 2);
        s.view->setSelection(kList, 1);
        s.view->setAddress(kAddress, {10, 0, 0, 1});
        s.view->clearItems(kList);
        s.view->addItem(kList, "first");
        QVERIFY(s.window.events.empty());
        // Unchecking the checked radio of a group works from code too.
        s.view->setChecked(kRadioA, false);
        QVERIFY(!s.view->isChecked(kRadioA));
        QVERIFY(!s.view->isChecked(kRadioB));
        QVERIFY(s.window.events.empty());
    }

    void selectionsMadeByTheUserNotify() {
        Shown s;
        s.view->setSelection(kCombo, 0);
        QTest::keyClick(s.ctl<QComboBox>(kCombo), Qt::Key_Down);
        QCOMPARE(s.window.count(kCombo, Notification::SelectionChanged), 1);
        QCOMPARE(s.view->selection(kCombo), 1);

        auto* list = s.ctl<QListWidget>(kList);
        const QPoint second = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(s.window.count(kList, Notification::SelectionChanged), 1);
        QCOMPARE(s.view->selection(kList), 1);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(s.window.count(kList, Notification::DoubleClicked), 1);
    }

    void editTextNotifiesFromCodeAndTyping() {
        Shown s;
        s.view->setText(kEdit, "abc");
        QCOMPARE(s.window.count(kEdit, Notification::EditChanged), 1);
        QTest::keyClicks(s.ctl<QLineEdit>(kEdit), "de");
        QCOMPARE(s.window.count(kEdit, Notification::EditChanged), 3);
        QCOMPARE(s.view->text(kEdit), std::string("abcde"));
        s.view->setTextLimit(kEdit, 4);
        QCOMPARE(s.view->textLimit(kEdit), 4);
        s.view->setTextLimit(kEdit, 0);
        QCOMPARE(s.view->textLimit(kEdit), 0);
    }

    void characterFilterDropsRefusedCharacters() {
        Shown s;
        auto* edit = s.ctl<QLineEdit>(kFiltered);
        QTest::keyClicks(edit, "1x2");
        QCOMPARE(edit->text(), QStringLiteral("12"));
        QTest::keyClick(edit, Qt::Key_Backspace);  // backspace goes through the filter too, and passes
        QCOMPARE(edit->text(), QStringLiteral("1"));
        QCOMPARE(s.window.charCalls.size(), std::size_t{4});
        for (auto [id, focused] : s.window.charCalls) {
            QCOMPARE(id, kFiltered);
            QCOMPARE(focused, kFiltered);
        }
        QCOMPARE(s.window.count(kFiltered, Notification::EditChanged), 3);  // 1, 2, backspace
    }

    void scriptedMessageBoxAnswerReachesThePresenter() {
        Shown s;
        SeenBox seen;
        answerNextMessageBox(QMessageBox::No, seen);
        QTest::mouseClick(s.ctl<QPushButton>(kAsk), Qt::LeftButton);
        QVERIFY(seen.answered);
        QCOMPARE(s.window.answer, int(ui::kResultNo));
        QCOMPARE(seen.text, QStringLiteral("Save the settings?"));
        QCOMPARE(seen.title, QStringLiteral("Question"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);

        // The owner-less box of the desktop, answered with Retry.
        answerNextMessageBox(QMessageBox::Retry, seen);
        const int answer = s.desktop.messageBox("Port busy", "Error", ui::MessageButtons::RetryCancel,
                                                ui::MessageIcon::Error);
        QCOMPARE(answer, int(ui::kResultRetry));
        QCOMPARE(seen.icon, QMessageBox::Critical);
    }

    void modalChildReturnsItsResult() {
        Shown s;
        bool childInited = false;
        whenTitled(QStringLiteral("Child window"), [&](QWidget* child) {
            childInited = child->isVisible();
            click(child, kChildRetry);
        });
        QTest::mouseClick(s.ctl<QPushButton>(kChild), Qt::LeftButton);
        QVERIFY(childInited);
        QCOMPARE(s.window.childResult, int(ui::kResultRetry));
        QVERIFY(!s.window.childAttachedAfter);

        // The child's OK button ends it with IDOK through the default handler.
        whenTitled(QStringLiteral("Child window"), [](QWidget* child) { click(child, ui::IDOK); });
        QTest::mouseClick(s.ctl<QPushButton>(kChild), Qt::LeftButton);
        QCOMPARE(s.window.childResult, int(ui::kResultOk));
    }

    void childrenEndingAtOnceAndModelessChildren() {
        gui::QtDesktop desktop;
        EndsAtOnce quick;
        QCOMPARE(desktop.runModal(quick, nullptr), int(ui::kResultAbort));
        QVERIFY(!quick.attached());

        Shown s;
        ChildWindow child;
        s.desktop.openModeless(child, &s.window);
        QVERIFY(child.attached());
        QWidget* dialog = gui::QtDialogView::viewOf(&child)->dialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->parentWidget(), s.view->dialog());
        QPointer<QWidget> watch(dialog);
        click(dialog, kChildRetry);  // the child ends itself; its dialog goes once the loop runs
        QVERIFY(!child.attached());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(watch.isNull());

        // A modeless child whose owner window goes first goes with it; its presenter is let go and
        // using its view is harmless.
        ChildWindow orphan;
        gui::QtDesktop longLived;
        {
            Shown owner;
            longLived.openModeless(orphan, &owner.window);
            QVERIFY(orphan.attached());
        }
        QVERIFY(!orphan.attached());
    }

    void escAndCloseBoxGoThroughThePresenter() {
        // While the presenter refuses to close, Esc and the close box only hide the window, and the
        // modal run goes on until the presenter ends it.
        TestWindow window;
        window.canClose = false;
        gui::QtDesktop desktop;
        bool hiddenAfterEsc = false, hiddenAfterClose = false;
        whenTitled(QStringLiteral("Test window"), [&](QWidget* dialog) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            hiddenAfterEsc = !dialog->isVisible();
            dialog->show();
            dialog->close();
            hiddenAfterClose = !dialog->isVisible();
            QTimer::singleShot(0, [&window] { window.view().endDialog(42); });
        });
        const int result = desktop.runModal(window, nullptr);
        QCOMPARE(result, 42);
        QCOMPARE(window.inits, 1);
        QCOMPARE(window.cancels, 1);
        QCOMPARE(window.closeBoxes, 1);
        QVERIFY(hiddenAfterEsc);
        QVERIFY(hiddenAfterClose);
        QVERIFY(!window.attached());

        // When it may close, Esc ends the run with Cancel.
        TestWindow closing;
        whenTitled(QStringLiteral("Test window"),
                   [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(desktop.runModal(closing, nullptr), int(ui::kResultCancel));
    }

    void aboutEntryReachesSysCommand() {
        Shown s;
        QTest::keyClick(s.view->dialog(), Qt::Key_F1);
        QCOMPARE(s.window.sysCommands, std::vector<int>{16});

        QString entryText;
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, timer, [timer, &entryText] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            timer->stop();
            timer->deleteLater();
            entryText = menu->actions().value(0) ? menu->actions().value(0)->text() : QString();
            menu->setActiveAction(menu->actions().value(0));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        timer->start(5);
        QWidget* dialog = s.view->dialog();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dialog->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(dialog, &event);
        QCOMPARE(entryText, QStringLiteral("&About Test..."));
        QCOMPARE(s.window.sysCommands, (std::vector<int>{16, 16}));
    }

    void otherControlsKeepTheirState() {
        Shown s;
        // Items a form brings are a preview: the presenter's first item replaces them.
        QCOMPARE(s.view->itemCount(kCombo), 3);
        QCOMPARE(s.view->addItem(kCombo, "only"), 0);
        QCOMPARE(s.view->itemCount(kCombo), 1);
        QCOMPARE(s.view->selection(kCombo), -1);
        QCOMPARE(s.view->addItem(kCombo, "second"), 1);
        s.view->setItemToolTip(kCombo, 1, "tip");
        QCOMPARE(s.ctl<QComboBox>(kCombo)->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("tip"));
        s.view->setSelection(kCombo, 7);
        QCOMPARE(s.view->selection(kCombo), -1);

        // Addresses: blank is "none"; a typed field notifies.
        QVERIFY(!s.view->address(kAddress).has_value());
        s.view->setAddress(kAddress, {192, 168, 1, 20});
        QCOMPARE(*s.view->address(kAddress), (ui::Ipv4{192, 168, 1, 20}));
        s.view->clearAddress(kAddress);
        QVERIFY(!s.view->address(kAddress).has_value());
        QTest::keyClicks(s.ctl<gui::Ipv4Edit>(kAddress)->field(0), "10");
        QCOMPARE(*s.view->address(kAddress), (ui::Ipv4{10, 0, 0, 0}));
        QCOMPARE(s.window.count(kAddress, Notification::EditChanged), 2);

        // Progress holds at the ends of its range.
        s.view->setProgressRange(kBar, 0, 100);
        s.view->setProgress(kBar, 110);
        QCOMPARE(s.view->progress(kBar), 100);
        s.view->setProgress(kBar, -5);
        QCOMPARE(s.view->progress(kBar), 0);
        s.view->setProgress(kBar, 40);
        QCOMPARE(s.view->progress(kBar), 40);

        // Captions, visibility, icons, group caption style.
        s.view->setText(kGroup, "Group");
        s.view->setText(kLabel, "Label");
        s.view->setText(kPush, "Pressed");
        QCOMPARE(s.view->text(kGroup), std::string("Group"));
        QCOMPARE(s.view->text(kLabel), std::string("Label"));
        QCOMPARE(s.view->text(kPush), std::string("Pressed"));
        s.view->show(kLabel, false);
        QVERIFY(!s.view->isVisible(kLabel));
        QVERIFY(s.view->isVisible(kPush));
        s.view->setIcon(kPush, 130);
        QCOMPARE(s.view->icon(kPush), 130);
        QVERIFY(!s.ctl<QPushButton>(kPush)->icon().isNull());
        s.view->setIcon(kPush, 999);  // no such picture: harmless, the id is kept
        QCOMPARE(s.view->icon(kPush), 999);
        s.view->setGroupCaptionStyle(kGroup, 0x108CE7, true, true);
        auto* group = s.ctl<gui::CXPGroupBox>(kGroup);
        QCOMPARE(group->captionAlignment(), ui::CaptionAlignment::Centre);
        QCOMPARE(group->captionTextColour(), QColor(16, 140, 231));
        QCOMPARE(group->font().weight(), QFont::Bold);
        QVERIFY(group->styleSheet().isEmpty());
        s.view->setGroupCaptionStyle(kGroup, 0x000000, false, false);
        QCOMPARE(group->captionAlignment(), ui::CaptionAlignment::Left);
        QCOMPARE(group->font().weight(), QFont::Normal);

        // The wait cursor and an explicit repaint inside a handler.
        s.view->setWaitCursor(true);
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        s.view->setWaitCursor(false);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        s.view->repaint();

        // Unknown ids are harmless.
        s.view->enable(4242, false);
        QVERIFY(!s.view->isEnabled(4242));
        QCOMPARE(s.view->text(4242), std::string());
    }

    void timersReachOnTimerUntilStopped() {
        Shown s;
        s.view->startTimer(5, 0);
        for (int i = 0; i < 20 && s.window.timers.empty(); ++i)
            QCoreApplication::processEvents();
        QVERIFY(!s.window.timers.empty());
        QCOMPARE(s.window.timers.front(), 5);
        s.view->stopTimer(5);
        s.window.timers.clear();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QVERIFY(s.window.timers.empty());
    }

    void hoverButtonPaintsFrameIconAndPressedLook() {
        QWidget host;
        host.resize(300, 100);
        auto* button = new gui::HoverButton(QStringLiteral("OK"), &host);
        button->setGeometry(10, 10, 120, 40);
        button->setIcons(gui::iconForId(145));
        button->setDefault(true);
        host.show();
        const ui::HoverButtonLayout layout = button->paintLayout();
        QVERIFY(layout.blackFrame);
        QCOMPARE(layout.icon, (ui::Point{3, 4}));
        QImage up = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The default button's black frame on all four sides.
        for (QPoint p : {QPoint(0, 0), QPoint(60, 0), QPoint(0, 20), QPoint(119, 20), QPoint(60, 39)})
            QCOMPARE(up.pixelColor(p).rgb(), QColor(Qt::black).rgb());
        // The icon's opaque middle where the layout puts it.
        const QImage icon =
            gui::iconForId(145).pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
        const QRect middle(4, 4, 24, 24);
        QCOMPARE(up.copy(middle.translated(layout.icon.x, layout.icon.y)), icon.copy(middle));
        // Pressed: the icon one pixel right and down, and a sunken border (shadow at the top left).
        button->setDown(true);
        const ui::HoverButtonLayout pressed = button->paintLayout();
        QCOMPARE(pressed.icon, (ui::Point{4, 5}));
        QImage down = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(down.copy(middle.translated(4, 5)), icon.copy(middle));
        QCOMPARE(down.pixelColor(1, 10).rgb(), button->palette().color(QPalette::Dark).rgb());
        QCOMPARE(up.pixelColor(1, 10).rgb(), button->palette().color(QPalette::Light).rgb());
        button->setDown(false);

        // Hover comes from enter and leave events and changes the background.
        const QColor out = up.pixelColor(100, 30);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
        QCoreApplication::sendEvent(button, &enter);
        QVERIFY(button->isHovered());
        QVERIFY(button->grab().toImage().pixelColor(100, 30) != out);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
        QVERIFY(!button->isHovered());

        // Disabled: the caption embossed, highlight one pixel right and down, then shadow in place.
        button->setEnabled(false);
        button->setText(QStringLiteral("Disabled HHH"));
        const QImage off = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect caption = qRect(button->paintLayout().caption);
        QVERIFY(countColour(off, caption, button->palette().color(QPalette::Light)) > 0);
        QVERIFY(countColour(off, caption, button->palette().color(QPalette::Dark)) > 0);
        // ... and its icon greyed: no pixel of the tick's green remains.
        QCOMPARE(countColour(off, middle.translated(layout.icon.x, layout.icon.y), QColor(0x2e, 0x9e, 0x44)),
                 0);

        // Under an application style sheet the button still paints itself.
        button->setEnabled(true);
        qApp->setStyleSheet(QStringLiteral("QPushButton { background: red; border: 4px solid green; }"));
        const QImage styled = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        qApp->setStyleSheet(QString());
        QCOMPARE(styled.pixelColor(0, 0).rgb(), QColor(Qt::black).rgb());
        QCOMPARE(styled.copy(middle.translated(layout.icon.x, layout.icon.y)), icon.copy(middle));
    }

    // One group look in every window: whatever form a window loads, its group boxes are drawn with
    // the caption in the group colour, bold.
    void everyWindowsGroupBoxesHaveTheGroupLook_data() {
        QTest::addColumn<int>("dialogId");
        gui::addBuiltinForms([](int dialogId, const gui::FormSetup&) {
            QTest::newRow(qPrintable(QStringLiteral("dialog %1").arg(dialogId))) << dialogId;
        });
    }
    void everyWindowsGroupBoxesHaveTheGroupLook() {
        QFETCH(int, dialogId);
        BareWindow window(dialogId);
        gui::QtDesktop desktop;
        gui::QtDialogView view(window, nullptr);
        window.attach(&view, &desktop);
        view.showModeless();
        const auto groups = view.dialog()->findChildren<gui::CXPGroupBox*>();
        if (groups.isEmpty())
            QSKIP("this window has no group box");
        const QColor blue(16, 140, 231);
        for (gui::CXPGroupBox* group : groups) {
            const QString what = group->objectName();
            QCOMPARE(group->captionTextColour(), blue);
            QVERIFY2(group->font().bold(), qPrintable(what));
            if (group->title().isEmpty())
                continue;
            // Drawn as it would appear: blue caption pixels in the caption band, none in the window
            // text colour.
            const QImage image = group->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QRect band = qRect(group->paintLayout().caption);
            QVERIFY2(countColour(image, band, blue) > 0, qPrintable(what));
            QCOMPARE(countColour(image, band, group->palette().color(QPalette::WindowText)), 0);
        }
        window.detach();
    }

    void groupBoxPaintsItsCurrentCaption() {
        QWidget host;
        host.resize(300, 200);
        auto* group = new gui::CXPGroupBox(QStringLiteral("Port"), &host);
        group->setGeometry(10, 10, 200, 100);
        group->setCaptionTextColour(QColor(16, 140, 231));
        group->setBold(true);
        group->setCaptionAlignment(ui::CaptionAlignment::Centre);
        host.show();
        const QColor blue(0x10, 0x8C, 0xE7);
        const auto check = [&](const QString& title, QRect& caption) {
            const ui::GroupBoxLayout layout = group->paintLayout();
            const QImage image = group->grab().toImage().convertToFormat(QImage::Format_RGB32);
            caption = qRect(layout.caption);
            QCOMPARE(group->caption(), QLatin1Char(' ') + title + QLatin1Char(' '));
            QVERIFY2(countColour(image, caption, blue) > 0, qPrintable(title));
            // The frame line runs beside the caption but not beneath it (its leading blank).
            QCOMPARE(image.pixelColor(layout.inner.left + 8, layout.frame.top).rgb(),
                     group->frameColour().rgb());
            QCOMPARE(image.pixelColor(caption.left() + 1, layout.frame.top).rgb(),
                     group->captionBackground().rgb());
        };
        QRect before, after, styled;
        check(QStringLiteral("Port"), before);
        // An application style sheet changes nothing of the box's own painting.
        qApp->setStyleSheet(QStringLiteral("QGroupBox { border: 3px solid red; color: green; }"));
        check(QStringLiteral("Port"), styled);
        qApp->setStyleSheet(QString());
        QCOMPARE(styled, before);
        // A title set after the first paint shows: the box always draws its current title.
        group->setTitle(QStringLiteral("Serial Port Settings"));
        check(QStringLiteral("Serial Port Settings"), after);
        QVERIFY(after.width() > before.width());
        // Right alignment ends the caption 10 pixels before the inner right edge.
        group->setCaptionAlignment(ui::CaptionAlignment::Right);
        QCOMPARE(group->paintLayout().caption.right, 199 - 10);
        QCOMPARE(group->alignment(), int(Qt::AlignRight));
    }

    void everyFormIsOwnerDrawnNamedAndReachable() {
        std::vector<int> forms;
        gui::addBuiltinForms([&forms](int dialogId, const gui::FormSetup&) { forms.push_back(dialogId); });
        QVERIFY(forms.size() >= 5);
        for (int dialogId : forms) {
            const QString where = QStringLiteral("dialog %1").arg(dialogId);
            BareWindow window(dialogId);
            gui::QtDesktop desktop;
            gui::QtDialogView view(window, nullptr);
            window.attach(&view, &desktop);
            view.showModeless();
            QDialog* dialog = view.dialog();
            QApplication::setActiveWindow(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));

            std::map<QChar, QString> mnemonics;
            std::vector<QWidget*> tabStops;
            for (QWidget* w : dialog->findChildren<QWidget*>()) {
                const QString what = where + QLatin1Char(' ') + w->objectName();
                const QByteArray cls = w->metaObject()->className();
                QVERIFY2(cls != "QPushButton" && cls != "QGroupBox",
                         qPrintable(what + QStringLiteral(" is plain")));
                const bool inComposite = qobject_cast<QComboBox*>(w->parentWidget()) != nullptr;
                // A table's corner button is a part of the table, named by it.
                const bool tablePart = qobject_cast<QTableWidget*>(w->parentWidget()) != nullptr;
                const bool isControl =
                    (qobject_cast<QAbstractButton*>(w) && !tablePart) || qobject_cast<QComboBox*>(w) ||
                    (qobject_cast<QLineEdit*>(w) && !inComposite) || qobject_cast<QListWidget*>(w) ||
                    qobject_cast<QTableWidget*>(w) || qobject_cast<QProgressBar*>(w) ||
                    qobject_cast<QGroupBox*>(w) || qobject_cast<gui::Ipv4Edit*>(w);
                if (isControl)
                    QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(what + QStringLiteral(" has no name")));
                if (auto* group = qobject_cast<QGroupBox*>(w))
                    QCOMPARE(accessibleName(w), group->title().remove(QLatin1Char('&')));
                if (auto* button = qobject_cast<QAbstractButton*>(w))
                    QVERIFY(!accessibleName(w).contains(QLatin1Char('&')) || button->text().contains("&&"));
                QString caption;
                if (auto* b = qobject_cast<QAbstractButton*>(w))
                    caption = b->text();
                else if (auto* l = qobject_cast<QLabel*>(w))
                    caption = l->text();
                else if (auto* g = qobject_cast<QGroupBox*>(w))
                    caption = g->title();
                if (const QChar m = mnemonicOf(caption); !m.isNull()) {
                    QVERIFY2(mnemonics.emplace(m, caption).second,
                             qPrintable(where + QStringLiteral(": mnemonic of ") + caption + " taken by " +
                                        mnemonics[m]));
                }
                if (isControl && w->isEnabled() && w->isVisibleTo(dialog) &&
                    (w->focusPolicy() & Qt::TabFocus))
                    tabStops.push_back(w);
            }
            // Tab from the first stop visits every enabled control that takes the focus.
            std::set<QWidget*> reached;
            if (!tabStops.empty()) {
                QWidget* first = dialog->nextInFocusChain();
                while (!(first->focusPolicy() & Qt::TabFocus) || !first->isEnabled())
                    first = first->nextInFocusChain();
                first->setFocus(Qt::TabFocusReason);
                for (std::size_t i = 0; i < 2 * tabStops.size() + 8; ++i) {
                    reached.insert(QApplication::focusWidget());
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                }
            }
            // Radio buttons of one group are one stop: the arrow keys move between them.
            const auto reachedOrSibling = [&reached](QWidget* w) {
                auto* radio = qobject_cast<QRadioButton*>(w);
                if (reached.count(w) == 1 || radio == nullptr || !radio->autoExclusive())
                    return reached.count(w) == 1;
                for (auto* sibling :
                     w->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
                    if (sibling->autoExclusive() && reached.count(sibling) == 1)
                        return true;
                return false;
            };
            for (QWidget* w : tabStops)
                QVERIFY2(reachedOrSibling(w), qPrintable(where + QLatin1Char(' ') + w->objectName() +
                                                         QStringLiteral(" is not reached by Tab")));
            window.detach();
        }
    }

    void mainWindowTabOrderFollowsReadingOrder() {
        test::MainWindowFakes fakes;
        printer::CHollinDlg main(fakes.deps());
        gui::QtDesktop desktop;
        gui::QtDialogView view(main, nullptr);
        // The first column top to bottom, the Serial Port group row by row, then the next group.
        std::vector<ControlId> expected = {1000, 1001, 1002, 1003, 1004, 1137, 1005, 1011, 1006,
                                           1008, 1007, 1009, 1010, 1,    1134, 1141, 1140};
        QWidget* w = view.control(expected.front());
        for (std::size_t i = 1; i < expected.size(); ++i) {
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus));
            QCOMPARE(w->property(gui::kControlIdProperty).toInt(), expected[i]);
        }
        // A label names its control and is its labelled-by relation.
        QCOMPARE(accessibleName(view.control(1001)), QStringLiteral("Baud Rate"));
        QAccessibleInterface* baud = QAccessible::queryAccessibleInterface(view.control(1001));
        bool labelled = false;
        for (const auto& [other, relation] : baud->relations(QAccessible::Label))
            labelled = labelled || other->text(QAccessible::Name) == QStringLiteral("Baud Rate");
        QVERIFY(labelled);
    }

    void addressFieldsAreNamedAfterTheirLabel() {
        Shown s;
        auto* ip = s.ctl<gui::Ipv4Edit>(kAddress);
        QCOMPARE(accessibleName(ip), QStringLiteral("Gateway"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ip->field(i)->accessibleName(), QStringLiteral("Gateway %1").arg(i + 1));
    }

    void enterAndSpacePressOnce() {
        Shown s;
        QDialog* dialog = s.view->dialog();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        s.ctl<QPushButton>(kPush)->setDefault(true);
        s.ctl<QLineEdit>(kEdit)->setFocus();
        QTest::keyClick(s.ctl<QLineEdit>(kEdit), Qt::Key_Return);
        QCOMPARE(s.window.count(kPush, Notification::Clicked), 1);
        s.ctl<QPushButton>(kPush)->setFocus();
        QTest::keyClick(s.ctl<QPushButton>(kPush), Qt::Key_Space);
        QCOMPARE(s.window.count(kPush, Notification::Clicked), 2);
        QCOMPARE(s.window.cancels, 0);
    }

    void everyIconLoadsAndEveryWindowsButtonsHaveOne() {
        // Every picture at 1x and 2x, side by side in one sheet (screenshots/icons.png) to look at.
        QImage sheet(10 * 100, 6 * 70, QImage::Format_RGB32);
        sheet.fill(QColor(0xef, 0xef, 0xef));
        QPainter painter(&sheet);
        int cell = 0;
        for (int id = 128; id <= 185; ++id, ++cell) {
            if (id == 129)
                continue;
            const QIcon icon = gui::iconForId(id);
            QVERIFY2(!icon.isNull(), qPrintable(QString::number(id)));
            const QPixmap one = icon.pixmap(QSize(32, 32), 1.0), two = icon.pixmap(QSize(32, 32), 2.0);
            QCOMPARE(one.size(), QSize(32, 32));
            QCOMPARE(two.size(), QSize(64, 64));
            const QPoint at((cell % 10) * 100, (cell / 10) * 70);
            painter.drawText(at + QPoint(2, 12), QString::number(id));
            painter.drawImage(at + QPoint(0, 20), one.toImage());
            painter.drawImage(at + QPoint(34, 2), two.toImage());
        }
        painter.end();
        QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
        QVERIFY(sheet.save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/icons.png")));
        test::MainWindowFakes fakes;
        printer::CHollinDlg main(fakes.deps());
        printer::AboutBox about;
        ui::InfoWindow info;
        VirtualClock clock;
        ui::SearchSaveProgress::Block block{};
        ui::SearchSaveProgress progress(block);
        ui::StatusWindow status(ui::StatusWindow::kPrinterSaved, clock, progress, nullptr);
        for (ui::Window* window : std::initializer_list<ui::Window*>{&main, &about, &info, &status}) {
            gui::QtDesktop desktop;
            gui::QtDialogView view(*window, nullptr);
            window->attach(&view, &desktop);
            window->onInit();
            for (auto* button : view.dialog()->findChildren<gui::HoverButton*>())
                QVERIFY2(
                    !button->icon().isNull(),
                    qPrintable(
                        QStringLiteral("dialog %1 %2").arg(window->dialogId()).arg(button->objectName())));
            if (window == &status) {
                QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
                view.showModeless();
                QVERIFY(view.dialog()->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_106.png")));
            }
            window->detach();
        }
    }

    void mainWindowFormHasEveryControl() {
        test::MainWindowFakes fakes;
        printer::CHollinDlg main(fakes.deps());
        gui::QtDesktop desktop;
        gui::QtDialogView view(main, nullptr);
        main.attach(&view, &desktop);
        main.onInit();
        QCOMPARE(view.title(), std::string("Hollin Printer Utility 2.69"));
        QCOMPARE(view.windowIcon(), 128);

        const std::vector<std::pair<ControlId, const char*>> buttons = {
            {1005, "Open Port"},
            {1011, "Close Port"},
            {1006, "Save Serial Port Configuration"},
            {1007, "Get Emulation"},
            {1009, "Set CPCL"},
            {1010, "Set ESC/POS"},
            {1019, "Start Wi-Fi Settings"},
            {1036, "Start Bluetooth Settings"},
            {1151, "Advanced\nOptions"},
            {1, "E&xit"},
            {1162, "Save Density"},
            {1143, "Save Code Page"},
            {1146, "Print Code Page"},
            {1159, "Set Gap"},
            {1160, "Set Black mark"},
            {1163, "Set Continuous"},
            {1037, "Gap Calibration"},
            {1038, "Black Mark Calibration"},
            {1140, "Save Power Save Mode"},
            {1027, "Open File"},
            {1028, "Download"},
            {1012, "Get Bluetooth Information"},
            {1015, "ON"},
            {1016, "OFF"},
            {1017, "Save Bluetooth PIN Code"},
            {1018, "Save Discoverable Mode"},
            {1031, "Set Bluetooth Information"},
            {1033, "Enable auto connection"},
            {1034, "Disable auto connection"},
            {1217, "ON"},
            {1218, "OFF"},
            {1035, "Save compatible mode"}};
        for (auto [id, caption] : buttons) {
            QVERIFY2(qobject_cast<QAbstractButton*>(view.control(id)) != nullptr,
                     qPrintable(QString::number(id)));
            QCOMPARE(view.text(id), std::string(caption));
        }
        for (ControlId id :
             {1020, 1021, 1022, 1023, 1024, 1025, 1158, 1139, 1142, 1161, 1026, 1029, 1032, 1216, 1219})
            QVERIFY2(qobject_cast<QGroupBox*>(view.control(id)) != nullptr, qPrintable(QString::number(id)));
        QCOMPARE(view.text(1026), std::string("True-Type Font Download"));
        QCOMPARE(view.text(1216), std::string("KX-40/50 compatible mode setting"));
        for (ControlId id : {1000, 1001, 1002, 1003, 1004, 1137, 1134, 1144, 1145, 1149})
            QVERIFY2(qobject_cast<QComboBox*>(view.control(id)) != nullptr, qPrintable(QString::number(id)));
        for (ControlId id : {1008, 1013, 1014, 1141, 1030})
            QVERIFY2(qobject_cast<QLineEdit*>(view.control(id)) != nullptr, qPrintable(QString::number(id)));
        QVERIFY(qobject_cast<QLineEdit*>(view.control(1008))->isReadOnly());
        QVERIFY(qobject_cast<QProgressBar*>(view.control(1174)) != nullptr);

        // The connection lists with their defaults.
        const auto items = [&view](ControlId id) {
            std::vector<std::string> out;
            for (int i = 0; i < view.itemCount(id); ++i)
                out.push_back(view.itemText(id, i));
            return out;
        };
        QCOMPARE(items(1000), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
                                                        "COM7", "COM8", "COM9", "USB"}));
        QCOMPARE(items(1001), (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600", "4800",
                                                        "2400", "1200"}));
        QCOMPARE(items(1002), (std::vector<std::string>{"NONE", "ODD", "EVEN"}));
        QCOMPARE(items(1003), (std::vector<std::string>{"7", "8"}));
        QCOMPARE(items(1004), (std::vector<std::string>{"1", "2"}));
        QCOMPARE(items(1137), (std::vector<std::string>{"DTR/DSR", "Xon/Xoff"}));
        QCOMPARE(view.text(1000), std::string("COM1"));
        QCOMPARE(view.text(1001), std::string("19200"));
        QCOMPARE(view.text(1003), std::string("8"));

        // The Bluetooth and compatible-mode groups and all their controls lie below the client area.
        const int height = view.dialog()->height();
        for (ControlId id :
             {1022, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1030, 1031, 1033, 1034, 1216, 1217, 1218, 1035})
            QVERIFY2(view.control(id)->geometry().top() >= height, qPrintable(QString::number(id)));
        // Everything else lies inside it.
        for (ControlId id : {1020, 1021, 1023, 1024, 1025, 1158, 1139, 1142, 1161, 1026, 1029, 1032, 1219})
            QVERIFY2(view.dialog()->rect().contains(view.control(id)->geometry()),
                     qPrintable(QString::number(id)));
        main.detach();
    }

    void mainWindowPicture() {
        // The main window as its presenter shows it, with the button icons and group caption styles.
        test::MainWindowFakes fakes;
        printer::CHollinDlg main(fakes.deps());
        gui::QtDesktop desktop;
        gui::QtDialogView view(main, nullptr);
        main.attach(&view, &desktop);
        main.onInit();
        view.showModeless();
        QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
        QVERIFY(view.dialog()->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_102.png")));
        // The same with Open Port hovered, Close Port pressed, Set CPCL disabled and Exit focused.
        auto* hovered = qobject_cast<gui::HoverButton*>(view.control(1005));
        QVERIFY(hovered != nullptr);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(hovered, &enter);
        view.enable(1011, true);
        qobject_cast<QAbstractButton*>(view.control(1011))->setDown(true);
        QApplication::setActiveWindow(view.dialog());
        view.setFocus(ui::IDOK);
        QVERIFY(view.dialog()->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_102_states.png")));
        qobject_cast<QAbstractButton*>(view.control(1011))->setDown(false);

        // Every button shows the icon the presenter chose, and every group box its caption style.
        QCOMPARE(std::size(printer::kMainButtonIcons), std::size_t(28));
        for (const printer::ButtonIcon& b : printer::kMainButtonIcons) {
            QCOMPARE(view.icon(b.button), b.icon);
            auto* button = qobject_cast<QAbstractButton*>(view.control(b.button));
            QVERIFY2(button != nullptr && !button->icon().isNull(), qPrintable(QString::number(b.button)));
        }
        QCOMPARE(std::size(printer::kMainGroups), std::size_t(15));
        for (ControlId id : printer::kMainGroups) {
            auto* group = qobject_cast<gui::CXPGroupBox*>(view.control(id));
            QVERIFY2(group != nullptr, qPrintable(QString::number(id)));
            QCOMPARE(group->captionAlignment(),
                     printer::isCentredGroup(id) ? ui::CaptionAlignment::Centre : ui::CaptionAlignment::Left);
            QCOMPARE(group->captionTextColour(), QColor(16, 140, 231));
            QCOMPARE(group->font().weight(), QFont::Bold);
        }
        main.detach();

        printer::AboutBox about;
        gui::QtDialogView aboutView(about, nullptr);
        about.attach(&aboutView, &desktop);
        about.onInit();
        aboutView.showModeless();
        QVERIFY(aboutView.dialog()->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_100.png")));
        about.detach();
    }

    void mainWindowOpensAboutOnF1AndExits() {
        test::MainWindowFakes fakes;
        printer::CHollinDlg main(fakes.deps());
        gui::QtDesktop desktop;
        QString product, rights;
        int aboutIcon = 0;
        whenTitled(QStringLiteral("Hollin Printer Utility 2.69"), [&](QWidget* dialog) {
            whenTitled(QStringLiteral("About Hollin Printer Utility"), [&](QWidget* about) {
                product = qobject_cast<QLabel*>(controlIn(about, printer::kAboutProductControl))->text();
                rights = qobject_cast<QLabel*>(controlIn(about, printer::kAboutRightsControl))->text();
                aboutIcon = controlIn(about, printer::kAboutIconControl)->property("iconId").toInt();
                click(about, ui::IDOK);
            });
            QTest::keyClick(dialog, Qt::Key_F1);
            click(dialog, ui::IDOK);  // "E&xit"
        });
        QCOMPARE(desktop.runModal(main, nullptr), int(ui::kResultOk));
        QCOMPARE(product, QStringLiteral("Hollin Printer Utility, Version 2.69"));
        QVERIFY(!rights.isEmpty());
        QCOMPARE(aboutIcon, 128);
    }

    void activationFileIsWrittenAndRefreshed() {
        QTemporaryDir home;
        gui::LinuxStartupServices::Options options;
        options.programPath = QStringLiteral("/opt/hollin/bin/hollin");
        options.dbusServicesDir = home.path() + QStringLiteral("/dbus-1/services");
        options.systemServicesDirs = {home.path() + QStringLiteral("/system")};
        options.failStep = QStringLiteral("none");
        gui::LinuxStartupServices services(options);
        QVERIFY(services.initComponentLayer());
        QVERIFY(services.initSockets());
        services.refreshAutomationRegistration();
        QFile file(services.activationFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral(
                     "[D-BUS Service]\nName=Hollin.Application\nExec=/opt/hollin/bin/hollin -Automation\n"));
        file.close();
        // A stale file is brought up to date.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[D-BUS Service]\nName=Hollin.Application\nExec=/old/hollin -Automation\n");
        file.close();
        services.refreshAutomationRegistration();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Exec=/opt/hollin/bin/hollin -Automation"));
        // Paths with blanks are quoted for the bus daemon.
        QCOMPARE(gui::LinuxStartupServices::activationFileText(QStringLiteral("/my apps/hollin")),
                 QStringLiteral(
                     "[D-BUS Service]\nName=Hollin.Application\nExec=\"/my apps/hollin\" -Automation\n"));

        // The installed program: the package's file in a system folder already names it, so the
        // user's folder gets none; another program's file there does not count.
        QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/system")));
        QFile packaged(home.path() + QStringLiteral("/system/Hollin.Application.service"));
        QVERIFY(packaged.open(QIODevice::WriteOnly));
        packaged.write(
            gui::LinuxStartupServices::activationFileText(QStringLiteral("/usr/bin/hollin")).toUtf8());
        packaged.close();
        options.dbusServicesDir = home.path() + QStringLiteral("/user");
        for (const QString& program :
             {QStringLiteral("/usr/bin/hollin"), QStringLiteral("/opt/hollin/bin/hollin")}) {
            options.programPath = program;
            gui::LinuxStartupServices installed(options);
            installed.refreshAutomationRegistration();
            QCOMPARE(QFile::exists(installed.activationFilePath()),
                     program.startsWith(QStringLiteral("/opt")));
        }
        // The user's file left by that other program would win over the package's: it is brought up
        // to date.
        options.programPath = QStringLiteral("/usr/bin/hollin");
        gui::LinuxStartupServices installed(options);
        installed.refreshAutomationRegistration();
        QFile user(installed.activationFilePath());
        QVERIFY(user.open(QIODevice::ReadOnly));
        QVERIFY(user.readAll().contains("Exec=/usr/bin/hollin -Automation"));
    }

    void startupFailureShowsItsMessageAndNoWindow() {
        QTemporaryDir home;
        for (const auto& [step, message] : {std::pair{QStringLiteral("ole"), app::kOleInitFailed},
                                            std::pair{QStringLiteral("sockets"), app::kSocketsInitFailed}}) {
            gui::LinuxStartupServices::Options options;
            options.dbusServicesDir = home.path();
            options.failStep = step;
            gui::LinuxStartupServices services(options);
            gui::QtDesktop desktop;
            test::MainWindowFakes fakes;
            app::HollinApp application(fakes.deps());
            SeenBox seen;
            bool mainShown = false;
            answerNextMessageBox(QMessageBox::Ok, seen);
            whenTitled(QStringLiteral("Hollin Printer Utility 2.69"), [&mainShown](QWidget* dialog) {
                mainShown = true;
                click(dialog, ui::IDOK);
            });
            QVERIFY(!application.initInstance({}, services, desktop));
            QVERIFY(seen.answered);
            QCOMPARE(seen.text, QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
            QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QVERIFY(!mainShown);
            QVERIFY(QDir(home.path()).isEmpty());  // start-up stopped before the automation step
        }
    }

    void automationRegistrationIsSilentWithoutABus() {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QTemporaryDir home;
        gui::LinuxStartupServices::Options options;
        options.dbusServicesDir = home.path();
        gui::LinuxStartupServices services(options);
        services.registerAutomationClassObjects();
        QVERIFY(!services.automationRegistered());
        gui::AutomationRegistration registration;
        QCOMPARE(registration.classId(), QStringLiteral("{45CB1BFF-78CE-4B47-89CD-E0CD7B68C5E9}"));
        QCOMPARE(registration.programId(), QStringLiteral("Hollin.Application"));
        QCOMPARE(registration.interfaceId(), QStringLiteral("{FC3ED639-A85E-4166-B745-B233F48D8610}"));
    }
};

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
