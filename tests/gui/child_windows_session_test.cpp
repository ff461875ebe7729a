// The advanced options and Bluetooth windows on their real forms, opened from the main window against
// the embedded virtual printers of "hollin --simulate" on pseudo-terminals.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/simulation.h"
#include "fonts/font_windows.h"
#include "gui/qt_desktop.h"
#include "gui/qt_dialog_view.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/serial_port.h"
#include "link/usb_device.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/advanced_options_window.h"
#include "printer/bluetooth_settings_window.h"
#include "sim/bluetooth.h"
#include "sim/fonts.h"
#include "sim/virtual_printer.h"
#include "support/no_spooler.h"

using namespace hollin;
using namespace hollin::printer;

namespace {

using hollin::test::NoSpooler;

QWidget* control(QWidget* dialog, ui::ControlId id) {
    for (auto* w : dialog->findChildren<QWidget*>())
        if (w->property(gui::kControlIdProperty).isValid() &&
            w->property(gui::kControlIdProperty).toInt() == id)
            return w;
    return nullptr;
}

void click(QWidget* dialog, ui::ControlId id) {
    auto* b = qobject_cast<QPushButton*>(control(dialog, id));
    QVERIFY2(b != nullptr && b->isEnabled(), qPrintable(QString::number(id)));
    QTest::mouseClick(b, Qt::LeftButton);
}

QLineEdit* edit(QWidget* dialog, ui::ControlId id) {
    return qobject_cast<QLineEdit*>(control(dialog, id));
}

// Runs a script once on the first modal dialog with a given title, from its own timer, so that a
// script may open a further modal window that another driver answers. Message boxes are closed and
// their texts kept.
class ModalDriver : public QObject {
  public:
    ModalDriver(QString title, std::function<void(QDialog*)> script)
        : title_(std::move(title)), script_(std::move(script)) {
        timer_.setInterval(30);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (auto* box = qobject_cast<QMessageBox*>(d)) {
                if (title_.isEmpty()) {
                    messages += box->text();
                    box->done(QMessageBox::Ok);
                }
                return;
            }
            if (d == nullptr || ran || d->windowTitle() != title_)
                return;
            ran = true;
            script_(d);
            // A script that failed half-way leaves its window open: end it, so the test ends too.
            if (d->isVisible())
                d->reject();
        });
        timer_.start();
    }
    bool ran = false;
    QStringList messages;  // only a driver without a title closes message boxes

  private:
    QString title_;
    std::function<void(QDialog*)> script_;
    QTimer timer_;
};

// Answers every message box with Yes (or OK) and cancels every file dialog, keeping the boxes' texts.
class BoxAnswerer : public QObject {
  public:
    BoxAnswerer() {
        timer_.setInterval(30);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* d = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(d)) {
                files->reject();
            } else if (auto* box = qobject_cast<QMessageBox*>(d)) {
                messages += box->text();
                QAbstractButton* yes = box->button(QMessageBox::Yes);
                (yes != nullptr ? yes : box->button(QMessageBox::Ok))->click();
            }
        });
        timer_.start();
    }
    QStringList messages;

  private:
    QTimer timer_;
};

struct ShownMainWindow {
    explicit ShownMainWindow(std::unique_ptr<CHollinDlg> window)
        : main(std::move(window)), view(*main, nullptr) {
        main->attach(&view, &desktop);
        main->onInit();
        view.showModeless();
    }
    ~ShownMainWindow() { main->detach(); }
    ShownMainWindow(const ShownMainWindow&) = delete;
    ShownMainWindow& operator=(const ShownMainWindow&) = delete;

    std::unique_ptr<CHollinDlg> main;
    gui::QtDesktop desktop;
    gui::QtDialogView view;
};

void savePicture(QDialog* d, const char* name) {
    QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
    QVERIFY(d->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/") + QString::fromLatin1(name)));
}

}  // namespace

class ChildWindowsSessionTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<app::EmbeddedPrinters> printers_;
    std::optional<PortMap> ports_;
    std::unique_ptr<UsbPrinterFinder> usb_;
    NoSpooler spooler_;

    std::unique_ptr<CHollinDlg> makeWindow() {
        MainWindowDeps deps{.clock = systemClock(),
                            .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
                            .ports = *ports_,
                            .usbFinder = *usb_,
                            .spooler = spooler_};
        return std::make_unique<CHollinDlg>(deps);
    }

    // Opens COM1 on a printer of `emulation` and runs the child window behind `button` with `script`.
    void runChild(int emulation, ui::ControlId button, const QString& title,
                  std::function<void(QDialog*)> script) {
        printers_->serialPrinter().setEmulation(emulation);
        ShownMainWindow shown(makeWindow());
        ModalDriver boxes({}, {});
        click(shown.view.dialog(), ids::kOpenPort);
        QCOMPARE(boxes.messages, QStringList());
        ModalDriver child(title, std::move(script));
        ModalDriver status(QStringLiteral("Save Advanced options settings"),
                           [](QDialog* d) { click(d, ui::IDOK); });
        click(shown.view.dialog(), button);
        QVERIFY(child.ran);
        QCOMPARE(boxes.messages, QStringList());
        QVERIFY(shown.main->session().isOpen());
        click(shown.view.dialog(), ids::kClosePort);
    }

  private slots:
    void initTestCase() {
        app::SimulationOptions options;
        options.simulate = true;
        options.emulation = 1;
        // The lent port purges its input once a write ends, as the printer link does: on a busy machine
        // a printer answering within a few milliseconds could lose its answer to that purge.
        printers_ = std::make_unique<app::EmbeddedPrinters>(options, 50);
        QVERIFY2(printers_->start(), printers_->error().c_str());
        const std::string com1 = printers_->serialPath();
        ports_.emplace(std::vector<std::string>{},
                       [com1](const std::string& name) -> std::optional<std::string> {
                           if (name == "HOLLIN_COM1")
                               return com1;
                           return std::nullopt;
                       });
        usb_ = makeLinuxUsbPrinterFinder("/nonexistent", "/nonexistent", printers_->usbPath());
    }

    void advancedOptionsOnCpclGetChangeSave() {
        bool saved = false;
        runChild(kCpcl, ids::kAdvancedOptions, QStringLiteral("Advanced Options"), [&](QDialog* d) {
            QVERIFY(!control(d, adv::kDirection)->isVisible());
            click(d, adv::kGetInfo);
            QCOMPARE(edit(d, adv::kTone)->text(), QStringLiteral("10"));
            QVERIFY(!control(d, adv::kSaveInfo)->isEnabled());
            savePicture(d, "dialog_172_cpcl_after_get.png");
            auto* language = qobject_cast<QComboBox*>(control(d, adv::kLanguage));
            language->setCurrentIndex(3);
            emit language->activated(3);
            edit(d, adv::kLeftMargin)->setText(QStringLiteral("12"));
            click(d, adv::kSaveInfo);
            saved = !control(d, adv::kSaveInfo)->isEnabled() && control(d, adv::kGetInfo)->isEnabled();
            click(d, ui::IDOK);
        });
        QVERIFY(saved);
        // The language goes out first, the margins after it.
        QTRY_COMPARE_WITH_TIMEOUT(int(printers_->serialPrinter().optionBlock(kCpcl)[3]), 12, 2000);
        QCOMPARE(int(printers_->serialPrinter().optionBlock(kCpcl)[0]), 3);
    }

    void advancedOptionsOnZplChangesTheDirection() {
        runChild(kZpl, ids::kAdvancedOptions, QStringLiteral("Advanced Options"), [&](QDialog* d) {
            QVERIFY(!control(d, adv::kLanguage)->isVisible());
            click(d, adv::kGetInfo);
            auto* direction = qobject_cast<QComboBox*>(control(d, adv::kDirection));
            QCOMPARE(direction->currentText(), QStringLiteral("Normal"));
            savePicture(d, "dialog_172_zpl_after_get.png");
            direction->setCurrentIndex(1);
            emit direction->activated(1);
            click(d, adv::kSaveInfo);
            click(d, ui::IDOK);
        });
        QTRY_COMPARE_WITH_TIMEOUT(int(printers_->serialPrinter().optionBlock(kZpl)[9]), int('I'), 2000);
    }

    void bluetoothGetThenSetNameAndPin() {
        runChild(kCpcl, ids::kStartBluetooth, QStringLiteral("Bluetooth Settings Dialog 2.69"),
                 [&](QDialog* d) {
                     click(d, bt::kGetInfo);
                     QCOMPARE(edit(d, bt::kAddress)->text(), QStringLiteral("00:1B:35:4A:10:C7"));
                     QCOMPARE(edit(d, bt::kName)->text(), QStringLiteral("Hollin-BT"));
                     savePicture(d, "dialog_178_after_get.png");
                     edit(d, bt::kName)->setText(QStringLiteral("Kitchen"));
                     click(d, bt::kSetInfo);
                     edit(d, bt::kPin)->setText(QStringLiteral("2468"));
                     click(d, bt::kSavePin);
                     click(d, ui::IDOK);
                 });
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(printers_->serialPrinter().bluetooth().pin),
                                  QStringLiteral("2468"), 2000);
        QCOMPARE(QString::fromStdString(printers_->serialPrinter().bluetooth().name),
                 QStringLiteral("Kitchen"));
    }

    // Open File on a test folder, Select, OK, Download (save cancelled), Yes; then the printer's
    // fonts are read (the new one listed) and it is deleted.
    void fontDownloadListAndDelete() {
        for (const int emulation : {kCpcl, kZpl}) {
            QTemporaryDir dir;
            QVERIFY(dir.isValid());
            QFile ttf(dir.filePath(QStringLiteral("MyFont.ttf")));
            QVERIFY(ttf.open(QIODevice::WriteOnly));
            ttf.write(QByteArray(1000, 'f'));
            ttf.close();
            qputenv("HOLLIN_FONT_DIR", dir.path().toUtf8());
            sim::VirtualPrinter& printer = printers_->serialPrinter();
            printer.setEmulation(emulation);
            printer.setFonts({});
            ShownMainWindow shown(makeWindow());
            BoxAnswerer boxes;
            click(shown.view.dialog(), ids::kOpenPort);
            const QString managerTitle = QStringLiteral("Download Font Selection Dialog");
            ModalDriver manager(managerTitle, [](QDialog* d) {
                auto* list = qobject_cast<QListWidget*>(control(d, fonts::fm::kTrueTypeList));
                const auto items = list->findItems(QStringLiteral("MyFont.ttf"), Qt::MatchExactly);
                QCOMPARE(items.size(), 1);
                list->setCurrentItem(items[0]);
                click(d, ui::IDOK);
            });
            ModalDriver target(QStringLiteral("Select Font ID and Target Memory"), [](QDialog* d) {
                auto* id = qobject_cast<QComboBox*>(control(d, fonts::ft::kFontId));
                QCOMPARE(id->count(), 9);
                id->setCurrentIndex(2);
                emit id->activated(2);
                click(d, ui::IDOK);
            });
            click(shown.view.dialog(), ids::kFontOpenFile);
            QVERIFY(manager.ran && target.ran);
            ModalDriver info(QStringLiteral("Font download Information"),
                             [](QDialog* d) { click(d, ui::IDOK); });
            // The main window while the font goes out: pictured once the bar shows a slice sent.
            auto* bar = qobject_cast<QProgressBar*>(control(shown.view.dialog(), ids::kFontProgress));
            QVERIFY(bar != nullptr);
            bool pictured = false;
            const auto pictureMidway = QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
                if (pictured || value <= 0 || value >= 100 || emulation != kCpcl)
                    return;
                pictured = true;
                savePicture(shown.view.dialog(), "dialog_102_mid_download.png");
            });
            click(shown.view.dialog(), ids::kFontDownload);
            QObject::disconnect(pictureMidway);
            QVERIFY(info.ran);
            QVERIFY(pictured || emulation != kCpcl);
            QCOMPARE(boxes.messages, QStringList{QStringLiteral("Download font to printer ?")});
            QTRY_COMPARE_WITH_TIMEOUT(int(printer.fonts().fonts.size()), 1, 3000);
            QCOMPARE(printer.fonts().fonts[0].id, 3);

            QStringList listed;
            ModalDriver reread(managerTitle, [&](QDialog* d) {
                click(d, fonts::fm::kRead);
                auto* list = qobject_cast<QListWidget*>(control(d, fonts::fm::kPrinterList));
                for (int i = 0; i < list->count(); ++i)
                    listed += list->item(i)->text();
                savePicture(d, emulation == kCpcl ? "dialog_157_cpcl_after_read.png"
                                                  : "dialog_157_zpl_after_read.png");
                click(d, fonts::fm::kDelete);
                d->reject();
            });
            click(shown.view.dialog(), ids::kFontOpenFile);
            QVERIFY(reread.ran);
            QCOMPARE(listed.size(), 1);
            QVERIFY(listed[0].contains(QStringLiteral("MyFont")));
            QTRY_COMPARE_WITH_TIMEOUT(int(printer.fonts().fonts.size()), 0, 3000);
            click(shown.view.dialog(), ids::kClosePort);
            qunsetenv("HOLLIN_FONT_DIR");
        }
    }
};

QTEST_MAIN(ChildWindowsSessionTest)
#include "child_windows_session_test.moc"
