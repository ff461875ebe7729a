// The Wi-Fi window in network mode against virtual network printers on the in-memory network.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "netcfg/text_frame.h"
#include "netprinters/network_printers.h"
#include "netprinters/network_save.h"
#include "netprinters/result_file.h"
#include "platform/memory_network.h"
#include "sim/network_printer.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"
#include "ui/status_window.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {
namespace {

using namespace ids;
using netcfg::DeviceRecord;
using test::FakeView;

constexpr Ipv4 kAll = 0xFFFFFFFFu;
constexpr int kNetworkPosition = 10;
constexpr int kStatusWindowId = 106;
const ui::Ipv4 kLanIp{192, 168, 1, 50};
const ui::Ipv4 kLanMask{255, 255, 255, 0};

using hollin::test::NoSpooler;

// The settings export file, in memory: nothing until a test makes it exist.
struct MemoryIni final : SettingsFile {
    std::optional<std::string> text;
    std::optional<std::string> read() override { return text; }
    bool replace(std::string_view t) override {
        text = std::string(t);
        return true;
    }
};

struct NetworkWindow : ::testing::Test {
    VirtualClock clock{5000};
    MemoryNetwork network{clock};
    sim::VirtualPrinter printer{clock};
    test::VirtualSerialPort port{printer, clock, test::kCom1Device};
    test::VirtualUsbFinder usb{printer, &clock};
    PortMap ports{{}, [](const std::string&) -> std::optional<std::string> { return std::nullopt; }};
    NoSpooler spooler;
    ui::SearchSaveProgress::Block block{};
    ui::SearchSaveProgress progress{block};
    WifiProgramState program;
    std::string debug;
    std::string resultFile = ::testing::TempDir() + "hollin-network-test/result.out";
    test::FakeDesktop desktop;
    FakeView view{desktop};
    std::unique_ptr<CWiFiSettings> dlg;
    std::vector<std::unique_ptr<sim::BinaryNetworkPrinter>> binary;
    std::vector<std::unique_ptr<sim::TextNetworkPrinter>> text;
    netcfg::KeyConstant siteKey = netcfg::kDefaultKeyConstant;
    MemoryIni ini;
    // Files written through the window's file adapter (path -> text); `writeFails` refuses them.
    std::map<std::string, std::string> written;
    bool writeFails = false;

