#include "wifi/wifi_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/sha1.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "sim/virtual_printer.h"
#include "sim/wifi_module.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"
#include "wifi/enterprise_window.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {
namespace {

using namespace ids;
using test::FakeDesktop;
using test::FakeView;
using test::kCom1Device;
using Kind = sim::WifiModuleState::Kind;
using Misbehaviour = sim::WifiModuleState::Misbehaviour;

using hollin::test::NoSpooler;

// The settings export file, in memory: nothing until a test makes it exist.
struct MemorySettingsFile final : SettingsFile {
    std::optional<std::string> text;
    int replaces = 0;
    std::optional<std::string> read() override { return text; }
    bool replace(std::string_view t) override {
        ++replaces;
        text = std::string(t);
        return true;
    }
};

constexpr int kComPosition = 0, kUsbPosition = 9;
constexpr int kStatusWindowId = 106, kInfoWindowId = 144, kEnterpriseId = EnterpriseWindow::kDialogId;

// The Wi-Fi window on a FakeView; COM1 and USB both lead to one in-process printer on virtual time.
struct WifiWindow : ::testing::Test {
    VirtualClock clock;
    sim::VirtualPrinter printer{clock};
    test::VirtualSerialPort port{printer, clock, kCom1Device};
    test::VirtualUsbFinder usb{printer, &clock};
    PortMap ports{{}, [](const std::string& name) -> std::optional<std::string> {
                      if (name == "HOLLIN_COM1")
                          return std::string(kCom1Device);
                      return std::nullopt;
                  }};
    NoSpooler spooler;
    ui::SearchSaveProgress::Block block{};
    ui::SearchSaveProgress progress{block};
    WifiProgramState program;
    std::string debug;
    MemorySettingsFile ini;
    FakeDesktop desktop;
    FakeView view{desktop};
    std::unique_ptr<CWiFiSettings> dlg;

    void SetUp() override {
        WifiWindowDeps deps{.clock = clock,
                            .serialPorts = test::VirtualSerialPort::factoryFor(port),
                            .ports = ports,
                            .usbFinder = usb,
                            .spooler = spooler,
                            .progress = progress,
                            .program = program};
        deps.debugOutput = [this](std::string_view t) { debug += std::string(t) + "\n"; };
        deps.exportFile = &ini;
        dlg = std::make_unique<CWiFiSettings>(deps);
        view.open(*dlg);
    }
    void useModule(Kind kind) { printer.setWifiModuleKind(static_cast<int>(kind)); }
    template <typename Change>
    void changeModule(Change change) {
        auto state = printer.wifiModule();
        change(state);
        printer.setWifiModule(state);
    }
    void open(int position) {
        ASSERT_TRUE(view.select(kPortList, position));
        ASSERT_TRUE(view.click(kOpenPort));
        ASSERT_TRUE(desktop.messages().empty()) << desktop.messageTexts()[0];
        ASSERT_TRUE(dlg->ispModeOn());
    }
    void openAndRead(int position) {
        open(position);
        ASSERT_TRUE(view.click(kGetInfo));
        ASSERT_TRUE(desktop.messages().empty()) << desktop.messageTexts()[0];
    }
    std::vector<std::string> messages() const { return desktop.messageTexts(); }
};

TEST_F(WifiWindow, PortsThatDoNotOpenAreReportedWithTheDeviceAndTheReason) {
    ASSERT_TRUE(view.select(kPortList, kComPosition + 1));  // COM2: no device behind it
    ASSERT_TRUE(view.click(kOpenPort));
    usb.setPresent(false);
    ASSERT_TRUE(view.select(kPortList, kUsbPosition));
    ASSERT_TRUE(view.click(kOpenPort));
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Open Port Failed !!!\nCOM2: no such device.",
                                        "Open USB Failed !!!\nNo USB printer (12ee:9485 or 0525:a702) "
                                        "is plugged in."}));
    EXPECT_EQ(printer.bytesReceived(), 0u);
}

TEST_F(WifiWindow, StartsOnUsbWithTheSerialListsDisabledAndRefusesSevenBitsWithoutParity) {
    EXPECT_EQ(view.title(), "Wi-Fi Settings Dialog 2.69");
    EXPECT_EQ(view.selectedText(kPortList), "USB");
    EXPECT_EQ(view.items(kPortList).size(), 11u);
    EXPECT_EQ(view.itemToolTip(kPortList, 0), ports.toolTip("COM1"));
    EXPECT_EQ(view.selectedText(kBaudList), "19200");
    EXPECT_FALSE(view.enabled(kBaudList));
    EXPECT_TRUE(view.visible(kBaudLabel));
    EXPECT_TRUE(view.enabled(kOpenPort));
    EXPECT_FALSE(view.enabled(kGetInfo));
    EXPECT_FALSE(view.visible(kSearch));
    EXPECT_EQ(view.selectedText(kKeyInUseList), "KEY ID 1");
    view.select(kPortList, "COM3");
    EXPECT_TRUE(view.enabled(kBaudList));
    EXPECT_TRUE(view.enabled(kFlowList));
    view.select(kDataBitsList, "7");
    EXPECT_EQ(messages(), std::vector<std::string>{"Data Bits=7, Parity=NONE is not supported"});
    EXPECT_EQ(view.selectedText(kDataBitsList), "8");
}

TEST_F(WifiWindow, QuatechOnCom1ReadsIntoTheFormWithTheKeysHeldNotShown) {
    openAndRead(kComPosition);
    EXPECT_EQ(program.moduleKind, kModuleQuatech);
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 1);
    EXPECT_EQ(view.text(kSsid), "HollinLab");
    EXPECT_EQ(view.text(kMac), "00:30:F9:12:34:56");
    EXPECT_EQ(view.control(kIp).address, (std::optional<ui::Ipv4>(ui::Ipv4{192, 168, 1, 20})));
    EXPECT_EQ(view.selectedText(kModeList), "infrastructure");
    EXPECT_EQ(view.selectedText(kChannelList), "6");
    EXPECT_EQ(view.selectedText(kEncryptionList), "WPA");
    EXPECT_EQ(view.selectedText(kWpaAuthList), "WPA2-PSK");
    EXPECT_EQ(view.items(kWpaEncList), (std::vector<std::string>{"AES", "TKIP+AES"}));
    EXPECT_EQ(view.text(kTcpPort), "9100");
    EXPECT_EQ(view.text(kKeyEdit1), "");  // write-only
    EXPECT_EQ(view.text(kWpaKey), "");
    EXPECT_FALSE(dlg->wpaKeyEdited());
    EXPECT_EQ(dlg->heldRecord()->text(field::kWpaKey), "hollin-module-phrase");
    EXPECT_TRUE(view.visible(kLpdEnable));
    EXPECT_EQ(view.text(kLpdQueue), "lpq1");
    EXPECT_EQ(view.selectedText(kBandList), "2.4GHz");
    EXPECT_TRUE(view.enabled(kSaveInfo));
    EXPECT_FALSE(view.enabled(kGetInfo));
    EXPECT_TRUE(view.visible(kReset) && view.enabled(kReset));
    EXPECT_TRUE(view.enabled(kWpaKey));
    EXPECT_EQ(view.progress(kProgress), 0);
}

TEST_F(WifiWindow, IncOnUsbShowsItsKeysAndWps) {
    useModule(Kind::Inc);
    openAndRead(kUsbPosition);
    EXPECT_EQ(program.moduleKind, kModuleInc);
    EXPECT_TRUE(view.visible(kWps) && view.enabled(kWps));
    EXPECT_EQ(view.text(kKeyEdit1), "1234567890");
    EXPECT_EQ(view.text(kWpaKey), std::string(20, '*'));  // shown as its mask, not as an edit
    EXPECT_FALSE(dlg->wpaKeyEdited());
    EXPECT_EQ(view.items(kModeList).size(), 3u);
    EXPECT_FALSE(view.visible(kLpdEnable));
    // A module with the 5 GHz band on channel 6: the band shows 2.4 GHz, the country group stays hidden.
    EXPECT_TRUE(view.visible(kBandList) && view.enabled(kBandList));
    EXPECT_EQ(view.selectedText(kBandList), "2.4GHz");
    EXPECT_EQ(dlg->currentRecord().digit(field::kBand), '2');
    EXPECT_FALSE(view.visible(kCountryList));
}

