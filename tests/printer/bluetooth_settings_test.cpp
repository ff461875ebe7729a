// The Bluetooth window (run from the main window over the lent port) and the main window's own
// Bluetooth group, against an in-process printer: what reaches the module, what it keeps, what the
// operator sees.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/advanced_options_codec.h"
#include "printer/bluetooth_codec.h"
#include "printer/bluetooth_settings_window.h"
#include "sim/bluetooth.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "support/main_window_fakes.h"

namespace hollin::printer {
namespace {

using test::FakeView;
constexpr int kBluetooth = BluetoothSettingsWindow::kDialogId;

struct BluetoothTest : ::testing::Test {
    test::MainWindowFakes fakes;
    test::FakeDesktop desktop;
    FakeView view{desktop};
    std::unique_ptr<CHollinDlg> dlg;
    std::size_t before = 0;

    void SetUp() override {
        dlg = std::make_unique<CHollinDlg>(fakes.deps());
        view.open(*dlg);
        ASSERT_TRUE(view.click(ids::kOpenPort));
        fakes.printer.clearLog();
        before = fakes.port.commandBytes().size();
    }
    void setModule(const std::function<void(sim::BluetoothState&)>& change) {
        sim::BluetoothState s = fakes.printer.bluetooth();
        change(s);
        fakes.printer.setBluetooth(s);
    }
    void run(std::function<void(FakeView&)> script) {
        desktop.script(kBluetooth, std::move(script));
        ASSERT_TRUE(view.click(ids::kStartBluetooth));
    }
    Bytes sent() const {
        const Bytes all = fakes.port.commandBytes();
        return Bytes(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }
    std::vector<std::string> messages() const { return desktop.messageTexts(); }
};

TEST_F(BluetoothTest, WindowOpensGetsTheIdentityAndSetsNameAndPin) {
    setModule([](sim::BluetoothState& s) { s.discoverable = false; });
    run([&](FakeView& v) {
        EXPECT_EQ(v.title(), "Bluetooth Settings Dialog 2.69");
        EXPECT_TRUE(v.disabledAll({bt::kName, bt::kSetInfo}));
        EXPECT_TRUE(v.enabledAll({bt::kGetInfo, bt::kSavePin, bt::kSaveDiscoverable, bt::kAutoConnectOn,
                                  bt::kAutoConnectOff, bt::kBleOn, bt::kBleOff, bt::kNumericOn,
                                  bt::kNumericOff, ui::IDOK}));
        ASSERT_TRUE(v.click(bt::kGetInfo));
        EXPECT_TRUE(messages().empty());
        EXPECT_EQ(v.text(bt::kAddress), "00:1B:35:4A:10:C7");
        EXPECT_EQ(v.text(bt::kName), "Hollin-BT");
        EXPECT_EQ(v.text(bt::kPin), "?");
        EXPECT_TRUE(v.checked(bt::kDiscoverableOff));
        EXPECT_TRUE(v.enabledAll({bt::kName, bt::kSetInfo}));
        EXPECT_TRUE(v.disabledAll({bt::kSavePin, bt::kSaveDiscoverable}));
        // 19 characters: the message, nothing sent; 18 go out whole.
        ASSERT_TRUE(v.typeOver(bt::kName, std::string(19, 'n')));
        ASSERT_TRUE(v.click(bt::kSetInfo));
        EXPECT_EQ(messages(),
                  (std::vector<std::string>{"Bluetooth device name is up to 18 characters. !!!"}));
        EXPECT_EQ(desktop.messages()[0].caption, "Error");
        ASSERT_TRUE(v.typeOver(bt::kName, "Printer-Kitchen-18"));
        ASSERT_TRUE(v.click(bt::kSetInfo));
        EXPECT_FALSE(v.enabled(bt::kSetInfo));
        desktop.clearMessages();
        ASSERT_TRUE(v.typeOver(bt::kPin, "123"));
        EXPECT_TRUE(v.enabled(bt::kSavePin));
        ASSERT_TRUE(v.click(bt::kSavePin));
        EXPECT_EQ(messages(), (std::vector<std::string>{"Bluetooth PIN Code is 4 characters. !!!"}));
        ASSERT_TRUE(v.typeOver(bt::kPin, "12a4"));
        ASSERT_TRUE(v.click(bt::kSavePin));
        EXPECT_FALSE(v.enabled(bt::kSavePin));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(sent(), test::concat({btReadAddressCommand(),
                                    btReadDiscoverableCommand(),
                                    btReadNameCommand(),
                                    {0x1B, 0x62, 0x74, 0x13, 0x81},
                                    test::bytesOf("Printer-Kitchen-18"),
                                    {0x1B, 0x62, 0x74, 0x05, 0x90, 0x31, 0x32, 0x61, 0x34}}));
    const sim::BluetoothState module = fakes.printer.bluetooth();
    EXPECT_EQ(module.name, "Printer-Kitchen-18");
    EXPECT_EQ(module.pin, "12a4");
    // The window never closed the main window's port.
    EXPECT_TRUE(dlg->session().isOpen());
}

TEST_F(BluetoothTest, DiscoverableRadiosAndTheOnOffPairs) {
    run([&](FakeView& v) {
        ASSERT_TRUE(v.click(bt::kGetInfo));
        ASSERT_TRUE(v.checked(bt::kDiscoverableOn));
        // ON while ON changes nothing.
        ASSERT_TRUE(v.chooseRadio(bt::kDiscoverableOn, {bt::kDiscoverableOn, bt::kDiscoverableOff}));
        EXPECT_FALSE(v.enabled(bt::kSaveDiscoverable));
        ASSERT_TRUE(v.chooseRadio(bt::kDiscoverableOff, {bt::kDiscoverableOn, bt::kDiscoverableOff}));
        EXPECT_TRUE(v.enabled(bt::kSaveDiscoverable));
        ASSERT_TRUE(v.click(bt::kSaveDiscoverable));
        EXPECT_FALSE(v.enabled(bt::kSaveDiscoverable));
        const struct {
            ui::ControlId on, off;
        } pairs[] = {{bt::kAutoConnectOn, bt::kAutoConnectOff},
                     {bt::kBleOn, bt::kBleOff},
                     {bt::kNumericOn, bt::kNumericOff}};
        for (const auto& p : pairs) {
            ASSERT_TRUE(v.click(p.on));
            EXPECT_FALSE(v.enabled(p.on));
            EXPECT_TRUE(v.enabled(p.off));
        }
        ASSERT_TRUE(v.click(bt::kBleOff));
        EXPECT_TRUE(v.enabled(bt::kBleOn));
        EXPECT_FALSE(v.enabled(bt::kBleOff));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    const sim::BluetoothState module = fakes.printer.bluetooth();
    EXPECT_FALSE(module.discoverable);
    EXPECT_TRUE(module.iosAutoConnection);
    EXPECT_FALSE(module.ble);
    EXPECT_TRUE(module.numericComparison);
    const Bytes tail = test::concat({btDiscoverableCommand(false), btAutoConnectionCommand(true),
                                     bleCommand(true), btNumericComparisonCommand(true), bleCommand(false)});
    const Bytes all = sent();
    ASSERT_GE(all.size(), tail.size());
    EXPECT_EQ(Bytes(all.end() - static_cast<std::ptrdiff_t>(tail.size()), all.end()), tail);
}

TEST_F(BluetoothTest, FixedNameModuleShowsUnsupportedAndASilentModuleEndsWithNoResponse) {
    setModule([](sim::BluetoothState& s) { s.fixedNameModule = true; });
    run([&](FakeView& v) {
        ASSERT_TRUE(v.click(bt::kGetInfo));
        EXPECT_EQ(v.text(bt::kName), "Unsupported !!!");
        EXPECT_TRUE(v.disabledAll({bt::kName, bt::kSetInfo}));
        // A module that stops answering: about 3 s, then the message.
        fakes.printer.setSilent(true);
        const std::uint32_t start = fakes.clock.tickMs();
        ASSERT_TRUE(v.click(bt::kGetInfo));
        EXPECT_EQ(messages(), (std::vector<std::string>{"No Response in printer"}));
        EXPECT_LE(fakes.clock.tickMs() - start, 3200u);
        // A command that does not reach the printer: "Sending ERROR" and the button stays.
        fakes.printer.setSilent(false);
        desktop.clearMessages();
        fakes.port.setWritesTimeOut(true);
        ASSERT_TRUE(v.click(bt::kAutoConnectOn));
        EXPECT_EQ(messages(), (std::vector<std::string>{"Sending ERROR"}));
        EXPECT_TRUE(v.enabledAll({bt::kAutoConnectOn, bt::kAutoConnectOff}));
        fakes.port.setWritesTimeOut(false);
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(fakes.printer.bluetooth().name, "Hollin-BT");
    EXPECT_FALSE(fakes.printer.bluetooth().iosAutoConnection);
}

// The window's PIN is 4 characters, as its message says, whatever bytes they take.
TEST_F(BluetoothTest, PinLengthCountsCharactersAsItsMessageSays) {
    run([&](FakeView& v) {
        ASSERT_TRUE(v.typeOver(bt::kPin, "12\xC3\xA9"));
        ASSERT_TRUE(v.click(bt::kSavePin));
        EXPECT_EQ(messages(), (std::vector<std::string>{"Bluetooth PIN Code is 4 characters. !!!"}));
        desktop.clearMessages();
        ASSERT_TRUE(v.typeOver(bt::kPin, "123\xC3\xA9"));
        ASSERT_TRUE(v.click(bt::kSavePin));
        EXPECT_TRUE(messages().empty());
        EXPECT_FALSE(v.enabled(bt::kSavePin));
        ASSERT_TRUE(v.click(ui::IDOK));
    });
    EXPECT_EQ(sent(), (Bytes{0x1B, 0x62, 0x74, 0x06, 0x90, '1', '2', '3', 0xC3, 0xA9}));
    EXPECT_EQ(fakes.printer.bluetooth().pin, "123\xC3\xA9");
}

// The main window's hidden group: the same behaviour, but each action probes first and the PIN must
// be four decimal digits.
TEST_F(BluetoothTest, MainWindowGroupProbesFirstAndWantsADecimalPin) {
    ASSERT_TRUE(view.click(ids::kBtGetInfo));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(view.text(ids::kBtAddress), "00:1B:35:4A:10:C7");
    EXPECT_EQ(view.text(ids::kBtName), "Hollin-BT");
    EXPECT_EQ(fakes.printer.log(),
              (std::vector<std::string>{"emulation probe", "bluetooth address read",
                                        "bluetooth discoverable read", "bluetooth name read"}));
    fakes.printer.clearLog();
    ASSERT_TRUE(view.typeOver(ids::kBtPin, "12a4"));
    ASSERT_TRUE(view.click(ids::kBtSavePin));
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "Invalid PIN Code value\nBluetooth PIN Code value is from 0000 to 9999 !!!"}));
    desktop.clearMessages();
    ASSERT_TRUE(view.typeOver(ids::kBtPin, "123"));
    ASSERT_TRUE(view.click(ids::kBtSavePin));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Bluetooth PIN Code is 4-decimal characters. !!!"}));
    // The printer is asked first, then the PIN checked: probes only, no PIN write.
    EXPECT_EQ(fakes.printer.log(), (std::vector<std::string>{"emulation probe", "emulation probe"}));
    desktop.clearMessages();
    // A printer that does not answer is reported before the PIN is looked at.
    fakes.printer.setSilent(true);
    ASSERT_TRUE(view.click(ids::kBtSavePin));
    EXPECT_EQ(messages(), (std::vector<std::string>{"No Response in printer"}));
    fakes.printer.setSilent(false);
    fakes.printer.clearLog();
    desktop.clearMessages();
    ASSERT_TRUE(view.typeOver(ids::kBtPin, "4321"));
    ASSERT_TRUE(view.click(ids::kBtSavePin));
    EXPECT_EQ(fakes.printer.log(), (std::vector<std::string>{"emulation probe", "bluetooth PIN write"}));
    EXPECT_EQ(fakes.printer.bluetooth().pin, "4321");
    // A silent printer gets the probe and nothing else.
    fakes.printer.setSilent(true);
    fakes.printer.clearLog();
    ASSERT_TRUE(view.click(ids::kBtAutoConnectOn));
    EXPECT_EQ(messages(), (std::vector<std::string>{"No Response in printer"}));
    EXPECT_EQ(fakes.printer.log(), (std::vector<std::string>{"emulation probe"}));
    EXPECT_TRUE(view.enabledAll({ids::kBtAutoConnectOn, ids::kBtAutoConnectOff}));
}

}  // namespace
}  // namespace hollin::printer
