// The Wi-Fi window's network mode on its real form against the virtual network printers of
// "hollin --simulate", over real sockets inside a private network namespace (loopback only).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
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
#include "netcfg/exchange.h"
#include "platform/search_save_progress.h"
#include "platform/udp_socket.h"
#include "support/no_spooler.h"
#include "ui/status_window.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

using namespace hollin;
using namespace hollin::wifi::ids;

namespace {

using hollin::test::NoSpooler;

// Answers modal windows as an operator would: a message box is noted and closed; a status window is
// noted by its title and text once its OK button shows, then OK is pressed.
class ModalAnswerer : public QObject {
  public:
    explicit ModalAnswerer(QWidget* wifiWindow) : wifi_(wifiWindow) {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == wifi_ || modal->property("answered").toBool())
                return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                modal->setProperty("answered", true);
                boxes += box->text();
                box->done(QMessageBox::Ok);
                return;
            }
            for (auto* ok : modal->findChildren<QPushButton*>()) {
                if (ok->property(gui::kControlIdProperty).toInt() != ui::IDOK || !ok->isVisible())
                    continue;
                QString text;
                for (auto* label : modal->findChildren<QLabel*>())
                    if (label->property(gui::kControlIdProperty).toInt() == ui::StatusWindow::kText)
                        text = label->text();
                windows += modal->windowTitle() + ": " + text;
                modal->setProperty("answered", true);
                QTest::mouseClick(ok, Qt::LeftButton);
            }
        });
        timer_.start();
    }
    QStringList boxes;
    QStringList windows;

  private:
    QWidget* wifi_;
    QTimer timer_;
};

}  // namespace

class WifiNetworkSessionTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<app::EmbeddedPrinters> printers_;
    std::optional<PortMap> ports_;
    std::unique_ptr<UsbPrinterFinder> usb_;
    NoSpooler spooler_;
    ui::SearchSaveProgress::Block block_{};
    ui::SearchSaveProgress progress_{block_};
    wifi::WifiProgramState program_;
    std::string debug_;
    QTemporaryDir state_;

    static QPushButton* button(gui::QtDialogView& view, ui::ControlId id) {
        return qobject_cast<QPushButton*>(view.control(id));
    }
    static QLineEdit* edit(gui::QtDialogView& view, ui::ControlId id) {
        return qobject_cast<QLineEdit*>(view.control(id));
    }
    static QComboBox* combo(gui::QtDialogView& view, ui::ControlId id) {
        return qobject_cast<QComboBox*>(view.control(id));
    }
    static void choose(gui::QtDialogView& view, ui::ControlId id, int index) {
        auto* combo = qobject_cast<QComboBox*>(view.control(id));
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

  private slots:
    void initTestCase() {
        app::SimulationOptions options;
        options.simulate = true;
        printers_ = std::make_unique<app::EmbeddedPrinters>(options);
        QVERIFY2(printers_->start(), printers_->error().c_str());
        QVERIFY2(printers_->networkError().empty(), printers_->networkError().c_str());
        ports_.emplace(std::vector<std::string>{}, [](const std::string&) { return std::nullopt; });
        usb_ = makeLinuxUsbPrinterFinder("/nonexistent", "/nonexistent", printers_->usbPath());
        QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
    }

    // "Network", "Wi-Fi Search...": the simulated printers are listed; "Save..." on one printer of
    // each protocol ends in "Save Completed !!!".
    void searchAndSaveOneOfEachKind() {
        wifi::WifiWindowDeps deps{
            .clock = systemClock(),
            .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
            .ports = *ports_,
            .usbFinder = *usb_,
            .spooler = spooler_,
            .progress = progress_,
            .program = program_,
            .debugOutput = [this](std::string_view t) { debug_ += std::string(t) + "\n"; },
            .network = &systemUdpNetwork(),
            .broadcast = netcfg::broadcastSetting("127.255.255.255", std::nullopt),
            .resultFile = state_.filePath(QStringLiteral("hollin/result.out")).toStdString()};
        wifi::CWiFiSettings dlg(deps);
        gui::QtDesktop desktop;
        gui::QtDialogView view(dlg, nullptr);
        dlg.attach(&view, &desktop);
        dlg.onInit();
        view.showModeless();
        ModalAnswerer answers(view.dialog());

        choose(view, kPortList, 10);
        QVERIFY(button(view, kSearch)->isVisible());
        QTest::mouseClick(button(view, kSearch), Qt::LeftButton);
        auto* list = qobject_cast<QTableWidget*>(view.control(kPrinterList));
        QVERIFY(list != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(list->rowCount(), 4, 5000);  // three binary, then the text one
        QCOMPARE(list->item(0, 0)->text(), QStringLiteral("00:30:F9:00:00:01"));
        QCOMPARE(list->item(0, 1)->text(), QStringLiteral("127.0.0.2"));
        QCOMPARE(list->item(0, 2)->text(), QStringLiteral("binary"));
        QCOMPARE(list->item(3, 2)->text(), QStringLiteral("text"));
        QCOMPARE(list->item(0, 4)->text(), QStringLiteral("HollinNet"));
        const auto textRecord =
            wifi::WifiSettingsRecord::fromBytes(printers_->networkPrinters().text()[0]->record());
        QCOMPARE(list->item(3, 0)->text(), QString::fromStdString(textRecord->macText()));
        QCOMPARE(list->currentRow(), 0);  // the form shows the first binary printer
        QCOMPARE(qobject_cast<QLineEdit*>(view.control(kSsid))->text(), QStringLiteral("HollinNet"));
        QVERIFY(view.dialog()->grab().save(
            QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_network_search.png")));

        // The binary printer: SSID, channel and a WEP key edited; choosing another printer and coming
        // back shows them again.
        QLineEdit* ssid = edit(view, kSsid);
        ssid->setText(QStringLiteral("Lab"));
        choose(view, kChannelList, 10);    // "11"
        choose(view, kEncryptionList, 1);  // "WEP64"
        QVERIFY(edit(view, kKeyEdit1)->isEnabled());
        edit(view, kKeyEdit1)->setText(QStringLiteral("0A1B2C3D4E"));
        list->selectRow(1);
        QCOMPARE(edit(view, kKeyEdit1)->text(), QString());
        list->selectRow(0);
        QCOMPARE(combo(view, kEncryptionList)->currentText(), QStringLiteral("WEP64"));
        QCOMPARE(combo(view, kChannelList)->currentText(), QStringLiteral("11"));
        QCOMPARE(edit(view, kKeyEdit1)->text(), QStringLiteral("0A1B2C3D4E"));
        ssid->setText(QStringLiteral("Lab"));  // the SSID is the form's, read when saving
        // Its loopback address is no printer's own, a LAN address is.
        view.setAddress(kIp, {192, 168, 1, 50});
        view.setAddress(kNetmask, {255, 255, 255, 0});
        QTest::mouseClick(button(view, kNetworkSave), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(answers.windows.size(), 1, 5000);
        QCOMPARE(answers.windows[0], QStringLiteral("Printer Settings Saved: Save Completed !!!"));
        const netcfg::DeviceRecord binary = printers_->networkPrinters().binary()[0]->record();
        QCOMPARE(binary.ipAddress, (std::array<std::uint8_t, 4>{192, 168, 1, 50}));
        QCOMPARE(std::string(reinterpret_cast<const char*>(binary.ssid.data())), std::string("Lab"));
        QCOMPARE((binary.wifiWord >> 4) & 0xF, 11u);
        QCOMPARE((binary.wifiWord >> 8) & 0x3, 1u);
        QCOMPARE(binary.wep40Keys[0], (std::array<std::uint8_t, 5>{0x0A, 0x1B, 0x2C, 0x3D, 0x4E}));

        // The text printer: WPA2-PSK with a key, saved and acknowledged.
        list->selectRow(3);
        ssid->setText(QStringLiteral("Shop"));
        choose(view, kEncryptionList, 3);  // "WPA"
        choose(view, kWpaAuthList, 2);     // "WPA2-PSK"
        QVERIFY(edit(view, kWpaKey)->isEnabled());
        edit(view, kWpaKey)->setText(QStringLiteral("TextPass123"));
        QVERIFY(view.dialog()->grab().save(
            QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_network_text_printer.png")));
        QTest::mouseClick(button(view, kNetworkSave), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(answers.windows.size(), 2, 10000);
        QCOMPARE(answers.windows[1], QStringLiteral("Printer Settings Saved: Save Completed !!!"));
        QCOMPARE(answers.boxes, QStringList());
        QCOMPARE(printers_->networkPrinters().text()[0]->savesApplied(), 1);
        QVERIFY(QFile::exists(state_.filePath(QStringLiteral("hollin/result.out"))));
        const auto text =
            wifi::WifiSettingsRecord::fromBytes(printers_->networkPrinters().text()[0]->record());
        QCOMPARE(text->line(wifi::field::kSsid), std::string("Shop"));
        QCOMPARE(text->digit(wifi::field::kEncryption), '3');
        QCOMPARE(text->digit(wifi::field::kWpa), '2');
        QCOMPARE(text->text(wifi::field::kWpaKey), std::string("TextPass123"));

        // A new search shows what the printers now hold.
        QTest::mouseClick(button(view, kSearch), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(list->rowCount(), 4, 5000);
        list->selectRow(0);
        QCOMPARE(ssid->text(), QStringLiteral("Lab"));
        QCOMPARE(combo(view, kEncryptionList)->currentText(), QStringLiteral("WEP64"));
        QCOMPARE(edit(view, kKeyEdit1)->text(), QStringLiteral("0A1B2C3D4E"));
        list->selectRow(3);
        QCOMPARE(ssid->text(), QStringLiteral("Shop"));
        QCOMPARE(combo(view, kEncryptionList)->currentText(), QStringLiteral("WPA"));
        QCOMPARE(combo(view, kWpaAuthList)->currentText(), QStringLiteral("WPA2-PSK"));

        // Sorted by protocol, the text printer comes first: choosing a row fills the form with that
        // row's printer, whatever place sorting gave it.
        list->horizontalHeader()->setSortIndicator(2, Qt::DescendingOrder);
        QCOMPARE(list->item(0, 2)->text(), QStringLiteral("text"));
        list->selectRow(1);
        QCOMPARE(edit(view, kMac)->text(), list->item(1, 0)->text());
        QCOMPARE(ssid->text(), list->item(1, 4)->text());
        list->selectRow(0);
        QCOMPARE(view.selection(kPrinterList), 3);
        QCOMPARE(ssid->text(), QStringLiteral("Shop"));
        QCOMPARE(combo(view, kWpaAuthList)->currentText(), QStringLiteral("WPA2-PSK"));
        dlg.detach();
    }

    void cleanupTestCase() { printers_.reset(); }
};

QTEST_MAIN(WifiNetworkSessionTest)
#include "wifi_network_session_test.moc"