TEST_F(WifiWindow, RecordDigitsOutOfRangeSelectNothing) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kUseKey, '9');
        s.record.setDigit(field::kMode, '7');
        s.record.setText(field::kChannel, "42");
        s.record.setLine(field::kLpdQueue, " ");
    });
    openAndRead(kComPosition);
    EXPECT_EQ(view.selectedText(kKeyInUseList), "KEY ID 1");
    EXPECT_EQ(dlg->workingRecord().digit(field::kUseKey), '1');
    EXPECT_EQ(view.control(kModeList).selection, -1);
    EXPECT_EQ(view.control(kChannelList).selection, -1);
    EXPECT_FALSE(view.visible(kLpdEnable));
    EXPECT_FALSE(view.visible(kLpdQueue));
}

TEST_F(WifiWindow, AWpaTypeShowsWpaAndARefusedEncryptionReturnsToIt) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kMode, '0');  // adhoc
        s.record.setDigit(field::kEncryption, '0');
        s.record.setDigit(field::kWpa, '1');
    });
    openAndRead(kComPosition);
    EXPECT_EQ(view.selectedText(kEncryptionList), "WPA");
    view.select(kEncryptionList, "802.1x");  // adhoc takes no WPA nor 802.1x
    EXPECT_EQ(view.selectedText(kEncryptionList), "WPA");
    view.select(kEncryptionList, "WEP64");
    EXPECT_EQ(dlg->currentRecord().digit(field::kEncryption), '1');
    view.select(kEncryptionList, "WPA");
    EXPECT_EQ(view.selectedText(kEncryptionList), "WEP64");
}

TEST_F(WifiWindow, IncSoftApRefusesWep) {
    useModule(Kind::Inc);
    changeModule([](sim::WifiModuleState& s) { s.record.setDigit(field::kMode, '2'); });
    openAndRead(kComPosition);
    view.select(kEncryptionList, "WEP64");
    EXPECT_EQ(view.selectedText(kEncryptionList), "WPA");
    EXPECT_EQ(dlg->currentRecord().digit(field::kEncryption), '3');
}

TEST_F(WifiWindow, QuatechWpa2StoresItsCipherAtOnce) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kWpa, '1');
        s.record.setDigit(field::kWpaEnc, '0');
    });
    openAndRead(kComPosition);
    EXPECT_EQ(view.selectedText(kWpaAuthList), "WPA-PSK");
    view.select(kWpaAuthList, "WPA2-PSK");
    EXPECT_EQ(view.items(kWpaEncList), (std::vector<std::string>{"AES", "TKIP+AES"}));
    EXPECT_EQ(dlg->currentRecord().digit(field::kWpaEnc), '1');
    EXPECT_TRUE(view.enabled(kWpaEncList));
}

TEST_F(WifiWindow, WpaKeyLimitFollowsItsCharacters) {
    openAndRead(kComPosition);
    view.typeOver(kWpaKey, std::string(64, 'a'));
    EXPECT_EQ(view.limit(kWpaKey), 64);
    EXPECT_EQ(view.text(kWpaKey), std::string(64, 'a'));
    view.typeOver(kWpaKey, "pass phrase");
    EXPECT_EQ(view.limit(kWpaKey), 63);
    EXPECT_TRUE(dlg->wpaKeyEdited());
    EXPECT_EQ(dlg->wpaKeyText(), "pass phrase");
}

