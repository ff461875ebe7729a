// The main window's real form driven by clicks, against the embedded virtual printers of
// "hollin --simulate" on pseudo-terminals.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <optional>
#include <string>

#include "app/simulation.h"
#include "gui/qt_desktop.h"
#include "gui/qt_dialog_view.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/serial_port.h"
#include "link/usb_device.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "platform/search_save_progress.h"
#include "sim/virtual_printer.h"
#include "support/no_spooler.h"
#include "ui/status_window.h"

using namespace hollin;
using namespace hollin::printer::ids;

namespace {

using hollin::test::NoSpooler;

// Closes any message box that shows up, so that a failing exchange ends the test instead of waiting
// for an operator; the texts are kept for the failure report.
class MessageBoxCatcher : public QObject {
  public:
    MessageBoxCatcher() {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts += box->text();
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }
    QStringList texts;

  private:
    QTimer timer_;
};

// Answers every information window (any modal dialog that is not a message box) as an operator
// would: reads its caption and text, takes its picture when asked, then presses its OK button.
class InfoAnswerer : public QObject {
  public:
    InfoAnswerer() {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            auto* info = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (info == nullptr || qobject_cast<QMessageBox*>(info) != nullptr ||
                info->property("answered").toBool())
                return;
            info->setProperty("answered", true);
            QString text;
            for (auto* label : info->findChildren<QLabel*>()) {
                if (label->property(gui::kControlIdProperty).toInt() == 1136)
                    text = label->text();
            }
            seen += info->windowTitle() + QStringLiteral(" | ") + text;
            if (!picture.isEmpty())
                saved = info->grab().save(picture);
            for (auto* ok : info->findChildren<QPushButton*>()) {
                if (ok->property(gui::kControlIdProperty).toInt() == ui::IDOK)
                    QTest::mouseClick(ok, Qt::LeftButton);
            }
        });
        timer_.start();
    }
    QStringList seen;  // "caption | text" of each window answered
    QString picture;   // where to save the next window's picture; empty: none
    bool saved = false;

  private:
    QTimer timer_;
};

// The main window shown modeless on its real form, let go again however the test ends.
struct ShownMainWindow {
    explicit ShownMainWindow(std::unique_ptr<printer::CHollinDlg> window)
        : main(std::move(window)), view(*main, nullptr) {
        main->attach(&view, &desktop);
        main->onInit();
        view.showModeless();
    }
    ~ShownMainWindow() { main->detach(); }
    ShownMainWindow(const ShownMainWindow&) = delete;
    ShownMainWindow& operator=(const ShownMainWindow&) = delete;

    std::unique_ptr<printer::CHollinDlg> main;
    gui::QtDesktop desktop;
    gui::QtDialogView view;
};

}  // namespace

class MainWindowSessionTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<app::EmbeddedPrinters> printers_;
    std::optional<PortMap> ports_;
    std::unique_ptr<UsbPrinterFinder> usb_;
    NoSpooler spooler_;

    std::unique_ptr<printer::CHollinDlg> makeWindow() {
        printer::MainWindowDeps deps{.clock = systemClock(),
                                     .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
                                     .ports = *ports_,
                                     .usbFinder = *usb_,
                                     .spooler = spooler_};
        return std::make_unique<printer::CHollinDlg>(deps);
    }

    static QPushButton* button(gui::QtDialogView& view, ui::ControlId id) {
        return qobject_cast<QPushButton*>(view.control(id));
    }

  private slots:
    void initTestCase() {
        app::SimulationOptions options;
        options.simulate = true;
        options.emulation = 1;  // CPCL
        options.model = "Birch 2in";
        printers_ = std::make_unique<app::EmbeddedPrinters>(options);
        QVERIFY2(printers_->start(), printers_->error().c_str());
        // Only COM1 leads anywhere: no test opens a real serial device.
        const std::string com1 = printers_->serialPath();
        ports_.emplace(std::vector<std::string>{},
                       [com1](const std::string& name) -> std::optional<std::string> {
                           if (name == "HOLLIN_COM1")
                               return com1;
                           return std::nullopt;
                       });
        usb_ = makeLinuxUsbPrinterFinder("/nonexistent", "/nonexistent", printers_->usbPath());
    }

    void openComOneByClickingShowsTheEmulationAndEnablesItsButtons() {
        ShownMainWindow shown(makeWindow());
        auto& view = shown.view;
        MessageBoxCatcher boxes;

        QVERIFY(button(view, kOpenPort)->isEnabled());
        QVERIFY(!button(view, kClosePort)->isEnabled());
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QCOMPARE(boxes.texts, QStringList());

        QCOMPARE(qobject_cast<QLineEdit*>(view.control(kEmulationText))->text(), QStringLiteral("CPCL"));
        for (ui::ControlId id :
             {kClosePort, kGetEmulation, kSetCpcl, kSetEscPos, kSaveSerialConfig, kSetGap, kSetBlackMark,
              kAdvancedOptions, kFontOpenFile, kGapCalibration, kStartBluetooth})
            QVERIFY2(view.control(id)->isEnabled(), qPrintable(QString::number(id)));
        // Birch has no continuous media; an open port leaves no way to exit but Close Port.
        for (ui::ControlId id : {kOpenPort, kPortList, kExit, kStartWifi, kSetContinuous, kSaveDensity,
                                 kDataBitsList, kFlowList})
            QVERIFY2(!view.control(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(view.control(kFontGroup)->isVisible());

        QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
        QVERIFY(
            view.dialog()->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_102_open_com1.png")));

        // Get Emulation asks again; Set ESC/POS switches the printer and closes the port.
        QTest::mouseClick(button(view, kGetEmulation), Qt::LeftButton);
        QCOMPARE(qobject_cast<QLineEdit*>(view.control(kEmulationText))->text(), QStringLiteral("CPCL"));
        QTest::mouseClick(button(view, kSetEscPos), Qt::LeftButton);
        QCOMPARE(qobject_cast<QLineEdit*>(view.control(kEmulationText))->text(), QStringLiteral("ESC/POS"));
        QVERIFY(button(view, kOpenPort)->isEnabled());
        QVERIFY(button(view, kExit)->isEnabled());
        QVERIFY(!button(view, kClosePort)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(printers_->serialPrinter().emulation(), 0,
                                  2000);  // the printer reads on its own thread
        QCOMPARE(boxes.texts, QStringList());
        printers_->serialPrinter().setEmulation(1);
    }

    void openUsbByChoosingItInThePortBox() {
        ShownMainWindow shown(makeWindow());
        auto& main = shown.main;
        auto& view = shown.view;
        MessageBoxCatcher boxes;

        auto* ports = qobject_cast<QComboBox*>(view.control(kPortList));
        ports->setCurrentIndex(9);
        emit ports->activated(9);  // as the operator's choice
        QVERIFY(!view.control(kBaudList)->isEnabled());
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(main->session().linkKind(), int(printer::kLinkUsb));
        QCOMPARE(qobject_cast<QLineEdit*>(view.control(kEmulationText))->text(), QStringLiteral("CPCL"));
        QTest::mouseClick(button(view, kClosePort), Qt::LeftButton);
        QVERIFY(button(view, kOpenPort)->isEnabled());
        QCOMPARE(qobject_cast<QLineEdit*>(view.control(kEmulationText))->text(), QString());
    }

    // Save Density on an ESC/POS printer: the information window names the density, its OK button
    // closes it, and the printer keeps the new value.
    void saveDensityIsAnnouncedAndKeptByThePrinter() {
        printers_->serialPrinter().setEmulation(0);
        ShownMainWindow shown(makeWindow());
        auto& main = shown.main;
        auto& view = shown.view;
        MessageBoxCatcher boxes;

        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QCOMPARE(boxes.texts, QStringList());
        auto* density = qobject_cast<QComboBox*>(view.control(kDensityList));
        QCOMPARE(density->currentText(), QStringLiteral("DENSITY [+1]"));
        density->setCurrentIndex(0);

        InfoAnswerer infos;
        QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
        infos.picture = QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_144_density.png");
        QTest::mouseClick(button(view, kSaveDensity), Qt::LeftButton);  // returns once the window closed

        QCOMPARE(infos.seen,
                 QStringList{QStringLiteral(
                     "Printer Density Setting Information | Printer Density changed to DENSITY [-1].")});
        QVERIFY(infos.saved);
        QCOMPARE(boxes.texts, QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(printers_->serialPrinter().settings().density, 1, 2000);
        QVERIFY(main->session().isOpen());
        QTest::mouseClick(button(view, kClosePort), Qt::LeftButton);
        printers_->serialPrinter().setEmulation(1);
    }

    // The other settings buttons, clicked on the form: each reaches the printer, which keeps the
    // setting; power save closes the port after its announcement.
    void everySettingsButtonReachesThePrinter() {
        sim::VirtualPrinter& printer = printers_->serialPrinter();
        printer.setEmulation(0);
        printer.setModel("Alder 3in");  // a model with continuous media
        const sim::PrinterSettings start = printer.settings();
        ShownMainWindow shown(makeWindow());
        auto& main = shown.main;
        auto& view = shown.view;
        MessageBoxCatcher boxes;
        InfoAnswerer infos;
        const auto choose = [&view](ui::ControlId id, int index) {
            auto* combo = qobject_cast<QComboBox*>(view.control(id));
            combo->setCurrentIndex(index);
            emit combo->activated(index);  // as the operator's choice
        };

        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        choose(kCodePageList, 1);
        QTest::mouseClick(button(view, kSaveCodePage), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(printer.settings().codePage, 1, 2000);
        QTest::mouseClick(button(view, kPrintCodePage), Qt::LeftButton);
        QTest::mouseClick(button(view, kGapCalibration), Qt::LeftButton);
        QTest::mouseClick(button(view, kBlackMarkCalibration), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(printer.settings().codePageSamplesPrinted, start.codePageSamplesPrinted + 1,
                                  2000);
        QTRY_COMPARE_WITH_TIMEOUT(printer.settings().gapCalibrations, start.gapCalibrations + 1, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(printer.settings().blackMarkCalibrations, start.blackMarkCalibrations + 1,
                                  2000);

        auto* minutes = qobject_cast<QLineEdit*>(view.control(kPowerSaveMinutes));
        QVERIFY(!minutes->isEnabled());
        choose(kPowerSaveList, 1);
        QVERIFY(minutes->isEnabled());
        minutes->clear();
        QTest::keyClicks(minutes, QStringLiteral("15"));
        QTest::mouseClick(button(view, kSavePowerSave), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(printer.settings().powerSaveMinutes, 15, 2000);
        QCOMPARE(printer.settings().powerSaveMode, 1);
        QVERIFY(!main->session().isOpen());
        QVERIFY(button(view, kOpenPort)->isEnabled());

        // Label media on a CPCL printer.
        printer.setEmulation(1);
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        choose(kSensorPositionList, 1);
        QTest::mouseClick(button(view, kSetBlackMark), Qt::LeftButton);
        // Two CPCL lines: the mode, then the sensor position.
        QTRY_VERIFY_WITH_TIMEOUT(printer.settings().mediaMode == sim::MediaMode::kBlackMark &&
                                     printer.settings().sensorPosition == sim::SensorPosition::kUpper,
                                 2000);
        QVERIFY(!button(view, kSetBlackMark)->isEnabled());
        QVERIFY(!view.control(kSensorPositionList)->isEnabled());
        QTest::mouseClick(button(view, kSetContinuous), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(printer.settings().mediaMode == sim::MediaMode::kContinuous, 2000);
        QTest::mouseClick(button(view, kSetGap), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(printer.settings().mediaMode == sim::MediaMode::kGap, 2000);
        QVERIFY(!button(view, kSetGap)->isEnabled());
        QVERIFY(button(view, kSetBlackMark)->isEnabled() && button(view, kSetContinuous)->isEnabled());

        QCOMPARE(infos.seen,
                 (QStringList{QStringLiteral("Code Page Setting Information | Code Page changed to "
                                             "CP_KATAKANA."),
                              QStringLiteral("Power Save Mode Setting Information | The printer "
                                             "power will be off after 15 minute.")}));
        QCOMPARE(boxes.texts, QStringList());
        QTest::mouseClick(button(view, kClosePort), Qt::LeftButton);
        printer.setModel("Birch 2in");
    }

    // The status window of a Wi-Fi printer search while it waits, placed over the main window.
    void statusWindowWhileSearching() {
        ShownMainWindow shown(makeWindow());
        auto& main = shown.main;
        auto& view = shown.view;

        ui::SearchSaveProgress::Block block{};
        ui::SearchSaveProgress progress(block);
        ui::StatusWindow status(ui::StatusWindow::kSearching, systemClock(), progress, &view);
        shown.desktop.openModeless(status, main.get());
        gui::QtDialogView* statusView = gui::QtDialogView::viewOf(&status);
        QVERIFY(statusView != nullptr);
        QDialog* dialog = statusView->dialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Wi-Fi Printer Searching..."));
        QCOMPARE(qobject_cast<QLabel*>(statusView->control(ui::StatusWindow::kText))->text(),
                 QStringLiteral("Now searching printers..."));
        QVERIFY(!statusView->control(ui::IDOK)->isVisible());
        QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
        QCoreApplication::processEvents();  // the form lays itself out as it would before painting
        QVERIFY(dialog->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_106_mode0.png")));
        // A search that found nothing: the text above the OK button.
        progress.set(ui::Progress::SearchTime, systemClock().tickMs() - 2000);
        progress.set(ui::Progress::SearchFlag, 1);
        status.onTimer(ui::StatusWindow::kTimerId);
        QVERIFY(statusView->control(ui::IDOK)->isVisible());
        QVERIFY(qobject_cast<QLabel*>(statusView->control(ui::StatusWindow::kText))
                    ->text()
                    .startsWith(QStringLiteral("Cannot search the Wi-Fi printer.")));
        QCoreApplication::processEvents();
        QVERIFY(dialog->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_106_not_found.png")));
        status.onCancel();  // the close box
        QCoreApplication::processEvents();
    }

    void cleanupTestCase() { printers_.reset(); }
};

QTEST_MAIN(MainWindowSessionTest)
#include "main_window_session_test.moc"