    void SetUp() override {
        std::remove(resultFile.c_str());
        WifiWindowDeps deps{.clock = clock,
                            .serialPorts = test::VirtualSerialPort::factoryFor(port),
                            .ports = ports,
                            .usbFinder = usb,
                            .spooler = spooler,
                            .progress = progress,
                            .program = program};
        deps.debugOutput = [this](std::string_view t) { debug += std::string(t) + "\n"; };
        deps.network = &network;
        deps.broadcast = {kAll, {}};
        deps.resultFile = resultFile;
        deps.networkKey = siteKey;
        deps.exportFile = &ini;
        deps.writeFile = [this](const std::string& path, std::string_view t) {
            if (!writeFails)
                written[path] = std::string(t);
            return !writeFails;
        };
        dlg = std::make_unique<CWiFiSettings>(deps);
        view.open(*dlg);
    }
    void TearDown() override {
        dlg.reset();
        for (auto& p : binary)
            network.removeService(*p);
        for (auto& p : text)
            network.removeService(*p);
    }
    sim::BinaryNetworkPrinter& addBinary(int number, std::optional<Ipv4> configured = {},
                                         const netcfg::KeyConstant& key = netcfg::kDefaultKeyConstant) {
        const Ipv4 own = ipv4(127, 0, 1, static_cast<std::uint8_t>(number));
        auto p = std::make_unique<sim::BinaryNetworkPrinter>(
            network, clock, own, kAll, sim::makeBinaryPrinter(number, configured.value_or(own)), key);
        EXPECT_EQ(p->start(), 0);
        network.addService(*p);
        binary.push_back(std::move(p));
        return *binary.back();
    }
    sim::TextNetworkPrinter& addText(int number, std::optional<netcfg::TextRecord> record = {}) {
        const Ipv4 own = ipv4(127, 0, 2 + number / 250, static_cast<std::uint8_t>(1 + number % 250));
        auto p = std::make_unique<sim::TextNetworkPrinter>(network, own, kAll,
                                                           record.value_or(sim::makeTextRecord(number, own)));
        EXPECT_EQ(p->start(), 0);
        network.addService(*p);
        text.push_back(std::move(p));
        return *text.back();
    }
    // The text socket's timer, as the window's loop runs it a little after the search.
    void pump() {
        clock.sleepMs(5);
        view.fireTimer(kTextSocketTimerId);
    }
    void search() {
        ASSERT_TRUE(view.select(kPortList, kNetworkPosition));
        ASSERT_TRUE(view.click(kSearch));
        pump();
    }
    std::vector<LoggedDatagram> sentByUs(std::uint16_t port) const {
        std::vector<LoggedDatagram> out;
        for (const auto& d : network.log())
            if (d.from.address == MemoryNetwork::kDefaultHost && d.to.port == port)
                out.push_back(d);
        return out;
    }
    void typeLanAddress() {
        view.setAddressByUser(kIp, kLanIp);
        view.setAddressByUser(kNetmask, kLanMask);
    }
    std::vector<std::string> messages() const { return desktop.messageTexts(); }
};

TEST_F(NetworkWindow, NetworkEntryShowsTheSearchAndHidesTheLine) {
    EXPECT_EQ(view.items(kPortList).size(), 11u);
    EXPECT_EQ(view.items(kPortList)[kNetworkPosition], "Network");
    ASSERT_TRUE(view.select(kPortList, kNetworkPosition));
    EXPECT_TRUE(dlg->networkMode());
    EXPECT_TRUE(view.visible(kSearch) && view.visible(kNetworkSave) && view.visible(kPrinterList));
    EXPECT_FALSE(view.visible(kBaudList) || view.visible(kBaudLabel) || view.enabled(kOpenPort));
    EXPECT_EQ(view.text(kWpaHint), "WPA Key is characters of 8 ~ 32 length.");
    ASSERT_TRUE(view.select(kPortList, "COM1"));
    EXPECT_FALSE(dlg->networkMode());
    EXPECT_FALSE(view.visible(kSearch));
}

TEST_F(NetworkWindow, SearchListsBinaryPrintersByMacThenTextOnesAndShowsTheFirst) {
    addText(7);
    addBinary(9);
    addBinary(2, ipv4(10, 1, 2, 3));  // configured elsewhere: the form shows where it answered from
    search();
    EXPECT_EQ(view.items(kPrinterList),
              (std::vector<std::string>{"00:30:F9:00:00:02", "00:30:F9:00:00:09", "00:30:F9:00:00:07"}));
    EXPECT_EQ(view.selection(kPrinterList), 0);
    EXPECT_EQ(view.control(kIp).address, (std::optional<ui::Ipv4>(ui::Ipv4{127, 0, 1, 2})));
    EXPECT_EQ(view.text(kSsid), "HollinNet");
    EXPECT_EQ(view.selectedText(kChannelList), "6");
    EXPECT_EQ(view.text(kTcpPort), "9100");
    EXPECT_TRUE(view.enabled(kNetworkSave));
    EXPECT_EQ(view.icon(kSearch), 154);
    EXPECT_EQ(progress.get(ui::Progress::FoundFirst), 2u);
    EXPECT_EQ(progress.get(ui::Progress::FoundSecond), 1u);
    EXPECT_EQ(progress.get(ui::Progress::SearchFlag), 1u);
    // The text search went out as 512 bytes: STX, "11111", zeros.
    const auto textSent = sentByUs(netcfg::kTextPort);
    ASSERT_EQ(textSent.size(), 1u);
    EXPECT_EQ(textSent[0].bytes.size(), 512u);
    EXPECT_EQ(std::string(textSent[0].bytes.begin() + 1, textSent[0].bytes.begin() + 6), "11111");
    // The modeless status window finishes on its first tick 1500 ms after the search.
    ASSERT_EQ(desktop.runs().size(), 1u);
    EXPECT_FALSE(desktop.runs()[0].modal);
    FakeView* status = desktop.lastView(kStatusWindowId);
    EXPECT_EQ(status->text(ui::StatusWindow::kText), "Now searching printers...");
    clock.advance(1501);
    status->fireTimer(ui::StatusWindow::kTimerId);
    EXPECT_EQ(status->result(), ui::kResultOk);
    EXPECT_EQ(progress.get(ui::Progress::TotalFound), 3u);
    // Choosing the text printer fills the form from its record.
    ASSERT_TRUE(view.select(kPrinterList, 2));
    EXPECT_EQ(view.text(kMac), "00:30:F9:00:00:07");
    EXPECT_EQ(view.text(kSsid), "HollinText");
    EXPECT_TRUE(view.visible(kDhcp));
}

TEST_F(NetworkWindow, TextAnswersEachSelectTheFirstOneTwiceAnsweringKeepsOneAndTheListStopsAt200) {
    addText(1);
    addText(2);
    auto again = sim::makeTextRecord(1, ipv4(127, 0, 9, 9));
    std::memcpy(again.data() + 14, "SecondAnswer\r\n", 14);
    addText(300, again);  // the same MAC, answering too
    search();
    EXPECT_EQ(view.items(kPrinterList), (std::vector<std::string>{"00:30:F9:00:00:01", "00:30:F9:00:00:02"}));
    EXPECT_EQ(view.selection(kPrinterList), 0);
    EXPECT_EQ(view.text(kSsid), "SecondAnswer");
    EXPECT_EQ(progress.get(ui::Progress::FoundSecond), 2u);

    for (int n = 3; n <= 201; ++n)
        addText(n);
    ASSERT_TRUE(view.click(kSearch));
    pump();
    EXPECT_EQ(view.items(kPrinterList).size(), 200u);
    EXPECT_EQ(progress.get(ui::Progress::FoundSecond), 200u);
}

TEST_F(NetworkWindow, ASearchThatCannotOpenItsSocketSaysSoAndLeavesItsStatusWindowToTheOperator) {
    addBinary(1);
    network.failOpen(EADDRINUSE);
    search();
    EXPECT_EQ(messages(), std::vector<std::string>{"Fail to create UDP socket: GetLastError=" +
                                                   std::to_string(EADDRINUSE) + "\n Close and restart app."});
    EXPECT_FALSE(desktop.lastView(kStatusWindowId)->ended()) << "it waits for the operator";
    EXPECT_EQ(progress.get(ui::Progress::SearchFlag), 0u);
    EXPECT_TRUE(view.items(kPrinterList).empty());
}

TEST_F(NetworkWindow, BinarySaveWritesTheFormAndRefusesWhatCannotBeSent) {
    auto& p = addBinary(4);
    search();
    network.clearLog();

    ASSERT_TRUE(view.click(kNetworkSave));  // 127.0.1.4 as shown: not a printer's own address
    EXPECT_EQ(messages(), std::vector<std::string>{"Wrong Local IP address."});
    typeLanAddress();
    view.typeOver(kTcpPort, "70000");
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(messages().back(), "The TCP port must be a number from 0 to 65535.");
    EXPECT_TRUE(sentByUs(netcfg::kConfigPort).empty());

    view.typeOver(kTcpPort, "9200");
    view.typeOver(kSsid, "Shop");
    ASSERT_TRUE(view.select(kChannelList, "11"));
    ASSERT_TRUE(view.select(kEncryptionList, "802.1x"));
    view.typeOver(kWpaKey, "SecretPhrase1");
    desktop.clearMessages();
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(sentByUs(netcfg::kConfigPort).size(), 2u) << "one write, sent twice";
    const DeviceRecord written = p.record();
    EXPECT_EQ(written.ipAddress, (std::array<std::uint8_t, 4>{192, 168, 1, 50}));
    EXPECT_EQ(written.channels[0].localPort(), 9200);
    EXPECT_EQ(std::string(written.ssid.begin(), written.ssid.begin() + 4), "Shop");
    EXPECT_EQ((written.wifiWord >> 4) & 0xF, 11u);
    EXPECT_EQ(written.wifiWord & (0x3u << 8 | 0x1Fu << 16), 0u) << "802.1x stores no WEP and no WPA bits";
    EXPECT_EQ(desktop.runs().back().dialogId, kStatusWindowId);
    EXPECT_EQ(desktop.lastView(kStatusWindowId)->text(ui::StatusWindow::kText), "Save Completed !!!");
    EXPECT_EQ(debug.find("SecretPhrase1"), std::string::npos);
    EXPECT_NE(debug.find("WPA KEY=<hidden, 13 characters>"), std::string::npos);
}

TEST_F(NetworkWindow, BinarySaveFailuresShowTheirTexts) {
    auto& p = addBinary(4);
    search();
    typeLanAddress();
    dlg->foundDevices().found[0].channels[0].core[12] = 3;  // channel mode 3 ...
    view.typeOver(kTcpPort, "50005");                       // ... on the search port
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(messages().back(), "The port number 50005 is not available for Local Port.");
    view.typeOver(kTcpPort, "9100");

    const std::pair<std::uint8_t, std::string> statuses[] = {
        {2, "Password mismatch error occured."}, {3, "Product ID Mismatch"}, {9, "Unknown Error"}};
    for (const auto& [status, text] : statuses) {
        p.forceStatus(status);
        ASSERT_TRUE(view.click(kNetworkSave));
        EXPECT_EQ(messages().back(), text);
    }
    p.forceStatus(std::nullopt);
    p.misbehave(sim::NetFault::Silent);
    const std::uint32_t start = clock.tickMs();
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(messages().back(), "No response from selected ezTCP.");
    EXPECT_GE(clock.tickMs() - start, 3000u);
}

TEST_F(NetworkWindow, SaveWithoutSelectionOnlyAsksForOne) {
    addBinary(1);
    search();
    network.clearLog();
    view.setSelection(kPrinterList, -1);
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(messages(), std::vector<std::string>{"Select Printer before execute this function."});
    EXPECT_TRUE(network.log().empty());
}

TEST_F(NetworkWindow, TextSaveSendsTheRecordKeepsWhatTheFormDoesNotShowAndLeavesResultOut) {
    auto record = sim::makeTextRecord(5, ipv4(127, 0, 2, 6));
    std::memcpy(record.data() + 302, "1hollin-id", 10);  // EAP method and identity the form does not show
    auto& p = addText(5, record);
    search();
    ASSERT_EQ(view.items(kPrinterList).size(), 1u);

    ASSERT_TRUE(view.select(kEncryptionList, "WEP64"));
    view.typeOver(kKeyEdit1, "123456789");
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(messages(), std::vector<std::string>{"Key1 Length is not matched"});
    EXPECT_EQ(desktop.messages()[0].caption, "Error");
    EXPECT_EQ(p.savesApplied(), 0);

    view.typeOver(kKeyEdit1, "0123456789");
    view.typeOver(kSsid, "Shop");
    // A stranger's answer during the wait leaves the acknowledgement as it was.
    netcfg::TextFrame stranger = netcfg::buildSearchFrame();
    std::fill(stranger.begin() + 1, stranger.begin() + 1021, ' ');
    std::memcpy(stranger.data() + 3, "0030F9999999", 12);
    desktop.script(kStatusWindowId, [&](FakeView& status) {
        pump();
        int error = 0;
        auto other = network.openOn(ipv4(127, 0, 3, 3), error);
        other->bind({0, netcfg::kTextPort});
        other->sendTo(stranger, {kAll, netcfg::kTextPort});
        pump();
        for (int tick = 0; tick < 3; ++tick)
            status.fireTimer(ui::StatusWindow::kTimerId);
        EXPECT_TRUE(status.click(ui::IDOK));
    });
    desktop.clearMessages();
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(p.savesApplied(), 1);
    EXPECT_EQ(progress.get(ui::Progress::SaveDone), 1u);
    EXPECT_EQ(desktop.lastView(kStatusWindowId)->text(ui::StatusWindow::kText), "Save Completed !!!");

    const auto saves = sentByUs(netcfg::kTextPort);
    ASSERT_EQ(saves.size(), 2u);
    const auto& frame = saves[1].bytes;
    ASSERT_EQ(frame.size(), 512u);
    EXPECT_EQ(std::string(frame.begin(), frame.begin() + 8), std::string("\x02"
                                                                         "00000\r\n",
                                                                         8));
    const auto kept = readResultFile(resultFile);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(std::equal(frame.begin() + 8, frame.end(), kept->bytes().begin()));
    EXPECT_EQ(kept->line(field::kSsid), "Shop");
    EXPECT_EQ(kept->text(field::kKey1), "0123456789");
    EXPECT_EQ(kept->raw(field::kEapId).substr(0, 9), "hollin-id") << "the printer's own values stay";
    EXPECT_EQ(std::string(p.record().begin() + 303, p.record().begin() + 312), "hollin-id");
    struct stat info {};
    ASSERT_EQ(::stat(resultFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 1013);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(debug.find("0123456789"), std::string::npos);
}

TEST_F(NetworkWindow, BinaryPrinterKeepsItsSecurityFieldsWhenAnotherIsChosenAndSavesThem) {
    auto& first = addBinary(1);
    addBinary(2);
    search();
    ASSERT_TRUE(view.select(kEncryptionList, "WEP64"));
    EXPECT_EQ(view.textLimit(kKeyEdit1), 10);
    ASSERT_TRUE(view.typeOver(kKeyEdit1, "0123456789"));
    ASSERT_TRUE(view.select(kKeyInUseList, "KEY ID 2"));
    EXPECT_FALSE(view.enabled(kKeyEdit1));
    ASSERT_TRUE(view.select(kKeyType2, "ASCII"));
    EXPECT_EQ(view.textLimit(kKeyEdit2), 5);
    ASSERT_TRUE(view.typeOver(kKeyEdit2, "abcde"));

    ASSERT_TRUE(view.select(kPrinterList, 1));
    EXPECT_NE(view.text(kKeyEdit2), "abcde");
    ASSERT_TRUE(view.select(kPrinterList, 0));
    EXPECT_EQ(view.selectedText(kEncryptionList), "WEP64");
    EXPECT_EQ(view.selectedText(kKeyInUseList), "KEY ID 2");
    EXPECT_EQ(view.text(kKeyEdit1), "0123456789");
    EXPECT_EQ(view.selectedText(kKeyType2), "ASCII");
    EXPECT_EQ(view.text(kKeyEdit2), "abcde");
    EXPECT_TRUE(view.enabled(kKeyEdit2));

    typeLanAddress();
    ASSERT_TRUE(view.click(kNetworkSave));
    const DeviceRecord written = first.record();
    EXPECT_EQ((written.wifiWord >> 8) & 3, 1u);
    EXPECT_EQ((written.wifiWord >> 10) & 3, 1u);
    EXPECT_EQ(written.wep40Keys[0], (std::array<std::uint8_t, 5>{0x01, 0x23, 0x45, 0x67, 0x89}));
    EXPECT_EQ(written.wep40Keys[1], (std::array<std::uint8_t, 5>{'a', 'b', 'c', 'd', 'e'}));
}

TEST_F(NetworkWindow, TextPrinterKeepsItsSecurityFieldsWhenAnotherIsChosenAndSavesThem) {
    auto& p = addText(1);
    addText(2);
    search();
    ASSERT_TRUE(view.select(kPrinterList, "00:30:F9:00:00:01"));
    ASSERT_TRUE(view.select(kEncryptionList, "WEP128"));
    ASSERT_TRUE(view.select(kKeyType1, "ASCII"));
    EXPECT_EQ(view.textLimit(kKeyEdit1), 13);
    ASSERT_TRUE(view.typeOver(kKeyEdit1, "abcdefghijklm"));

    ASSERT_TRUE(view.select(kPrinterList, "00:30:F9:00:00:02"));
    ASSERT_TRUE(view.select(kPrinterList, "00:30:F9:00:00:01"));
    EXPECT_EQ(view.selectedText(kEncryptionList), "WEP128");
    EXPECT_EQ(view.text(kKeyEdit1), "abcdefghijklm");
    ASSERT_TRUE(view.select(kKeyType1, "HEX"));
    EXPECT_EQ(view.text(kKeyEdit1), "6162636465666768696A6B6C6D");

    desktop.script(kStatusWindowId, [&](FakeView& status) {
        for (int tick = 0; tick < 3; ++tick) {
            pump();
            status.fireTimer(ui::StatusWindow::kTimerId);
        }
        EXPECT_TRUE(status.click(ui::IDOK));
    });
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(desktop.lastView(kStatusWindowId)->text(ui::StatusWindow::kText), "Save Completed !!!");
    const auto stored = WifiSettingsRecord::fromBytes(p.record());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->digit(field::kEncryption), '2');
    EXPECT_EQ(stored->text(field::kKey1), "6162636465666768696A6B6C6D");
}

// A key typed while in use and then left for another is saved as typed; keys never typed stay as the
// printer sent them.
TEST_F(NetworkWindow, TextPrinterSavesEveryTypedKeyAndKeepsTheOthers) {
    auto& p = addText(1);
    const auto before = WifiSettingsRecord::fromBytes(p.record());
    search();
    ASSERT_TRUE(view.select(kEncryptionList, "WEP64"));
    ASSERT_TRUE(view.typeOver(kKeyEdit1, "1111111111"));
    ASSERT_TRUE(view.select(kKeyInUseList, "KEY ID 2"));
    ASSERT_TRUE(view.typeOver(kKeyEdit2, "2222222222"));
    desktop.script(kStatusWindowId, [&](FakeView& status) {
        for (int tick = 0; tick < 3; ++tick) {
            pump();
            status.fireTimer(ui::StatusWindow::kTimerId);
        }
        EXPECT_TRUE(status.click(ui::IDOK));
    });
    ASSERT_TRUE(view.click(kNetworkSave));
    const auto stored = WifiSettingsRecord::fromBytes(p.record());
    ASSERT_TRUE(stored && before);
    EXPECT_EQ(stored->text(field::kKey1), "1111111111");
    EXPECT_EQ(stored->text(field::kKey2), "2222222222");
    EXPECT_EQ(stored->raw(field::kKey3), before->raw(field::kKey3));
    EXPECT_EQ(stored->raw(field::kKey4), before->raw(field::kKey4));
}

TEST_F(NetworkWindow, UnacknowledgedTextSaveEndsInSaveError) {
    addText(5);
    search();
    for (auto& p : text)
        network.removeService(*p);  // the printer is gone
    desktop.script(kStatusWindowId, [&](FakeView& status) {
        for (int tick = 0; tick < 7; ++tick) {
            pump();
            status.fireTimer(ui::StatusWindow::kTimerId);
        }
        EXPECT_TRUE(status.click(ui::IDOK));
    });
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(desktop.lastView(kStatusWindowId)->text(ui::StatusWindow::kText), "Save Error !!!");
}

TEST_F(NetworkWindow, TextSaveWithoutTheWindowWaitsForItsPrinterOnly) {
    auto& p = addText(5);
    netcfg::NetworkContext context{network, clock, program.stores, {kAll, {}}};
    WifiSettingsRecord record = *WifiSettingsRecord::fromBytes(p.record());
    RecordForm form = recordFormOf(formFromTextRecord(record, {}));
    form.ssid = "Cli";
    NetworkPrinter printer{record};
    EXPECT_EQ(saveNetworkPrinter(context, netcfg::kBroadcast, printer, form).outcome,
              NetworkSaveResult::Saved);
    EXPECT_EQ(p.savesApplied(), 1);
    EXPECT_EQ(WifiSettingsRecord::fromBytes(p.record())->line(field::kSsid), "Cli");
    record.setText(field::kMacAddress, "0030f9000005");  // a MAC in lower case is the same printer's
    printer = NetworkPrinter{record};
    EXPECT_EQ(saveNetworkPrinter(context, netcfg::kBroadcast, printer, form).outcome,
              NetworkSaveResult::Saved);
    EXPECT_EQ(p.savesApplied(), 2);
    record.setText(field::kMacAddress, "0030F9000099");
    printer = NetworkPrinter{record};
    const std::uint32_t start = clock.tickMs();
    EXPECT_EQ(saveNetworkPrinter(context, netcfg::kBroadcast, printer, form).outcome,
              NetworkSaveResult::NoAnswer);
    EXPECT_GE(clock.tickMs() - start, 7000u);
}

// The site's key constant reaches the window's search: a printer keyed the same way is listed, one
// keyed with the built-in constant is not (its answers do not decipher).
struct SiteKeyedNetworkWindow : NetworkWindow {
    SiteKeyedNetworkWindow() { siteKey = netcfg::keyConstantFromText("00112233445566778899AABBCCDD"); }
};

TEST_F(SiteKeyedNetworkWindow, SearchFindsThePrintersOfTheSiteKeyOnly) {
    addBinary(3, std::nullopt, siteKey);
    addBinary(4);
    search();
    EXPECT_EQ(view.items(kPrinterList), std::vector<std::string>{"00:30:F9:00:00:03"});
}

// A WPA printer: "Using KEY ID" stays disabled; its pass phrase of 32 characters (no zero byte in its
// field) shows whole and a save without retyping derives the key the printer has; the export writes
// the key the form shows.
TEST_F(NetworkWindow, WpaPrinterFormKeyInUseOffFullPassphraseAndUnchangedSave) {
    auto& p = addBinary(6, ipv4(192, 168, 1, 60));
    DeviceRecord wanted = p.record();
    const std::string phrase(32, 'q');
    wanted.wifiWord = (4u << 16) | (2u << 19) | (1u << 4) | 1u;  // WPA2-PSK, AES, channel 1
    netcfg::setPassphrase(wanted, phrase);
    p.state().items = netcfg::buildPayload(wanted);
    const Bytes derived = [&] {
        DeviceRecord parsed;
        EXPECT_TRUE(netcfg::parsePayload(p.state().items, parsed));
        return Bytes(parsed.wpaPsk().begin(), parsed.wpaPsk().end());
    }();
    search();
    EXPECT_EQ(view.selectedText(kEncryptionList), "WPA");
    EXPECT_FALSE(view.enabled(kKeyInUseList));
    EXPECT_EQ(view.text(kWpaKey), phrase);
    typeLanAddress();
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_GE(p.state().writesApplied, 1);
    const DeviceRecord written = p.record();
    EXPECT_EQ(Bytes(written.wpaPsk().begin(), written.wpaPsk().end()), derived);
    EXPECT_EQ(netcfg::storedPassphrase(written), phrase);
    program.moduleKind = kModuleQuatech;  // a record module was found earlier
    ini.text = "[WiFiInfo]\n";
    view.closeBox();
    EXPECT_NE(ini.text->find("WPAKEY=" + phrase + "\n"), std::string::npos) << *ini.text;
}

// Neither XDG_STATE_HOME nor HOME: no place for the result file, and the operator hears of it.
struct NoResultPlaceNetworkWindow : NetworkWindow {
    NoResultPlaceNetworkWindow() { resultFile.clear(); }
};

TEST_F(NoResultPlaceNetworkWindow, TextSaveSaysTheResultFileWasNotCreated) {
    addText(5);
    search();
    desktop.script(kStatusWindowId, [&](FakeView& status) {
        pump();
        pump();
        status.fireTimer(ui::StatusWindow::kTimerId);
        EXPECT_TRUE(status.click(ui::IDOK));
    });
    ASSERT_TRUE(view.click(kNetworkSave));
    EXPECT_EQ(desktop.lastView(kStatusWindowId)->text(ui::StatusWindow::kText), "Save Completed !!!");
    EXPECT_EQ(messages().back(), ".\\result.out is not created !");
}

// --- the pure parts

TEST(NetworkSave, WepKeysArePackedWholeCutAndCleanedOfNonHexCharacters) {
    EXPECT_EQ(packWepKey("0123456789", 0, 5), (std::vector<std::uint8_t>{0x01, 0x23, 0x45, 0x67, 0x89}));
    EXPECT_EQ(packWepKey("01G2 3", 0, 5), (std::vector<std::uint8_t>{0x01, 0x23, 0, 0, 0}));
    EXPECT_EQ(packWepKey("00AB", 0, 5), (std::vector<std::uint8_t>{0x00, 0xAB, 0, 0, 0}))
        << "past a zero byte";
    EXPECT_EQ(packWepKey("abcdefgh", 1, 5), (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e'}));
    DeviceRecord r;
    r.wep104Keys[1].fill(0xEE);
    r.wep40Keys[2].fill(0xEE);
    storeWepKey(r, 1, kEncryptionWep128, "AB", 0);
    EXPECT_EQ(r.wep104Keys[1], (std::array<std::uint8_t, 13>{0xAB}));
    EXPECT_EQ(r.wep40Keys[2][0], 0xEE) << "the other slot set stays";
    storeWepKey(r, 0, kEncryptionWep128, "0123456789abcdef0123456789abcdef", 1);
    EXPECT_EQ(r.wep104Keys[1], (std::array<std::uint8_t, 13>{0xAB})) << "no overrun into the next key";
}

TEST(NetworkSave, ErrorTableAndTextKeyChecks) {
    EXPECT_EQ(networkErrorText(-604, kLanguageEnglish),
              "The port number 50005 is not available for Local Port.");
    EXPECT_EQ(networkErrorText(-602, kLanguageKorean), "Local and Modbus/TCP Port numbers are duplicated.");
    EXPECT_EQ(networkErrorText(-900, kLanguageKorean), "저장하기 위한 정보가 사용 가능하지 않습니다.");
    EXPECT_EQ(networkErrorText(ENETUNREACH, kLanguageEnglish),
              "Invalid Error Code [" + std::to_string(ENETUNREACH) + "]");
    RecordForm form;
    form.encryption = kEncryptionWep128;
    form.keyInUse = 2;
    form.keyTypes[2] = 1;
    form.keyTexts[2] = "abcdefghijklmn";
    EXPECT_EQ(checkTextSaveKeys(form), "Key3 Length is too long");
    form.keyTexts[2] = "abc";
    EXPECT_EQ(checkTextSaveKeys(form), std::nullopt);
    EXPECT_EQ(textSaveRecord(WifiSettingsRecord(), form).raw(field::kKey3).substr(0, 6), "616263");
    form.encryption = kEncryptionWpa;
    form.wpaKey = std::string(33, 'k');
    EXPECT_EQ(checkTextSaveKeys(form), "WPA Key Length is not long");
}

TEST(NetworkSave, SaveAnswerMacIsComparedIgnoringCase) {
    netcfg::TextFrame frame = netcfg::buildSearchFrame();
    std::memcpy(frame.data() + 3, "0030f9abcdef", 12);
    EXPECT_TRUE(netcfg::isSaveAnswerFor(frame, "0030F9ABCDEF"));
    EXPECT_FALSE(netcfg::isSaveAnswerFor(frame, "0030F9ABCDEE"));
}

// "Export...": the table as CSV (its column captions, then the printers in the list's order) to the
// file chosen; nothing found, a cancelled dialog or a failed write writes nothing and a failure says so.
TEST_F(NetworkWindow, ExportWritesTheTableAsCsv) {
    ASSERT_TRUE(view.select(kPortList, kNetworkPosition));
    EXPECT_TRUE(view.visible(kExport));
    ASSERT_TRUE(view.click(kExport));
    EXPECT_EQ(messages(), std::vector<std::string>{"Search for printers before exporting the list."});
    EXPECT_TRUE(written.empty());

    addBinary(1);
    addText(2);
    search();
    ASSERT_EQ(view.items(kPrinterList).size(), 2u);
    ASSERT_TRUE(view.click(kExport));  // cancelled
    EXPECT_TRUE(written.empty());

    desktop.answerSaveFile("/fleet/printers.csv");
    ASSERT_TRUE(view.click(kExport));
    EXPECT_EQ(written["/fleet/printers.csv"],
              "MAC,IP,Protocol,Product,SSID\r\n"
              "00:30:F9:00:00:01,127.0.1.1,binary,21,HollinNet\r\n"
              "00:30:F9:00:00:02,127.0.2.3,text,,HollinText\r\n");

    writeFails = true;
    desktop.answerSaveFile("/fleet/again.csv");
    ASSERT_TRUE(view.click(kExport));
    EXPECT_EQ(messages().back(), "The list could not be written to /fleet/again.csv");
    EXPECT_EQ(written.size(), 1u);
}

}  // namespace
}  // namespace hollin::wifi