TEST_F(WifiWindow, SollaeOnUsbReadsEveryParameterAndItsWepKeysFollowTheirType) {
    useModule(Kind::Sollae);
    changeModule([](sim::WifiModuleState& s) {
        s.versionMajor = 1;
        s.versionMinor = 6;
        Bytes options{0x61, 0x45, 0x00, 0, 0, 0};  // Open System, key 2, WEP64, no WPA
        s.current[{0x09, 0x00}] = options;
        Bytes keys(22, 0);
        const std::string_view second = "ab#2z";
        std::copy(second.begin(), second.end(), keys.begin() + 5);
        s.current[{0x09, 0x02}] = keys;
    });
    open(kUsbPosition);
    EXPECT_EQ(dlg->moduleGeneration(), 2);
    EXPECT_TRUE(view.visible(kReset));
    EXPECT_TRUE(view.visible(kDhcp));
    EXPECT_FALSE(view.visible(kEnterprise));
    EXPECT_EQ(view.text(kWpaHint), "WPA Key is a read/writable. WPA Key is 8 to 64 ASCII characters.");
    ASSERT_TRUE(view.click(kGetInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(dlg->parameterSet(), 2);
    EXPECT_EQ(view.text(kMac), "00:30:f9:12:34:56");
    EXPECT_EQ(view.items(kEncryptionList).size(), 5u);
    EXPECT_EQ(view.selectedText(kEncryptionList), "WEP64");
    EXPECT_EQ(view.selectedText(kKeyInUseList), "KEY ID 2");
    EXPECT_EQ(view.text(kKeyEdit2), "616223327A");
    EXPECT_EQ(view.progress(kProgress), 100);
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 1);
    view.select(kKeyType2, "ASCII");
    EXPECT_TRUE(view.enabled(kKeyEdit2));
    EXPECT_EQ(view.limit(kKeyEdit2), 5);
    EXPECT_EQ(view.text(kKeyEdit2), "ab#2z");
    for (ControlId other : {kKeyEdit1, kKeyEdit3, kKeyEdit4})
        EXPECT_FALSE(view.enabled(other));
    ini.text = "[WiFiInfo]\n";
    view.closeBox();
    EXPECT_EQ(ini.replaces, 0);  // a Sollae module has no record to export
}

TEST_F(WifiWindow, SollaeWithoutThePreSharedKeyHasTheBasicSet) {
    useModule(Kind::Sollae);
    changeModule([](sim::WifiModuleState& s) { s.basicSet = true; });
    openAndRead(kComPosition);
    EXPECT_EQ(dlg->parameterSet(), 1);
    EXPECT_EQ(view.items(kEncryptionList), (std::vector<std::string>{"None", "WEP64", "WEP128"}));
    EXPECT_EQ(view.control(kEncryptionList).selection, -1);  // WPA has no entry here
    EXPECT_EQ(view.text(kMac), "");                          // no version read for the MAC
    EXPECT_TRUE(view.enabled(kSaveInfo));
}

TEST_F(WifiWindow, SollaeVersionsShowResetAndDhcpByGeneration) {
    useModule(Kind::Sollae);
    struct Case {
        int major, minor;
        bool reset, dhcp;
    };
    for (const Case c : {Case{1, 5, false, false}, Case{1, 6, true, true}, Case{2, 0, true, false}}) {
        changeModule([&c](sim::WifiModuleState& s) {
            s.versionMajor = c.major;
            s.versionMinor = c.minor;
        });
        open(kComPosition);
        EXPECT_EQ(view.visible(kReset), c.reset) << c.major << "." << c.minor;
        EXPECT_EQ(view.visible(kDhcp), c.dhcp) << c.major << "." << c.minor;
        view.click(kClosePort);
        EXPECT_FALSE(dlg->ispModeOn());
    }
}

TEST_F(WifiWindow, ReadFailuresTellWhichStep) {
    useModule(Kind::Sollae);
    open(kComPosition);
    changeModule([](sim::WifiModuleState& s) { s.misbehaviour = Misbehaviour::Silent; });
    view.click(kGetInfo);
    changeModule([](sim::WifiModuleState& s) {
        s.misbehaviour = Misbehaviour::RefuseParameter;
        s.refusedParameter = {0x09, 0x01};
    });
    view.click(kGetInfo);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Get IP Read Failed", "Get SSID Information Failed"}));
    EXPECT_EQ(desktop.messages()[0].caption, "ERROR");
    EXPECT_TRUE(view.enabled(kGetInfo));  // still Open
    EXPECT_FALSE(view.enabled(kSaveInfo));
}

TEST_F(WifiWindow, ABadBulkReplyLeavesTheRecordAsItWas) {
    openAndRead(kComPosition);
    const WifiSettingsRecord before = dlg->currentRecord();
    view.enable(kGetInfo, true);
    changeModule([](sim::WifiModuleState& s) {
        s.misbehaviour = Misbehaviour::WrongHeader;
        s.record.setLine(field::kSsid, "other");
    });
    view.click(kGetInfo);
    changeModule([](sim::WifiModuleState& s) { s.misbehaviour = Misbehaviour::Silent; });
    view.click(kGetInfo);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Syntex Error!!!", "Reading Error!!!"}));
    EXPECT_EQ(desktop.messages()[0].caption, "");
    EXPECT_EQ(dlg->currentRecord(), before);
    EXPECT_EQ(view.progress(kProgress), 0);
}

TEST_F(WifiWindow, NoModuleOrNoLinkIsIspModeSetFailed) {
    useModule(Kind::None);
    view.select(kPortList, kComPosition);
    view.click(kOpenPort);
    port.setWritesTimeOut(true);
    useModule(Kind::Quatech);
    view.click(kOpenPort);
    EXPECT_EQ(messages(), (std::vector<std::string>{"ISP Mode Set Failed", "ISP Mode Set Failed"}));
    EXPECT_FALSE(dlg->ispModeOn());
    EXPECT_TRUE(view.enabled(kOpenPort));
}

TEST_F(WifiWindow, QuatechResetSendsTheResetThenLeavesIspAndAnnouncesIt) {
    openAndRead(kComPosition);
    const std::size_t before = port.commandBytes().size();
    view.click(kReset);
    const Bytes all = port.commandBytes();
    EXPECT_EQ(Bytes(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
              (Bytes{0x1B, 0x5B, 0x44, 0x53, 0x1B, 0x5B, 0x4D, 0x00}));
    EXPECT_EQ(desktop.runCount(kInfoWindowId), 1);
    EXPECT_FALSE(dlg->ispModeOn());
    EXPECT_TRUE(view.enabled(kOpenPort));
}

TEST_F(WifiWindow, AResetNotDeliveredKeepsThePort) {
    openAndRead(kComPosition);
    port.setWritesTimeOut(true);
    view.click(kReset);
    EXPECT_EQ(messages(), std::vector<std::string>{"The reset command could not be sent to the printer."});
    EXPECT_EQ(desktop.runCount(kInfoWindowId), 0);
    EXPECT_TRUE(dlg->ispModeOn());
}

TEST_F(WifiWindow, SollaeResetThatNeverAnswersFails) {
    useModule(Kind::Sollae);
    open(kComPosition);
    changeModule([](sim::WifiModuleState& s) { s.misbehaviour = Misbehaviour::Silent; });
    view.click(kReset);
    EXPECT_EQ(messages(), std::vector<std::string>{"Fail to factory settings"});
    EXPECT_TRUE(dlg->ispModeOn());
    changeModule([](sim::WifiModuleState& s) { s.misbehaviour = Misbehaviour::None; });
    view.click(kReset);
    EXPECT_EQ(desktop.runCount(kInfoWindowId), 1);
    EXPECT_FALSE(dlg->ispModeOn());
}

TEST_F(WifiWindow, ExitLeavesIspModeAndNoSecretReachesTheDebugStream) {
    useModule(Kind::Sollae);
    openAndRead(kComPosition);
    view.click(kClosePort);
    useModule(Kind::Inc);
    openAndRead(kComPosition);
    view.typeOver(kWpaKey, "typed-secret-phrase");
    dlg->onOk();
    EXPECT_TRUE(view.ended());
    EXPECT_FALSE(printer.wifiModule().ispMode);
    ASSERT_FALSE(debug.empty());
    for (const std::string secret :
         {"hollin-module-phrase", "typed-secret-phrase", "1234567890", "12 34 56 78 9A", "68 6F 6C 6C"}) {
        EXPECT_EQ(debug.find(secret), std::string::npos) << secret;
    }
}

// --- Save Wi-Fi Information, Sollae

Bytes moduleValue(const sim::VirtualPrinter& printer, int group, int item) {
    return printer.wifiModule().current.at({group, item});
}

std::string wireText(const test::VirtualSerialPort& port) {
    const Bytes wire = port.commandBytes();
    return std::string(wire.begin(), wire.end());
}

TEST_F(WifiWindow, SollaeSaveWritesEveryParameterThenFlashes) {
    useModule(Kind::Sollae);
    changeModule([](sim::WifiModuleState& s) {
        s.versionMajor = 1;  // 1.6 shows DHCP
        s.versionMinor = 6;
        s.current[{0x09, 0x00}] = Bytes{0x30, 0x85, 0x00, 0, 0, 0};  // adhoc, channel 3, WEP64, key 2
    });
    openAndRead(kComPosition);
    view.select(kModeList, "infrastructure");
    view.select(kChannelList, "6");
    view.select(kEncryptionList, "WPA");
    view.select(kAuthenticationList, "Open System");
    view.select(kWpaAuthList, "WPA2-PSK");
    view.select(kWpaEncList, "AES");
    const std::string phrase = "0123456789abcdefghijklmnopqrstuvWXYZ!#$%";  // 40 characters
    view.typeOver(kWpaKey, phrase);
    view.typeOver(kSsid, "NewNet");
    view.setAddressByUser(kIp, {10, 1, 2, 3});
    view.typeOver(kTcpPort, "6101");
    ASSERT_TRUE(view.setCheckByUser(kDhcp, true));
    const int flashes = printer.wifiModule().flashes;
    const std::uint32_t start = clock.tickMs();
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    // Eleven writes, each waiting a second before its answer is read.
    EXPECT_GE(clock.tickMs() - start, 11000u);
    EXPECT_EQ(moduleValue(printer, 0x03, 0x00), (Bytes{10, 1, 2, 3, 0, 0}));
    EXPECT_EQ(moduleValue(printer, 0x09, 0x00), (Bytes{0x61, 0x40, 0x14, 0, 0, 0}));
    Bytes ssid(34, 0);
    std::copy_n("NewNet", 6, ssid.begin());
    EXPECT_EQ(moduleValue(printer, 0x09, 0x01), ssid);
    Bytes tail(34, 0);
    std::copy_n(phrase.begin() + 32, 8, tail.begin());
    EXPECT_EQ(moduleValue(printer, 0x09, 0x15), tail);
    const auto psk = wpaPsk(phrase, "NewNet");
    EXPECT_TRUE(std::equal(psk.begin(), psk.end(), moduleValue(printer, 0x09, 0x05).begin()));
    EXPECT_EQ(moduleValue(printer, 0x20, 0x00)[8] | moduleValue(printer, 0x20, 0x00)[9] << 8, 6101);
    EXPECT_EQ(moduleValue(printer, 0x05, 0x00), (Bytes{0x2A, 0, 2, 0, 0, 0}));
    // The WEP keys the form did not touch go back as the module sent them.
    EXPECT_EQ(moduleValue(printer, 0x09, 0x02)[0], 0x12);
    EXPECT_EQ(printer.wifiModule().flashes, flashes + 1);
    EXPECT_EQ(printer.wifiModule().flashed, printer.wifiModule().current);
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 2);
    EXPECT_EQ(view.progress(kProgress), 100);
    EXPECT_FALSE(view.enabled(kSaveInfo));
    EXPECT_FALSE(view.enabled(kSsid));
    EXPECT_FALSE(view.enabled(kWpaKey));
    EXPECT_TRUE(view.enabled(kGetInfo));
    EXPECT_TRUE(dlg->ispModeOn());
    EXPECT_EQ(debug.find(phrase.substr(0, 10)), std::string::npos);
}

TEST_F(WifiWindow, SollaeSaveRefusesABadFormAndSendsNothing) {
    useModule(Kind::Sollae);
    struct Case {
        std::string encryption;
        int keyType;  // of key 2
        std::string key;
        std::string port;
        std::string message;
    };
    const Case cases[] = {
        {"WEP64", 0, "123456789", "9100", "Key Length is not matched"},
        {"WEP64", 0, "12345678GZ", "9100", "A HEX key takes only the digits 0-9 and A-F."},
        {"WEP128", 1, "abcdefghijklmn", "9100", "Key Length is too long"},
        {"802.1x", 0, "", "9100",
         "This module cannot use 802.1x: saving it would leave the network open. "
         "Choose WEP or WPA."},
        {"None", 0, "", "65536", "The TCP port must be a number from 0 to 65535."},
    };
    for (const Case& c : cases) {
        openAndRead(kComPosition);
        view.select(kEncryptionList, c.encryption);
        view.select(kKeyInUseList, "KEY ID 2");
        view.select(kKeyType2, c.keyType);
        view.setTextLimit(kKeyEdit2, 0);
        view.typeOver(kKeyEdit2, c.key);
        view.typeOver(kTcpPort, c.port);
        const std::size_t sent = port.commandBytes().size();
        const int writes = printer.wifiModule().writes;
        view.click(kSaveInfo);
        EXPECT_EQ(messages(), std::vector<std::string>{c.message}) << c.encryption << " " << c.key;
        EXPECT_EQ(desktop.messages().back().caption, "Error");
        EXPECT_EQ(port.commandBytes().size(), sent) << c.message;
        EXPECT_EQ(printer.wifiModule().writes, writes);
        desktop.clearMessages();
        view.click(kClosePort);
    }
}

TEST_F(WifiWindow, SollaeWepSaveWritesTheKeyInUseAndKeepsTheOthers) {
    useModule(Kind::Sollae);
    changeModule([](sim::WifiModuleState& s) { s.basicSet = true; });
    openAndRead(kComPosition);
    view.select(kEncryptionList, "WEP64");
    view.select(kKeyInUseList, "KEY ID 2");
    view.select(kKeyType2, "ASCII");
    view.typeOver(kKeyEdit2, "abc");
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const Bytes keys = moduleValue(printer, 0x09, 0x02);
    EXPECT_EQ(Bytes(keys.begin(), keys.begin() + 10),
              (Bytes{0x12, 0x34, 0x56, 0x78, 0x9A, 'a', 'b', 'c', 0, 0}));
    EXPECT_EQ(moduleValue(printer, 0x09, 0x00)[1], 0x45);  // Open System, key 2, WEP64
    // The basic set has no pre-shared key and no TCP options to write.
    const std::string wire = wireText(port);
    EXPECT_EQ(wire.find("w 09 05"), std::string::npos);
    EXPECT_EQ(wire.find("w 05 00"), std::string::npos);
    EXPECT_EQ(wire.find("w 09 04"), std::string::npos);  // no WPA type
    view.click(kGetInfo);
    view.select(kEncryptionList, "None");
    view.select(kAuthenticationList, "Shared Key");
    ASSERT_TRUE(view.click(kSaveInfo));
    EXPECT_EQ(moduleValue(printer, 0x09, 0x00)[1] >> 6, 1);  // None is always Open System
}

TEST_F(WifiWindow, SollaeSaveStoppedByTheModuleSaysWhereAndThatNothingIsStored) {
    useModule(Kind::Sollae);
    openAndRead(kComPosition);
    const auto flashed = printer.wifiModule().flashed;
    changeModule([](sim::WifiModuleState& s) {
        s.misbehaviour = Misbehaviour::RefuseParameter;
        s.refusedParameter = {0x09, 0x01};
    });
    view.typeOver(kSsid, "Elsewhere");
    view.click(kSaveInfo);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(
        messages()[0].starts_with("Set SSID Syntex Error\n\nThe module now holds part of the new settings"));
    EXPECT_EQ(desktop.messages()[0].caption, "ERROR");
    EXPECT_EQ(wireText(port).find("f 7b3e"), std::string::npos);
    EXPECT_EQ(printer.wifiModule().flashed, flashed);
    EXPECT_TRUE(view.enabled(kSaveInfo));
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 1);

    changeModule([](sim::WifiModuleState& s) { s.misbehaviour = Misbehaviour::RefuseFlash; });
    desktop.clearMessages();
    view.click(kSaveInfo);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].starts_with("Set Flash Syntex Error\n\n"));
    EXPECT_EQ(printer.wifiModule().flashed, flashed);
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 1);
}

