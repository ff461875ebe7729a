// The Wi-Fi settings window's real form driven by clicks, against the embedded virtual printers of
// "hollin --simulate": a QUATECH module behind COM1 and a Sollae module behind USB.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/simulation.h"
#include "app/start_language.h"
#include "common/text_twin.h"
#include "gui/qt_desktop.h"
#include "gui/qt_dialog_view.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/serial_port.h"
#include "link/usb_device.h"
#include "platform/search_save_progress.h"
#include "sim/virtual_printer.h"
#include "sim/wifi_module.h"
#include "support/no_spooler.h"
#include "wifi/enterprise_window.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

using namespace hollin;
using namespace hollin::wifi::ids;

namespace {

using hollin::test::NoSpooler;

// Answers every modal window as an operator would: a message box is noted and closed; any other
// window (read completed, factory reset) is noted by its title, the Wi-Fi window's picture is taken
// when asked, and its OK button is pressed.
class ModalAnswerer : public QObject {
  public:
    explicit ModalAnswerer(QWidget* wifiWindow) : wifi_(wifiWindow) {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == wifi_ || modal->property("answered").toBool())
                return;
            modal->setProperty("answered", true);
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                boxes += box->text();
                box->done(QMessageBox::Ok);
                return;
            }
            windows += modal->windowTitle();
            if (operate)
                operate(modal);
            if (!picture.isEmpty()) {
                saved = wifi_->grab().save(picture);
                picture.clear();
            }
            for (auto* ok : modal->findChildren<QPushButton*>()) {
                if (ok->property(gui::kControlIdProperty).toInt() == ui::IDOK)
                    QTest::mouseClick(ok, Qt::LeftButton);
            }
        });
        timer_.start();
    }
    QStringList boxes;
    QStringList windows;
    QString picture;  // where the Wi-Fi window's picture goes at the next window; empty: none
    std::function<void(QWidget*)> operate;  // acts on each window before its OK button is pressed
    bool saved = false;

  private:
    QWidget* wifi_;
    QTimer timer_;
};

struct ShownWifiWindow {
    explicit ShownWifiWindow(std::unique_ptr<wifi::CWiFiSettings> window)
        : dlg(std::move(window)), view(*dlg, nullptr) {
        dlg->attach(&view, &desktop);
        dlg->onInit();
        view.showModeless();
    }
    ~ShownWifiWindow() { dlg->detach(); }
    ShownWifiWindow(const ShownWifiWindow&) = delete;
    ShownWifiWindow& operator=(const ShownWifiWindow&) = delete;

    std::unique_ptr<wifi::CWiFiSettings> dlg;
    gui::QtDesktop desktop;
    gui::QtDialogView view;
};

}  // namespace

class WifiWindowSessionTest : public QObject {
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

    std::unique_ptr<wifi::CWiFiSettings> makeWindow() {
        wifi::WifiWindowDeps deps{
            .clock = systemClock(),
            .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
            .ports = *ports_,
            .usbFinder = *usb_,
            .spooler = spooler_,
            .progress = progress_,
            .program = program_,
            .debugOutput = [this](std::string_view t) { debug_ += std::string(t) + "\n"; }};
        return std::make_unique<wifi::CWiFiSettings>(deps);
    }
    static QPushButton* button(gui::QtDialogView& view, ui::ControlId id) {
        return qobject_cast<QPushButton*>(view.control(id));
    }
    static QComboBox* combo(gui::QtDialogView& view, ui::ControlId id) {
        return qobject_cast<QComboBox*>(view.control(id));
    }
    static QString text(gui::QtDialogView& view, ui::ControlId id) {
        return qobject_cast<QLineEdit*>(view.control(id))->text();
    }
    static void choose(gui::QtDialogView& view, ui::ControlId id, int index) {
        combo(view, id)->setCurrentIndex(index);
        emit combo(view, id)->activated(index);  // as the operator's choice
    }

  private slots:
    void initTestCase() {
        app::SimulationOptions options;
        options.simulate = true;
        printers_ = std::make_unique<app::EmbeddedPrinters>(options);
        QVERIFY2(printers_->start(), printers_->error().c_str());
        const std::string com1 = printers_->serialPath();
        ports_.emplace(std::vector<std::string>{},
                       [com1](const std::string& name) -> std::optional<std::string> {
                           if (name == "HOLLIN_COM1")
                               return com1;
                           return std::nullopt;
                       });
        usb_ = makeLinuxUsbPrinterFinder("/nonexistent", "/nonexistent", printers_->usbPath());
        QVERIFY(QDir().mkpath(QStringLiteral(HOLLIN_SCREENSHOT_DIR)));
    }