// --- Save Wi-Fi Information, QUATECH, INC and unrecognised modules

TEST_F(WifiWindow, QuatechSaveWritesTheKeyInUseAndSendsTheOthersAsTheModuleDid) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setText(field::kKey2, "ABCDEF1234");
        s.record.setText(field::kKey4, "0011223344");
        s.record.setText(field::kEapId, "ann smith  \r\n");
    });
    openAndRead(kComPosition);
    view.select(kEncryptionList, "WEP64");
    view.select(kKeyInUseList, "KEY ID 3");
    view.select(kKeyType3, "ASCII");
    view.typeOver(kKeyEdit3, "abcde");
    view.typeOver(kTcpPort, "6101");
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const WifiSettingsRecord& r = printer.wifiModule().record;
    EXPECT_EQ(r.raw(field::kKey3), std::string("6162636465") + std::string(16, '\0'));
    EXPECT_EQ(r.text(field::kKey1), "1234567890");
    EXPECT_EQ(r.text(field::kKey2), "ABCDEF1234");
    EXPECT_EQ(r.text(field::kKey4), "0011223344");
    EXPECT_EQ(r.text(field::kWpaKey), "hollin-module-phrase");  // not typed: as the module sent it
    EXPECT_EQ(r.digit(field::kEncryption), '1');
    EXPECT_EQ(r.digit(field::kUseKey), '3');
    EXPECT_EQ(r.digit(field::kWpa), '0');  // WEP: no WPA, which would read back as WPA
    EXPECT_EQ(r.digit(field::kWpaEnc), '0');
    EXPECT_EQ(r.raw(field::kTcpPort), "17D5");
    EXPECT_EQ(r.raw(field::kEapId).substr(0, 11), "ann smith\r\n");
    EXPECT_EQ(r.line(field::kLpdQueue), "lpq1");
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 2);
    EXPECT_FALSE(dlg->ispModeOn());  // the port is closed after a save
    EXPECT_FALSE(printer.wifiModule().ispMode);
    EXPECT_EQ(debug.find("hollin-module-phrase"), std::string::npos);
}

TEST_F(WifiWindow, RecordSaveRepliesAndIncInfrastructure) {
    useModule(Kind::Inc);
    openAndRead(kComPosition);
    view.typeOver(kWpaKey, "a new pass phrase");
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(printer.wifiModule().record.digit(field::kWpa), '5');
    EXPECT_EQ(printer.wifiModule().record.digit(field::kWpaEnc), '2');
    EXPECT_EQ(printer.wifiModule().record.text(field::kWpaKey), "a new pass phrase");

    useModule(Kind::Quatech);
    openAndRead(kComPosition);
    const WifiSettingsRecord stored = printer.wifiModule().record;
    view.typeOver(kSsid, "Elsewhere");
    view.typeOver(kTcpPort, "70000");
    view.click(kSaveInfo);
    EXPECT_EQ(printer.wifiModule().record, stored);  // nothing sent
    view.typeOver(kTcpPort, "9100");
    changeModule([](sim::WifiModuleState& s) { s.misbehaviour = Misbehaviour::WrongHeader; });
    view.click(kSaveInfo);
    changeModule([](sim::WifiModuleState& s) { s.misbehaviour = Misbehaviour::Silent; });
    view.click(kSaveInfo);
    EXPECT_EQ(messages(), (std::vector<std::string>{"The TCP port must be a number from 0 to 65535.",
                                                    "Syntex Error!!!", "Saving Error!!!"}));
    EXPECT_TRUE(dlg->ispModeOn());
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 3);  // two reads and the INC save
}

// The WPA key edit shows the module's key as a mask. Only a text that replaced the whole mask is a
// new key; a mask edited inside is no key: the save says so and sends nothing; the mask typed back is
// the module's key again.
TEST_F(WifiWindow, APartlyEditedWpaKeyMaskIsNoKey) {
    const std::string moduleKey = "hollin-module-phrase";
    const std::string mask(moduleKey.size(), '*');
    struct Edit {
        const char* name;
        std::function<void(FakeView&)> edit;
        std::optional<std::string> stored;  // nothing: refused, nothing sent
    };
    const Edit edits[] = {
        {"Backspace", [](FakeView& v) { v.type(kWpaKey, "\b"); }, std::nullopt},
        {"Delete", [&](FakeView& v) { v.editTo(kWpaKey, mask.substr(1)); }, std::nullopt},
        {"typed inside", [&](FakeView& v) { v.editTo(kWpaKey, mask.substr(0, 9) + "x" + mask.substr(9)); },
         std::nullopt},
        {"Backspace, then the mask typed back", [](FakeView& v) { v.type(kWpaKey, "\b*"); }, moduleKey},
        {"select-all then type",
         [](FakeView& v) {
             v.editTo(kWpaKey, "n");
             v.type(kWpaKey, "ew phrase*");
         },
         "new phrase*"},
        {"erased then typed", [](FakeView& v) { v.typeOver(kWpaKey, "*new phrase"); }, "*new phrase"},
    };
    struct Module {
        Kind kind;
        int language;
    };
    for (const Module m : {Module{Kind::Inc, kLanguageEnglish}, Module{Kind::Quatech, kLanguageKorean},
                           Module{Kind::Other, kLanguageKorean}}) {
        for (const Edit& e : edits) {
            SCOPED_TRACE(std::string(e.name) + ", kind " + std::to_string(static_cast<int>(m.kind)));
            if (dlg->ispModeOn())
                view.click(kClosePort);
            useModule(m.kind);
            dlg->setMessageLanguage(m.language);
            desktop.clearMessages();
            openAndRead(kComPosition);
            ASSERT_EQ(view.text(kWpaKey), mask);
            ASSERT_TRUE(view.enabled(kWpaKey));
            printer.clearLog();
            e.edit(view);
            view.click(kSaveInfo);
            const WifiSettingsRecord& stored = printer.wifiModule().record;
            EXPECT_EQ(stored.text(field::kWpaKey), e.stored.value_or(moduleKey));
            if (e.stored) {
                EXPECT_TRUE(messages().empty()) << messages()[0];
            } else {
                EXPECT_EQ(messages(), std::vector<std::string>{std::string(pickText(
                                          saveRefusalText(SaveRefusal::WpaKeyMaskEdited), m.language))});
                EXPECT_TRUE(printer.log().empty()) << printer.log()[0];
            }
        }
    }
}

// The SSID edit takes 32 characters on every module kind, and a save refuses an SSID over 32 bytes
// (eleven Korean characters are 33) rather than cut it.
TEST_F(WifiWindow, AnSsidOver32BytesIsRefusedOnEveryModuleKind) {
    const std::string korean33 = "가나다라마바사아자차카";
    ASSERT_EQ(korean33.size(), 33u);
    for (const Kind kind : {Kind::Sollae, Kind::Quatech, Kind::Inc, Kind::Other}) {
        SCOPED_TRACE(static_cast<int>(kind));
        if (dlg->ispModeOn())
            view.click(kClosePort);
        useModule(kind);
        desktop.clearMessages();
        openAndRead(kComPosition);
        view.typeOver(kSsid, std::string(33, 's'));
        EXPECT_EQ(view.text(kSsid), std::string(32, 's'));
        view.typeOver(kSsid, korean33);
        printer.clearLog();
        view.click(kSaveInfo);
        EXPECT_EQ(messages(), std::vector<std::string>{"SSID Key length should be less than 32"});
        EXPECT_TRUE(printer.log().empty()) << printer.log()[0];
    }
}

// A WEP key typed while in use and then left for another key is saved as typed; the keys never typed
// go back as the module sent them.
TEST_F(WifiWindow, TypedWepKeysAreSavedAfterTheKeyInUseChanges) {
    for (const Kind kind : {Kind::Quatech, Kind::Inc}) {
        SCOPED_TRACE(static_cast<int>(kind));
        if (dlg->ispModeOn())
            view.click(kClosePort);
        useModule(kind);
        const WifiSettingsRecord before = printer.wifiModule().record;
        openAndRead(kComPosition);
        view.select(kEncryptionList, "WEP64");
        view.select(kKeyInUseList, "KEY ID 1");
        view.typeOver(kKeyEdit1, "1111111111");
        view.select(kKeyInUseList, "KEY ID 2");
        view.select(kKeyType2, "ASCII");
        view.typeOver(kKeyEdit2, "two22");
        view.select(kKeyInUseList, "KEY ID 3");  // chosen, never typed
        view.select(kKeyInUseList, "KEY ID 2");
        ASSERT_TRUE(view.click(kSaveInfo));
        ASSERT_TRUE(messages().empty()) << messages()[0];
        const WifiSettingsRecord& r = printer.wifiModule().record;
        EXPECT_EQ(r.text(field::kKey1), "1111111111");
        EXPECT_EQ(r.text(field::kKey2), "74776F3232");
        EXPECT_EQ(r.raw(field::kKey3), before.raw(field::kKey3));
        EXPECT_EQ(r.raw(field::kKey4), before.raw(field::kKey4));
        program.keyTypes = {};
    }
}

// A QUATECH or unrecognised module's keys are write-only: after a save the form shows them empty in
// either language (a Korean read shows them).
TEST_F(WifiWindow, ASaveHidesTheWriteOnlyKeysInBothLanguages) {
    for (const int language : {kLanguageEnglish, kLanguageKorean}) {
        SCOPED_TRACE(language);
        useModule(Kind::Quatech);
        dlg->setMessageLanguage(language);
        openAndRead(kComPosition);
        ASSERT_TRUE(view.click(kSaveInfo));
        ASSERT_FALSE(dlg->ispModeOn());
        EXPECT_EQ(view.text(kKeyEdit1), "");
        EXPECT_EQ(view.text(kWpaKey), "");
        EXPECT_EQ(dlg->currentRecord().text(field::kWpaKey), "");
    }
}

// QUATECH with an enterprise WPA type: the cipher list keeps its three entries and shows the record's.
TEST_F(WifiWindow, QuatechEnterpriseTypeKeepsTheThreeCipherEntries) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kEapMethod, '1');
        s.record.setDigit(field::kEncryption, '4');
        s.record.setDigit(field::kWpa, '4');
        s.record.setDigit(field::kWpaEnc, '2');
    });
    openAndRead(kComPosition);
    EXPECT_EQ(view.items(kWpaEncList), (std::vector<std::string>{"TKIP", "AES", "TKIP+AES"}));
    EXPECT_EQ(view.selectedText(kWpaEncList), "TKIP+AES");
}