    // --wifi-module names the module of both printers; anything else is refused with its reason.
    void simulationOptionNamesTheWifiModule() {
        std::vector<std::string> args{"--simulate", "--wifi-module", "INC", "-x"};
        std::string error;
        const auto options = app::takeSimulationOptions(args, error);
        QVERIFY(options && options->wifiModule);
        QCOMPARE(int(*options->wifiModule), int(sim::WifiModuleState::Kind::Inc));
        QCOMPARE(args, std::vector<std::string>{"-x"});
        args = {"--wifi-module", "acme"};
        QVERIFY(!app::takeSimulationOptions(args, error));
        QCOMPARE(QString::fromStdString(error),
                 QStringLiteral("unknown Wi-Fi module: acme (sollae, quatech, inc, other or none)"));
    }

    // COM1: open, read the QUATECH record, edit the security fields, reset.
    void quatechOnComOneOpenReadEditReset() {
        ShownWifiWindow shown(makeWindow());
        auto& view = shown.view;
        ModalAnswerer answers(view.dialog());

        choose(view, kPortList, 0);
        QVERIFY(view.control(kBaudList)->isEnabled());
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QVERIFY(button(view, kGetInfo)->isEnabled());

        answers.picture = QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_quatech.png");
        QTest::mouseClick(button(view, kGetInfo), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QCOMPARE(answers.windows, QStringList{QStringLiteral("Read Wi-Fi information")});
        QVERIFY(answers.saved);
        QCOMPARE(text(view, kSsid), QStringLiteral("HollinLab"));
        QCOMPARE(combo(view, kEncryptionList)->currentText(), QStringLiteral("WPA"));
        QCOMPARE(text(view, kWpaKey), QString());
        QVERIFY(button(view, kSaveInfo)->isEnabled());
        QVERIFY(view.dialog()->grab().save(
            QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_quatech_loaded.png")));

        // WPA-PSK with its own cipher list, then WEP64 with key 1.
        choose(view, kWpaAuthList, 0);
        QCOMPARE(combo(view, kWpaEncList)->itemText(0), QStringLiteral("TKIP"));
        QCOMPARE(shown.dlg->currentRecord().digit(wifi::field::kWpaEnc), '0');
        choose(view, kEncryptionList, 1);
        QCOMPARE(shown.dlg->currentRecord().digit(wifi::field::kEncryption), '1');
        QVERIFY(view.control(kKeyEdit1)->isEnabled());
        QCOMPARE(qobject_cast<QLineEdit*>(view.control(kKeyEdit1))->maxLength(), 10);
        QVERIFY(!view.control(kWpaKey)->isEnabled());

        QVERIFY(button(view, kReset)->isVisible());
        QTest::mouseClick(button(view, kReset), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QCOMPARE(answers.windows.size(), 2);
        QVERIFY(button(view, kOpenPort)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(printers_->serialPrinter().wifiModule().resets, 1, 2000);
        QVERIFY(!printers_->serialPrinter().wifiModule().ispMode);
        QVERIFY(debug_.find("hollin-module-phrase") == std::string::npos);
    }

    // A start in a Korean locale: the window opens with its Korean captions. The start language is
    // put back, so that every other test runs in English.
    void koreanLocaleStartShowsKoreanCaptions() {
        std::vector<std::string> args{"-x"};
        std::string error;
        const auto language = app::takeStartLanguage(
            args,
            [](const char* name) -> std::optional<std::string> {
                if (std::string_view(name) == "LANG")
                    return "ko_KR.UTF-8";
                return std::nullopt;
            },
            error);
        QVERIFY(language);
        setStartMessageLanguage(*language);
        struct Restore {
            ~Restore() { setStartMessageLanguage(kLanguageEnglish); }
        } restore;
        ShownWifiWindow shown(makeWindow());
        QCOMPARE(shown.view.dialog()->windowTitle(), QStringLiteral("Wi-Fi 설정 다이얼로그 2.69"));
        QCOMPARE(button(shown.view, kOpenPort)->text(), QStringLiteral("포트 열기"));
        QVERIFY(
            shown.view.dialog()->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_korean.png")));
    }

    // USB: the Sollae module read parameter by parameter.
    void sollaeOnUsbReadsItsParameters() {
        ShownWifiWindow shown(makeWindow());
        auto& view = shown.view;
        ModalAnswerer answers(view.dialog());

        QCOMPARE(combo(view, kPortList)->currentText(), QStringLiteral("USB"));
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QCOMPARE(shown.dlg->moduleGeneration(), 3);
        answers.picture = QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_sollae.png");
        QTest::mouseClick(button(view, kGetInfo), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QVERIFY(answers.saved);
        QCOMPARE(text(view, kSsid), QStringLiteral("HollinLab"));
        QCOMPARE(text(view, kMac), QStringLiteral("00:30:f9:12:34:56"));
        QCOMPARE(combo(view, kWpaAuthList)->currentText(), QStringLiteral("WPA2-PSK"));
        QCOMPARE(text(view, kWpaKey), QStringLiteral("hollin-module-phrase"));
        QTest::mouseClick(button(view, kClosePort), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!printers_->usbPrinter().wifiModule().ispMode, 2000);
    }
    // COM1: 802.1x chosen, PEAP with an identity and a password accepted in the Enterprise window, the
    // record saved and read back.
    void quatechEnterpriseEditedAndSaved() {
        namespace ent = wifi::enterprise_ids;
        ShownWifiWindow shown(makeWindow());
        auto& view = shown.view;
        ModalAnswerer answers(view.dialog());
        choose(view, kPortList, 0);
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QTest::mouseClick(button(view, kGetInfo), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        choose(view, kEncryptionList, 4);  // 802.1x
        QVERIFY(button(view, kEnterprise)->isEnabled());

        bool pictured = false;
        answers.operate = [&pictured](QWidget* modal) {
            auto control = [modal](ui::ControlId id) -> QWidget* {
                for (auto* w : modal->findChildren<QWidget*>())
                    if (w->property(gui::kControlIdProperty).toInt() == id)
                        return w;
                return nullptr;
            };
            auto* eap = qobject_cast<QComboBox*>(control(ent::kEapList));
            if (eap == nullptr)
                return;
            eap->setCurrentIndex(1);  // PEAP
            emit eap->activated(1);
            QTest::keyClicks(control(ent::kEapId), QStringLiteral("ann smith"));
            QTest::keyClicks(control(ent::kEapPassword), QStringLiteral("pass word"));
            pictured = modal->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_163_peap.png"));
        };
        QTest::mouseClick(button(view, kEnterprise), Qt::LeftButton);
        answers.operate = nullptr;
        QVERIFY(answers.windows.contains(QStringLiteral("Enterprise  Settings")));
        QVERIFY(pictured);
        QCOMPARE(combo(view, kWpaAuthList)->currentText(), QStringLiteral("WPA2-ENT"));

        QTest::mouseClick(button(view, kSaveInfo), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QVERIFY(view.dialog()->grab().save(
            QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_enterprise_saved.png")));
        const wifi::WifiSettingsRecord stored = printers_->serialPrinter().wifiModule().record;
        QCOMPARE(stored.digit(wifi::field::kEapMethod), '1');
        QCOMPARE(stored.digit(wifi::field::kEncryption), '4');
        QCOMPARE(stored.digit(wifi::field::kWpa), '4');
        QCOMPARE(QString::fromStdString(stored.line(wifi::field::kEapId)), QStringLiteral("ann smith"));
        QCOMPARE(QString::fromStdString(stored.text(wifi::field::kEapPassword)), QStringLiteral("pass word"));

        // Read back: the form shows 802.1x with the enterprise entries.
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QTest::mouseClick(button(view, kGetInfo), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QCOMPARE(combo(view, kEncryptionList)->currentText(), QStringLiteral("802.1x"));
        QCOMPARE(combo(view, kWpaAuthList)->currentText(), QStringLiteral("WPA2-ENT"));
        QTest::mouseClick(button(view, kClosePort), Qt::LeftButton);
        QVERIFY(debug_.find("pass word") == std::string::npos);
    }

    // COM1 with an INC module on the 5 GHz band: the band, country and country channel group.
    void incOnComOneShowsItsFiveGhzGroup() {
        sim::VirtualPrinter& printer = printers_->serialPrinter();
        printer.setWifiModuleKind(static_cast<int>(sim::WifiModuleState::Kind::Inc));
        auto state = printer.wifiModule();
        state.record.setText(wifi::field::kCountry, "TW");
        state.record.setText(wifi::field::kChannel3, "100");
        printer.setWifiModule(state);
        ShownWifiWindow shown(makeWindow());
        auto& view = shown.view;
        ModalAnswerer answers(view.dialog());

        choose(view, kPortList, 0);
        QTest::mouseClick(button(view, kOpenPort), Qt::LeftButton);
        QTest::mouseClick(button(view, kGetInfo), Qt::LeftButton);
        QCOMPARE(answers.boxes, QStringList());
        QCOMPARE(combo(view, kBandList)->currentText(), QStringLiteral("5GHz"));
        QVERIFY(view.control(kCountryList)->isVisible() && view.control(kCountryChannelList)->isVisible());
        QCOMPARE(combo(view, kCountryList)->currentText(), QStringLiteral("Taiwan"));
        QCOMPARE(combo(view, kCountryChannelList)->currentText(), QStringLiteral("100"));
        QVERIFY(!view.control(kChannelList)->isEnabled());
        QVERIFY(view.dialog()->grab().save(QStringLiteral(HOLLIN_SCREENSHOT_DIR "/dialog_103_inc_5ghz.png")));

        choose(view, kBandList, 0);
        QVERIFY(!view.control(kCountryList)->isVisible());
        QCOMPARE(combo(view, kChannelList)->count(), 14);
        QTest::mouseClick(button(view, kClosePort), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!printer.wifiModule().ispMode, 2000);
        printer.setWifiModuleKind(static_cast<int>(sim::WifiModuleState::Kind::Quatech));
    }
};

QTEST_MAIN(WifiWindowSessionTest)
#include "wifi_window_session_test.moc"