// --- the Enterprise window

namespace ent = enterprise_ids;

// QUATECH LEAP over WPA: the window opens on "WPA-LEAP" with the identity cut to 32 and the password
// masked; PEAP accepted untouched keeps the password as read, and the save carries both.
TEST_F(WifiWindow, QuatechEnterpriseAcceptKeepsThePasswordAndTheSaveStoresTheChoice) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kEapMethod, '4');
        s.record.setDigit(field::kWpa, '3');
        s.record.setDigit(field::kWpaEnc, '0');  // PEAP's cipher is 1
        s.record.setText(field::kEapId, std::string(40, 'i') + "\r\n");
        s.record.setText(field::kEapPassword, "pass word");
        s.record.setText(field::kCaCertificate, "ca.pem\r\n");
    });
    openAndRead(kComPosition);
    ASSERT_TRUE(view.enabled(kEnterprise));
    desktop.script(kEnterpriseId, [](FakeView& e) {
        EXPECT_EQ(e.title(), "Enterprise  Settings");
        EXPECT_EQ(e.items(ent::kEapList).size(), 8u);
        EXPECT_EQ(e.selectedText(ent::kEapList), "WPA-LEAP");
        EXPECT_EQ(e.selectedText(ent::kWpaTypeList), "WPA-ENT");
        EXPECT_FALSE(e.enabled(ent::kWpaTypeList));
        EXPECT_EQ(e.text(ent::kEapId), std::string(32, 'i'));
        EXPECT_EQ(e.limit(ent::kEapId), 32);
        EXPECT_EQ(e.text(ent::kEapPassword), "*********");
        EXPECT_FALSE(e.visible(ent::kCaCertificate));
        EXPECT_FALSE(e.visible(ent::kProvisioningList));
        EXPECT_FALSE(e.visible(ent::kAuthenticationList));
        e.select(ent::kEapList, "PEAP");
        EXPECT_EQ(e.selectedText(ent::kWpaTypeList), "WPA2-ENT");
        EXPECT_TRUE(e.visible(ent::kCaCertificate));
        EXPECT_FALSE(e.enabled(ent::kCaCertificate));
        EXPECT_EQ(e.text(ent::kCaCertificate), "ca.pem");
        EXPECT_FALSE(e.visible(ent::kPrivateKey));
        e.click(ent::kAccept);
    });
    ASSERT_TRUE(view.click(kEnterprise));
    EXPECT_EQ(desktop.lastView(kEnterpriseId)->result(), ui::kResultOk);
    EXPECT_EQ(view.selectedText(kEncryptionList), "802.1x");
    EXPECT_EQ(view.items(kWpaAuthList),
              (std::vector<std::string>{"WPA-PSK", "WPA2-PSK", "WPA-ENT", "WPA2-ENT"}));
    EXPECT_EQ(view.selectedText(kWpaAuthList), "WPA2-ENT");
    EXPECT_TRUE(view.enabled(kEnterprise));
    EXPECT_FALSE(view.enabled(kWpaKey));
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const WifiSettingsRecord& r = printer.wifiModule().record;
    EXPECT_EQ(std::string({r.digit(field::kEapMethod), r.digit(field::kEncryption), r.digit(field::kWpa),
                           r.digit(field::kWpaEnc)}),
              "1441");
    EXPECT_EQ(r.line(field::kEapId), std::string(32, 'i'));
    EXPECT_EQ(r.text(field::kEapPassword), "pass word");
    EXPECT_EQ(r.line(field::kCaCertificate), "ca.pem");
    EXPECT_EQ(view.selectedText(kWpaAuthList), "WPA2-ENT");  // the form refilled from the reply
    EXPECT_EQ(debug.find("pass word"), std::string::npos);
}

// WEP-LEAP shows its authentication list; Cancel changes nothing; None accepted clears the identity
// and the password and leaves WPA-PSK, which the save stores.
TEST_F(WifiWindow, QuatechEnterpriseCancelThenNoneAccepted) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kEapMethod, '4');
        s.record.setDigit(field::kEncryption, '4');
        s.record.setDigit(field::kWpaEnc, '1');
        s.record.setText(field::kEapId, "ann smith\r\n");
        s.record.setText(field::kEapPassword, "pass word");
    });
    openAndRead(kComPosition);
    const WifiSettingsRecord before = dlg->currentRecord();
    desktop.script(kEnterpriseId, [](FakeView& e) {
        EXPECT_EQ(e.selectedText(ent::kEapList), "WEP-LEAP");
        EXPECT_TRUE(e.visible(ent::kAuthenticationList));
        EXPECT_EQ(e.text(ent::kAuthenticationLabel), "Wi-Fi Authentication for WEP-LEAP : ");
        EXPECT_EQ(e.selectedText(ent::kAuthenticationList), "Open System");
        e.select(ent::kAuthenticationList, "Shared Key");
        e.typeOver(ent::kEapPassword, "changed");
        e.click(ent::kCancel);
    });
    ASSERT_TRUE(view.click(kEnterprise));
    EXPECT_EQ(dlg->currentRecord(), before);
    EXPECT_EQ(dlg->workingRecord(), before);

    desktop.script(kEnterpriseId, [](FakeView& e) {
        e.select(ent::kEapList, "None");
        EXPECT_EQ(e.text(ent::kEapId), "");
        EXPECT_FALSE(e.enabled(ent::kEapId));
        EXPECT_FALSE(e.enabled(ent::kEapPassword));
        e.click(ent::kAccept);
    });
    ASSERT_TRUE(view.click(kEnterprise));
    EXPECT_EQ(view.selectedText(kEncryptionList), "WPA");
    EXPECT_EQ(view.items(kWpaAuthList), (std::vector<std::string>{"WPA-PSK", "WPA2-PSK"}));
    EXPECT_EQ(view.selectedText(kWpaAuthList), "WPA-PSK");
    EXPECT_FALSE(view.enabled(kEnterprise));
    EXPECT_TRUE(view.enabled(kWpaKey));
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const WifiSettingsRecord& r = printer.wifiModule().record;
    EXPECT_EQ(std::string({r.digit(field::kEapMethod), r.digit(field::kEncryption), r.digit(field::kWpa),
                           r.digit(field::kWpaEnc)}),
              "0310");
    EXPECT_EQ(r.line(field::kEapId), "");
    EXPECT_EQ(r.text(field::kEapPassword), "");
}

// A typed password replaces the one read (the mask never becomes part of it); INC lacks FAST, so a
// FAST record selects nothing and leaves the identity and password disabled.
TEST_F(WifiWindow, EnterprisePasswordTypedAndIncWithoutFast) {
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kEapMethod, '1');
        s.record.setText(field::kEapPassword, "old");
    });
    openAndRead(kComPosition);
    desktop.script(kEnterpriseId, [](FakeView& e) {
        EXPECT_EQ(e.text(ent::kEapPassword), "***");
        e.type(ent::kEapPassword, "new pass");  // typed after the mask
        EXPECT_EQ(e.text(ent::kEapPassword), "new pass");
        e.select(ent::kEapList, "WPA2-FAST");
        EXPECT_TRUE(e.visible(ent::kProvisioningList));
        EXPECT_EQ(e.items(ent::kMaxServersList).back(), "255");
        e.select(ent::kProvisioningList, "Either");
        e.select(ent::kMaxServersList, "012");
        e.click(ent::kAccept);
    });
    ASSERT_TRUE(view.click(kEnterprise));
    ASSERT_TRUE(view.click(kSaveInfo));
    const WifiSettingsRecord& fast = printer.wifiModule().record;
    EXPECT_EQ(fast.text(field::kEapPassword), "new pass");
    EXPECT_EQ(std::string({fast.digit(field::kEapMethod), fast.digit(field::kWpa),
                           fast.digit(field::kFastProvisioning)}),
              "542");
    EXPECT_EQ(fast.raw(field::kFastMaxServers), "012");

    useModule(Kind::Inc);
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kEapMethod, '5');
        s.record.setDigit(field::kEncryption, '4');
    });
    openAndRead(kComPosition);
    desktop.script(kEnterpriseId, [](FakeView& e) {
        EXPECT_EQ(e.items(ent::kEapList), (std::vector<std::string>{"None", "PEAP", "TLS", "TTLS"}));
        EXPECT_EQ(e.selection(ent::kEapList), -1);
        EXPECT_FALSE(e.enabled(ent::kEapId));
        EXPECT_FALSE(e.enabled(ent::kEapPassword));
        e.select(ent::kEapList, "TTLS");
        EXPECT_FALSE(e.visible(ent::kProvisioningList));
        EXPECT_TRUE(e.enabled(ent::kEapId));
        e.click(ent::kCancel);
    });
    ASSERT_TRUE(view.click(kEnterprise));
}

// The unrecognised kind: the WPA type is chosen here, the password shows in clear.
TEST_F(WifiWindow, OtherKindEnterpriseWpa2EntStoresWpaFour) {
    useModule(Kind::Other);
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kEapMethod, '2');
        s.record.setDigit(field::kWpa, '3');
        s.record.setText(field::kEapPassword, "pass word");
    });
    openAndRead(kComPosition);
    desktop.script(kEnterpriseId, [](FakeView& e) {
        EXPECT_EQ(e.items(ent::kWpaTypeList), (std::vector<std::string>{"None", "WPA-ENT", "WPA2-ENT"}));
        EXPECT_EQ(e.selectedText(ent::kWpaTypeList), "WPA-ENT");
        EXPECT_EQ(e.selectedText(ent::kEapList), "TLS");
        EXPECT_EQ(e.text(ent::kAuthenticationLabel), "Encryption : ");
        EXPECT_EQ(e.text(ent::kEapPassword), "pass word");
        EXPECT_TRUE(e.visible(ent::kPrivateKey));
        EXPECT_FALSE(e.visible(ent::kMaxServersList));
        e.select(ent::kWpaTypeList, "WPA2-ENT");
        e.select(ent::kAuthenticationList, "AES");
        e.click(ent::kAccept);
    });
    ASSERT_TRUE(view.click(kEnterprise));
    EXPECT_EQ(view.selectedText(kWpaAuthList), "WPA2-ENT");
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const WifiSettingsRecord& r = printer.wifiModule().record;
    EXPECT_EQ(r.digit(field::kWpa), '4');
    EXPECT_EQ(r.digit(field::kWpaEnc), '1');
    EXPECT_EQ(r.digit(field::kEapMethod), '2');
    EXPECT_EQ(r.text(field::kEapPassword), "pass word");
    EXPECT_EQ(debug.find("pass word"), std::string::npos);
}

TEST_F(WifiWindow, QuatechFormFieldsGoIntoTheRecordAsTheyChange) {
    openAndRead(kComPosition);
    view.select(kChannelList, "11");
    view.select(kAuthenticationList, "Shared Key");
    view.setAddressByUser(kIp, ui::Ipv4{10, 0, 0, 9});
    view.typeOver(kSsid, "Elsewhere");
    const WifiSettingsRecord& r = dlg->currentRecord();
    EXPECT_EQ(r.raw(field::kChannel), "11");
    EXPECT_EQ(r.digit(field::kAuthentication), '2');
    EXPECT_EQ(r.raw(field::kIp), "0A000009");
    EXPECT_EQ(r.line(field::kSsid), "Elsewhere");
    view.setCheckByUser(kDhcp, true);
    EXPECT_FALSE(view.enabled(kIp) || view.enabled(kDns));
    EXPECT_EQ(r.digit(field::kDhcp), '1');

    // WEP key texts: HEX keeps hexadecimal digits only, ASCII is kept as its hexadecimal form.
    view.select(kEncryptionList, "WEP64");
    view.typeOver(kKeyEdit1, "12G4");
    EXPECT_EQ(view.text(kKeyEdit1), "124");
    EXPECT_EQ(r.text(field::kKey1), "124");
    view.select(kKeyType1, "ASCII");
    view.typeOver(kKeyEdit1, "ab");
    EXPECT_EQ(r.text(field::kKey1), "6162");

    // Adhoc offers the 5 GHz channels on a module with the extended fields; infrastructure takes them back.
    view.select(kModeList, "adhoc");
    EXPECT_EQ(r.digit(field::kMode), '0');
    ASSERT_TRUE(view.visible(kFiveGhz));
    view.setCheckByUser(kFiveGhz, true);
    EXPECT_EQ(view.items(kChannelList).size(), 31u);
    EXPECT_EQ(view.selectedText(kChannelList), "36");
    view.select(kModeList, "infrastructure");
    EXPECT_FALSE(view.visible(kFiveGhz) || view.checked(kFiveGhz));
    EXPECT_EQ(view.items(kChannelList).size(), 14u);
    EXPECT_EQ(view.selectedText(kChannelList), "11");
}

TEST_F(WifiWindow, IncFiveGhzBandCountryAndChannel) {
    useModule(Kind::Inc);
    changeModule([](sim::WifiModuleState& s) { s.record.setDigit(field::kMode, '0'); });
    openAndRead(kComPosition);
    view.select(kBandList, "5GHz");  // adhoc stays on 2.4 GHz: the mode goes to infrastructure
    EXPECT_EQ(view.selectedText(kModeList), "infrastructure");
    EXPECT_EQ(view.items(kChannelList).size(), 14u);
    EXPECT_FALSE(view.visible(kCountryList));
    ASSERT_TRUE(view.click(kClosePort));

    // SoftAP on 5 GHz: the country's channel (Taiwan's first shared one is 149), WPA and the message.
    struct Case {
        std::string country, name, softApChannel;
    };
    for (const Case& c : {Case{"TW", "Taiwan", "149"}, Case{"US", "USA", "36"}}) {
        changeModule([&c](sim::WifiModuleState& s) {
            s.record.setDigit(field::kMode, '1');
            s.record.setText(field::kCountry, c.country);
            s.record.setText(field::kChannel3, "100");
        });
        desktop.clearMessages();
        openAndRead(kComPosition);
        EXPECT_EQ(view.selectedText(kBandList), "5GHz");
        EXPECT_EQ(view.selectedText(kCountryList), c.name);
        EXPECT_EQ(view.selectedText(kCountryChannelList), "100");
        EXPECT_TRUE(view.visible(kFiveGhzGroup));
        EXPECT_FALSE(view.enabled(kChannelList));
        view.select(kModeList, "SoftAP");
        EXPECT_EQ(view.selectedText(kCountryChannelList), c.softApChannel);
        EXPECT_EQ(view.selectedText(kEncryptionList), "WPA");
        EXPECT_EQ(messages(),
                  std::vector<std::string>{"Only WPA and None are supported for Encryption of 5GHz"});
        ASSERT_TRUE(view.click(kClosePort));
    }

    // A country no row has: no country selected, no channels.
    desktop.clearMessages();
    changeModule([](sim::WifiModuleState& s) { s.record.setText(field::kCountry, "XX"); });
    openAndRead(kComPosition);
    EXPECT_EQ(view.control(kCountryList).selection, -1);
    EXPECT_TRUE(view.items(kCountryChannelList).empty());
}

TEST_F(WifiWindow, IncSaveWritesBandCountryAndTheThreeCharacterChannel) {
    useModule(Kind::Inc);
    changeModule([](sim::WifiModuleState& s) {
        s.record.setDigit(field::kMode, '1');
        s.record.setText(field::kCountry, "GB");
        s.record.setText(field::kChannel3, "100");
    });
    openAndRead(kComPosition);
    view.select(kCountryList, "USA");
    EXPECT_EQ(view.items(kCountryChannelList).size(), 24u);
    EXPECT_EQ(view.selectedText(kCountryChannelList), "36");
    ASSERT_TRUE(view.click(kSaveInfo));
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const WifiSettingsRecord& r = printer.wifiModule().record;
    EXPECT_EQ(r.raw(field::kChannel3), " 36");
    EXPECT_EQ(r.digit(field::kBand), '7');
    EXPECT_EQ(r.raw(field::kCountry), "US");
    EXPECT_EQ(view.selectedText(kBandList), "5GHz");  // the band follows the saved channel
    EXPECT_FALSE(dlg->ispModeOn());

    // 2.4 GHz: band '2' and the channel list's channel.
    openAndRead(kComPosition);
    view.select(kBandList, "2.4GHz");
    view.select(kChannelList, "6");
    ASSERT_TRUE(view.click(kSaveInfo));
    EXPECT_EQ(printer.wifiModule().record.raw(field::kChannel3), " 06");
    EXPECT_EQ(printer.wifiModule().record.digit(field::kBand), '2');
}

TEST_F(WifiWindow, WpsGoesToTheIncModuleThenThePortCloses) {
    useModule(Kind::Inc);
    openAndRead(kComPosition);
    ASSERT_TRUE(view.click(kWps));
    EXPECT_EQ(printer.wifiModule().wpsPresses, 1);
    EXPECT_EQ(desktop.runCount(kStatusWindowId), 2);
    EXPECT_FALSE(dlg->ispModeOn());
    EXPECT_FALSE(view.visible(kWps) || view.enabled(kWps));
    view.closeBox();
    EXPECT_EQ(ini.replaces, 0);  // no export file: nothing written
}

TEST_F(WifiWindow, ClosingUpdatesTheExportFileThatExists) {
    changeModule([](sim::WifiModuleState& s) { s.record.setText(field::kTcpPort, "2328"); });
    openAndRead(kComPosition);
    view.select(kEncryptionList, "WEP128");
    view.select(kKeyInUseList, "KEY ID 3");
    view.select(kKeyType3, "ASCII");
    view.typeOver(kKeyEdit3, "abc");
    ini.text = "; other tool\r\n[WiFiInfo]\r\nssid=old\r\n";
    view.closeBox();
    ASSERT_EQ(ini.replaces, 1);
    EXPECT_TRUE(messages().empty());
    for (std::string_view line : {"ssid=HollinLab\r\n", "MacAddress=0030F9123456\r\n", "ENCRYPTION=2\r\n",
                                  "USEKEY=3\r\n", "KEY3=616263\r\n", "TCPPORT=9000\r\n"})
        EXPECT_NE(ini.text->find(line), std::string::npos) << line << *ini.text;
    EXPECT_EQ(ini.text->rfind("; other tool\r\n[WiFiInfo]\r\n", 0), 0u);
}

TEST_F(WifiWindow, ALongWpaKeyEndsTheExportAfterUseKey) {
    useModule(Kind::Inc);
    openAndRead(kComPosition);
    view.typeOver(kWpaKey, std::string(33, 'w'));
    ini.text = "";
    view.closeBox();
    EXPECT_EQ(messages(), std::vector<std::string>{"WPA Key Length is not long"});
    EXPECT_NE(ini.text->find("USEKEY="), std::string::npos);
    EXPECT_EQ(ini.text->find("WPAKEY"), std::string::npos);
    EXPECT_EQ(debug.find(std::string(33, 'w')), std::string::npos);
}

// Network mode: a binary printer's Wi-Fi word and a text printer's record follow the form; an address
// of a binary printer is only checked.
TEST_F(WifiWindow, NetworkEntriesTakeTheFormsChanges) {
    dlg->enterNetworkMode();
    netcfg::DeviceRecord device;
    device.ipAddress = {192, 168, 1, 50};
    device.netmask = {255, 255, 255, 0};
    device.wifiWord = 1u | (6u << 4);
    FoundDeviceList& found = dlg->foundDevices();
    found.found.push_back(device);
    found.entries = {{FoundDeviceList::kBinaryDevice, 0, {}, {}}, {FoundDeviceList::kTextDevice, 0, {}, {}}};
    WifiSettingsRecord text;
    text.setDigit(field::kMode, '1');
    dlg->records() = {text};
    for (std::string_view mac : {"00:30:F9:00:00:01", "00:30:F9:00:00:02"})
        view.addItem(kPrinterList, mac);
    for (std::string_view entry : {"adhoc", "infrastructure"})
        view.addItem(kModeList, entry);
    for (int c = 1; c <= 14; ++c)
        view.addItem(kChannelList, std::to_string(c));
    for (std::string_view entry : {"None", "Open System", "Shared Key", "Both"})
        view.addItem(kAuthenticationList, entry);
    for (std::string_view entry : {"HEX", "ASCII"})
        view.addItem(kKeyType1, entry);
    view.setSelection(kKeyType1, 0);
    for (ControlId id : {kModeList, kChannelList, kAuthenticationList, kKeyEdit1, kKeyType1, kIp, kNetmask,
                         kGateway, kDns}) {
        view.show(id, true);
        view.enable(id, true);
    }

    view.setSelection(kPrinterList, 0);
    view.select(kChannelList, "11");
    view.select(kAuthenticationList, "Shared Key");
    view.select(kModeList, "adhoc");
    const std::uint32_t word = dlg->foundRecords()[0].wifiWord;
    EXPECT_EQ((word >> 4) & 0xF, 11u);
    EXPECT_EQ(view.selectedText(kChannelList), "11");
    EXPECT_EQ((word >> 14) & 3, 2u);
    EXPECT_EQ(word & 0xF, 0u);
    view.typeOver(kKeyEdit1, "ABG");
    EXPECT_EQ(view.text(kKeyEdit1), "AB");
    view.setAddressByUser(kIp, ui::Ipv4{127, 0, 0, 2});
    EXPECT_EQ(messages(), std::vector<std::string>{"Wrong Local IP address."});
    EXPECT_EQ(dlg->foundRecords()[0].ipAddress, device.ipAddress);
    view.setAddressByUser(kIp, ui::Ipv4{192, 168, 1, 60});
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(dlg->records()[0], text);  // the text printer was not touched

    view.setSelection(kPrinterList, 1);
    view.select(kModeList, "adhoc");
    view.select(kChannelList, "3");
    view.setAddressByUser(kGateway, ui::Ipv4{10, 0, 0, 1});
    view.select(kKeyType1, "ASCII");
    view.enable(kKeyEdit1, true);
    view.typeOver(kKeyEdit1, "ab");
    const WifiSettingsRecord& r = dlg->records()[0];
    EXPECT_EQ(r.digit(field::kMode), '0');
    EXPECT_NE(debug.find("*****Ad-hoc"), std::string::npos);
    EXPECT_EQ(r.raw(field::kChannel), "03");
    EXPECT_EQ(r.raw(field::kGateway), "0A000001");
    EXPECT_EQ(r.text(field::kKey1), "6162");
    EXPECT_EQ(dlg->foundRecords()[0].wifiWord, word);

    // No selection: the address fields ask for one (not the DNS field); the others do nothing.
    desktop.clearMessages();
    view.setSelection(kPrinterList, -1);
    view.setAddressByUser(kIp, ui::Ipv4{192, 168, 1, 61});
    view.setAddressByUser(kDns, ui::Ipv4{192, 168, 1, 1});
    view.select(kModeList, "infrastructure");
    EXPECT_EQ(messages(), std::vector<std::string>{"Select Printer before execute this function."});
    EXPECT_EQ(dlg->records()[0].digit(field::kMode), '0');
}

}  // namespace
}  // namespace hollin::wifi
