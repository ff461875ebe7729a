// hollinctl's arguments and commands against an in-process virtual printer on a virtual clock: what
// the printer keeps, the exit code, and what is written out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_request.h"
#include "cli/cli_runner.h"
#include "fonts/font_codec.h"
#include "netprinters/network_inventory.h"
#include "platform/memory_network.h"
#include "printer/printer_commands.h"
#include "sim/bluetooth.h"
#include "sim/fonts.h"
#include "sim/network_printer.h"
#include "sim/virtual_printer.h"
#include "sim/wifi_module.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"
#include "wificodec/record_save.h"

namespace hollin::cli {
namespace {

using test::VirtualSerialPort;
using test::VirtualUsbFinder;

using hollin::test::NoSpooler;

class HeldSpooler final : public Spooler {
  public:
    SpoolerListing localPrinters() override {
        return {SpoolerListing::Status::Listed, {{"Dock label printer", "COM1:"}}};
    }
};

// Font files in memory.
class MemoryFontFiles final : public fonts::FontFiles {
  public:
    std::map<std::string, Bytes> files;
    std::optional<Read> read(const std::string& path, std::uint64_t limit) override {
        const auto found = files.find(path);
        if (found == files.end())
            return std::nullopt;
        const Bytes& bytes = found->second;
        return Read{bytes.size(),
                    Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                             std::min<std::uint64_t>(limit, bytes.size())))};
    }
    Written replace(const std::string& path, std::span<const std::uint8_t> bytes) override {
        files[path] = Bytes(bytes.begin(), bytes.end());
        return Written::Done;
    }
    std::vector<std::string> trueTypeFiles(const std::string&) override { return {}; }
};

constexpr const char* kCom1 = "/dev/hollin-test-com1";

// One virtual printer as COM1, a port map that sees no real device, no spooler, no network.
struct Bench {
    explicit Bench(int emulation) : printer(clock, emulation, "Alder") {}
    VirtualClock clock{100000};
    sim::VirtualPrinter printer;
    VirtualSerialPort port{printer, clock, kCom1};
    VirtualUsbFinder usb{printer};
    PortMap ports{{}, [](const std::string& name) -> std::optional<std::string> {
                      if (name == "HOLLIN_COM1")
                          return std::string(kCom1);
                      return std::nullopt;
                  }};
    NoSpooler noSpooler;
    Spooler* spooler = &noSpooler;
    MemoryNetwork network{clock};
    std::optional<std::string> secret;
    MemoryFontFiles fontFiles;
    std::map<std::string, std::string> files;
    std::vector<int> progress;
    Output output;

    int run(std::vector<std::string> args) {
        const ParsedRequest parsed = parseArguments(std::move(args));
        EXPECT_TRUE(parsed.request) << parsed.error;
        if (!parsed.request)
            return -1;
        Deps deps{.clock = clock,
                  .serialPorts = VirtualSerialPort::factoryFor(port),
                  .ports = ports,
                  .usbFinder = usb,
                  .spooler = *spooler,
                  .network = network,
                  .usbNodes = [] { return std::vector<std::string>{"/dev/usb/lp0"}; },
                  .readSecret = [this](const std::string&) { return secret; },
                  .broadcastEnvironment = std::nullopt,
                  .fontFiles = fontFiles,
                  .readFile = [this](const std::string& path) -> std::optional<std::string> {
                      const auto found = files.find(path);
                      if (found == files.end())
                          return std::nullopt;
                      return found->second;
                  },
                  .writeFile =
                      [this](const std::string& path, const std::string& text) {
                          files[path] = text;
                          return true;
                      },
                  .progress = [this](std::string_view, int percent) { progress.push_back(percent); }};
        output = {};
        return cli::run(*parsed.request, deps, output);
    }
    std::size_t commandBytes() const { return port.commandBytes().size(); }
};

// --- arguments
struct ArgumentCase {
    std::vector<std::string> args;
    std::string error;  // empty: accepted
};

TEST(CliArguments, LineOptionsAndValuesAreCheckedAsTheWindowChecksThem) {
    const ArgumentCase cases[] = {
        {{"identify"}, ""},
        {{"--port", "USB", "--json", "identify"}, ""},
        {{"--baud", "9600", "--parity", "even", "--data-bits", "7", "identify"}, ""},
        {{"--baud", "9601", "identify"}, "--baud: 9601 is none of"},
        {{"--parity", "mark", "identify"}, "--parity: mark"},
        {{"--data-bits", "7", "identify"}, "Data Bits=7, Parity=NONE is not supported"},
        {{"--stop-bits", "3", "identify"}, "--stop-bits"},
        {{"--flow", "rts", "identify"}, "--flow"},
        {{"--sensor", "middle", "identify"}, "--sensor"},
        {{"--port"}, "--port needs a value"},
        {{"--id", "10", "font", "list"}, "--id: 10 is no font ID"},
        {{"--memory", "rom", "font", "list"}, "--memory"},
        {{"--ports", "COM1,LPT1", "profile", "apply", "p.json"}, "--ports: LPT1"},
        {{"--pin", "1234", "set", "bt-pin"}, "unknown option --pin"},
        {{"--simulate", "--emulation", "XYZ", "identify"}, "unknown emulation"},
        {{}, "no command given"},
    };
    for (const auto& c : cases) {
        const ParsedRequest parsed = parseArguments(c.args);
        if (c.error.empty()) {
            EXPECT_TRUE(parsed.request) << c.args.front() << ": " << parsed.error;
        } else {
            EXPECT_FALSE(parsed.request) << c.error;
            EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
        }
    }
    const auto line = parseArguments({"--baud", "9600", "--stop-bits", "2", "identify"}).request->line;
    EXPECT_EQ(line.baud, 9600);
    EXPECT_EQ(line.stopBits, 2);
}

// A refused value sends nothing, not even the probe, and names the argument.
TEST(CliArguments, RefusedValuesSendNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"set", "power-save", "power-save", "256"},
        {"set", "power-save", "sleep"},
        {"set", "density", "+4"},
        {"set", "media", "glossy"},
        {"set", "bt-name", "a-name-of-nineteen!"},
        {"set", "bt-pin"},
        {"set", "advanced", "tone=255"},
        {"set", "advanced", "colour=1"},
        {"set", "serial-line", "baud=1234"},
        {"set", "discoverable", "maybe"},
        {"calibrate", "ribbon"},
        {"font", "download", "missing.ttf"},
        {"font", "download", "tiny.ttf"},
        {"wifi", "set", "wpa-key=on-the-command-line"},
        {"wifi", "set", "tcp-port=65536"},
        {"wifi", "set", "ip=10.0.0"},
        {"wifi", "set", "ssid=a-network-name-over-thirty-two-bytes"},
        {"wifi", "set", "encryption=wep64", "channel=15"},
        {"wifi", "enterprise", "colour=blue"},
        {"profile", "apply", "bad.json"},
        {"profile", "apply", "unknown-setting.json"},
    };
    for (const auto& args : cases) {
        Bench bench(kCpcl);
        bench.fontFiles.files["tiny.ttf"] = Bytes(224, 0x41);
        bench.files["bad.json"] = R"({"hollinctl-profile": 1, "bluetooth": {"bt-name": "x")";
        bench.files["unknown-setting.json"] = R"({"hollinctl-profile": 1, "settings": {"colour": "blue"}})";
        EXPECT_EQ(bench.run(args), kExitRefused) << args[1] << " " << args.back();
        EXPECT_TRUE(bench.port.writes().empty()) << args[1];
        EXPECT_NE(bench.output.err.find("hollinctl: "), std::string::npos);
    }
}

// --- commands against the printer
struct SettingCase {
    int emulation;
    std::vector<std::string> args;
    std::function<bool(const sim::VirtualPrinter&)> kept;
};

TEST(CliCommands, EachSettingReachesThePrinter) {
    const SettingCase cases[] = {
        {kEscPos, {"set", "density", "+3"}, [](auto& p) { return p.settings().density == 5; }},
        {kCpcl,
         {"set", "power-save", "power-save", "30"},
         [](auto& p) { return p.settings().powerSaveMode == 2 && p.settings().powerSaveMinutes == 30; }},
        {kEscPos, {"set", "code-page", "CP_850"}, [](auto& p) { return p.settings().codePage == 2; }},
        {kEscPos, {"set", "compatible", "on"}, [](auto& p) { return p.settings().compatibleMode == 1; }},
        {kCpcl,
         {"--sensor", "upper", "set", "media", "black-mark"},
         [](auto& p) {
             return p.settings().mediaMode == sim::MediaMode::kBlackMark &&
                    p.settings().sensorPosition == sim::SensorPosition::kUpper;
         }},
        {kCpcl, {"calibrate", "gap"}, [](auto& p) { return p.settings().gapCalibrations == 1; }},
        {kCpcl, {"print-code-page"}, [](auto& p) { return p.settings().codePageSamplesPrinted == 1; }},
        {kCpcl, {"set", "emulation", "escpos"}, [](auto& p) { return p.emulation() == kEscPos; }},
        {kCpcl, {"set", "bt-name", "Dock-7"}, [](auto& p) { return p.bluetooth().name == "Dock-7"; }},
        {kCpcl, {"set", "ble", "on"}, [](auto& p) { return p.bluetooth().ble; }},
        {kCpcl, {"set", "discoverable", "off"}, [](auto& p) { return !p.bluetooth().discoverable; }},
    };
    for (const auto& c : cases) {
        Bench bench(c.emulation);
        EXPECT_EQ(bench.run(c.args), kExitDone) << c.args[1] << bench.output.err;
        EXPECT_TRUE(c.kept(bench.printer)) << c.args[1];
        EXPECT_NE(bench.output.out.find("result: done"), std::string::npos) << c.args[1];
    }
}

TEST(CliCommands, AdvancedOptionsAreReadChangedAndReadBack) {
    Bench bench(kCpcl);
    EXPECT_EQ(bench.run({"set", "advanced", "tone=7", "left=3"}), kExitDone) << bench.output.err;
    EXPECT_EQ(bench.run({"--json", "get", "advanced"}), kExitDone);
    EXPECT_NE(bench.output.out.find("\"left\": 3"), std::string::npos) << bench.output.out;
    EXPECT_NE(bench.output.out.find("\"tone\": 7"), std::string::npos) << bench.output.out;
    EXPECT_NE(bench.output.out.find("\"emulation\": \"CPCL\""), std::string::npos);
}

TEST(CliCommands, PinComesFromTheSecretFileAndNeverAppearsInOutput) {
    Bench bench(kCpcl);
    bench.secret = "4821\n";
    EXPECT_EQ(bench.run({"--json", "--secret-file", "-", "set", "bt-pin"}), kExitDone) << bench.output.err;
    EXPECT_EQ(bench.printer.bluetooth().pin, "4821");
    EXPECT_EQ(bench.output.out.find("4821"), std::string::npos);
    EXPECT_EQ(bench.output.err.find("4821"), std::string::npos);
    bench.secret = "48a1";
    EXPECT_EQ(bench.run({"--secret-file", "-", "set", "bt-pin"}), kExitRefused);
    EXPECT_EQ(bench.output.err.find("48a1"), std::string::npos);
}

TEST(CliCommands, SilentPrinterGivesNoResponseAndNoSuccessLine) {
    Bench bench(kCpcl);
    bench.printer.setSilent(true);
    EXPECT_EQ(bench.run({"set", "density", "0"}), kExitNoResponse);
    EXPECT_TRUE(bench.output.out.empty()) << bench.output.out;
    EXPECT_NE(bench.output.err.find("No Response in printer"), std::string::npos);
    EXPECT_EQ(bench.run({"--json", "identify"}), kExitNoResponse);
    EXPECT_NE(bench.output.out.find("\"result\": \"failed\""), std::string::npos);
    EXPECT_EQ(bench.output.out.find("done"), std::string::npos);
}

TEST(CliCommands, PortHeldByAPrintQueueIsNotOpened) {
    Bench bench(kCpcl);
    HeldSpooler held;
    bench.spooler = &held;
    EXPECT_EQ(bench.run({"identify"}), kExitDeviceBusy);
    EXPECT_EQ(bench.port.openCount(), 0);
    EXPECT_NE(bench.output.err.find("Dock label printer"), std::string::npos);
}

TEST(CliCommands, APortThatDoesNotOpenIsNamedWithItsReason) {
    Bench bench(kCpcl);
    EXPECT_EQ(bench.run({"--port", "COM5", "identify"}), kExitDeviceBusy);
    EXPECT_NE(bench.output.err.find("cannot open COM5\nCOM5: no such device."), std::string::npos)
        << bench.output.err;
}

TEST(CliCommands, IdentifyOverUsbAndPortsList) {
    Bench bench(kZpl);
    EXPECT_EQ(bench.run({"--port", "USB", "identify"}), kExitDone) << bench.output.err;
    EXPECT_NE(bench.output.out.find("emulation: ZPL"), std::string::npos) << bench.output.out;
    EXPECT_EQ(bench.run({"ports"}), kExitDone);
    EXPECT_EQ(bench.output.out, std::string("COM1 ") + kCom1 + "\nUSB /dev/usb/lp0\n");
    EXPECT_EQ(bench.run({"net", "search", "--directed", "10.0.0.300"}), kExitRefused);
    // An ESC/POS printer's code page list is the general one: an EPL-only page is refused unsent.
    Bench escPos(kEscPos);
    EXPECT_EQ(escPos.run({"--json", "set", "code-page", "CP_861"}), kExitRefused);
    EXPECT_NE(escPos.output.err.find("code page list"), std::string::npos) << escPos.output.err;
    EXPECT_EQ(escPos.output.out.find("\"error\"", escPos.output.out.find("\"error\"") + 1),
              std::string::npos);
    EXPECT_EQ(escPos.run({"set", "code-page", "28"}), kExitDone);
    EXPECT_EQ(escPos.printer.settings().codePage, 28);
}

// The module's settings are shown without its key; reset reaches the module.
TEST(CliCommands, WifiGetShowsNoKeyAndResetReachesTheModule) {
    for (const auto kind : {sim::WifiModuleState::Kind::Quatech, sim::WifiModuleState::Kind::Sollae}) {
        Bench bench(kCpcl);
        bench.printer.setWifiModuleKind(static_cast<int>(kind));
        EXPECT_EQ(bench.run({"--json", "wifi", "get"}), kExitDone) << bench.output.err;
        EXPECT_NE(bench.output.out.find("\"ssid\": \"HollinLab\""), std::string::npos) << bench.output.out;
    }
    Bench quatech(kCpcl);
    quatech.printer.setWifiModuleKind(static_cast<int>(sim::WifiModuleState::Kind::Quatech));
    const std::string key = quatech.printer.wifiModule().record.line(wifi::field::kWpaKey);
    ASSERT_FALSE(key.empty());
    EXPECT_EQ(quatech.run({"wifi", "get"}), kExitDone);
    EXPECT_EQ(quatech.output.out.find(key), std::string::npos);
    EXPECT_EQ(quatech.run({"wifi", "reset"}), kExitDone);
    EXPECT_EQ(quatech.printer.wifiModule().resets, 1);
}

// A TrueType file goes out whole to a CPCL printer, with its ".tfd" copy; the printer lists it and
// deletes it by name.
TEST(CliCommands, FontDownloadListAndDelete) {
    Bench bench(kCpcl);
    Bytes font(4096);
    for (std::size_t i = 0; i < font.size(); ++i)
        font[i] = static_cast<std::uint8_t>(i * 7);
    bench.fontFiles.files["/fonts/Dock.ttf"] = font;
    EXPECT_EQ(bench.run({"--id", "3", "--memory", "ram", "--save-tfd", "/out/dock", "font", "download",
                         "/fonts/Dock.ttf"}),
              kExitDone)
        << bench.output.err;
    ASSERT_EQ(bench.printer.fonts().fonts.size(), 1u);
    const sim::StoredFont stored = bench.printer.fonts().fonts[0];
    EXPECT_EQ(stored.name, "Dock");
    EXPECT_EQ(stored.id, 3);
    EXPECT_EQ(stored.memory, 0);
    EXPECT_EQ(stored.size, font.size());
    EXPECT_EQ(bench.fontFiles.files["/out/dock.tfd"],
              fonts::fontDownloadStream(3, fonts::FontMemory::Ram, "Dock", font));
    EXPECT_EQ(bench.progress.back(), 100);
    EXPECT_EQ(bench.run({"--json", "font", "list"}), kExitDone);
    EXPECT_NE(bench.output.out.find("\"fonts\": 1"), std::string::npos) << bench.output.out;
    EXPECT_EQ(bench.run({"font", "delete", "Other"}), kExitRefused);
    EXPECT_EQ(bench.run({"font", "delete", "Dock"}), kExitDone) << bench.output.err;
    EXPECT_TRUE(bench.printer.fonts().fonts.empty());
    Bench escPos(kEscPos);
    EXPECT_EQ(escPos.run({"font", "list"}), kExitUnsupported);
}

// wifi set reaches the module's stored settings; its key comes from the secret file and shows nowhere.
TEST(CliCommands, WifiSetStoresTheModulesSettings) {
    Bench quatech(kCpcl);
    quatech.printer.setWifiModuleKind(static_cast<int>(sim::WifiModuleState::Kind::Quatech));
    quatech.secret = "wpa-key=a-new-phrase-for-the-dock\n";
    EXPECT_EQ(quatech.run({"--secret-file", "-", "wifi", "set", "ssid=Dock-7", "dhcp=off", "ip=10.1.2.3",
                           "tcp-port=9100"}),
              kExitDone)
        << quatech.output.err;
    const wifi::WifiSettingsRecord record = quatech.printer.wifiModule().record;
    EXPECT_EQ(record.line(wifi::field::kSsid), "Dock-7");
    EXPECT_EQ(record.digit(wifi::field::kDhcp), '0');
    EXPECT_EQ(record.text(wifi::field::kIp), "0A010203");
    EXPECT_EQ(record.text(wifi::field::kTcpPort), "238C");
    EXPECT_EQ(record.text(wifi::field::kWpaKey), "a-new-phrase-for-the-dock");
    EXPECT_EQ(quatech.output.out.find("a-new-phrase"), std::string::npos);
    EXPECT_FALSE(quatech.progress.empty());

    // 802.1X by Accept's rules: PEAP takes an identity and a CA name, not a client certificate.
    quatech.secret = "password=s3cret-eap\n";
    EXPECT_EQ(
        quatech.run({"--secret-file", "-", "wifi", "enterprise", "eap=PEAP", "id=alice", "client=c.pem"}),
        kExitRefused);
    EXPECT_EQ(quatech.run({"--secret-file", "-", "wifi", "enterprise", "eap=peap", "id=alice", "ca=ca.pem"}),
              kExitDone)
        << quatech.output.err;
    const wifi::WifiSettingsRecord eap = quatech.printer.wifiModule().record;
    EXPECT_EQ(eap.digit(wifi::field::kEapMethod), '1');
    EXPECT_EQ(wifi::enterpriseText(eap, wifi::field::kEapId), "alice");
    EXPECT_EQ(wifi::enterpriseText(eap, wifi::field::kCaCertificate), "ca.pem");
    EXPECT_EQ(wifi::enterpriseText(eap, wifi::field::kEapPassword), "s3cret-eap");
    EXPECT_EQ(quatech.output.out.find("s3cret"), std::string::npos);

    Bench sollae(kCpcl);
    sollae.printer.setWifiModuleKind(static_cast<int>(sim::WifiModuleState::Kind::Sollae));
    EXPECT_EQ(sollae.run({"wifi", "set", "ssid=Dock-8", "channel=11"}), kExitDone) << sollae.output.err;
    EXPECT_EQ(sollae.printer.wifiModule().flashes, 1);
    EXPECT_EQ(sollae.run({"--json", "wifi", "get"}), kExitDone);
    EXPECT_NE(sollae.output.out.find("\"ssid\": \"Dock-8\""), std::string::npos) << sollae.output.out;
    EXPECT_NE(sollae.output.out.find("\"channel\": 11"), std::string::npos) << sollae.output.out;
    // The window's key rule: WEP128 wants 26 hexadecimal digits; nothing reaches the module.
    sollae.secret = "wep-key=0123456789\n";
    const std::size_t before = sollae.port.writes().size();
    EXPECT_EQ(sollae.run({"--secret-file", "-", "wifi", "set", "encryption=wep128"}), kExitRefused);
    EXPECT_NE(sollae.output.err.find("Key Length is not matched"), std::string::npos) << sollae.output.err;
    EXPECT_EQ(sollae.port.writes().size(), before);
}

// A profile read from one printer and written to another leaves the second as the first; without
// --with-secrets no key is in the file, and no key is in any output.
TEST(CliCommands, ProfileSaveThenApplyGivesEqualState) {
    Bench first(kCpcl);
    first.printer.setWifiModuleKind(static_cast<int>(sim::WifiModuleState::Kind::Quatech));
    ASSERT_EQ(first.run({"set", "advanced", "tone=9", "left=4"}), kExitDone);
    ASSERT_EQ(first.run({"set", "bt-name", "Dock-Fleet"}), kExitDone);
    ASSERT_EQ(first.run({"set", "discoverable", "off"}), kExitDone);
    first.secret = "wpa-key=fleet-phrase-0042\n";
    ASSERT_EQ(first.run({"--secret-file", "-", "wifi", "set", "ssid=Fleet", "channel=6"}), kExitDone);
    EXPECT_EQ(first.run({"profile", "save", "fleet.json"}), kExitDone) << first.output.err;
    const std::string plain = first.files["fleet.json"];
    EXPECT_EQ(plain.find("fleet-phrase-0042"), std::string::npos) << plain;
    EXPECT_EQ(first.run({"--with-secrets", "profile", "save", "secret.json"}), kExitDone);
    EXPECT_NE(first.files["secret.json"].find("fleet-phrase-0042"), std::string::npos);
    EXPECT_EQ(first.output.out.find("fleet-phrase-0042"), std::string::npos);

    Bench second(kCpcl);
    second.printer.setWifiModuleKind(static_cast<int>(sim::WifiModuleState::Kind::Quatech));
    second.files = first.files;
    EXPECT_EQ(second.run({"--json", "profile", "apply", "secret.json"}), kExitDone) << second.output.err;
    EXPECT_EQ(second.output.out.find("fleet-phrase-0042"), std::string::npos);
    EXPECT_EQ(second.output.err.find("fleet-phrase-0042"), std::string::npos);
    EXPECT_EQ(second.printer.optionBlock(kCpcl), first.printer.optionBlock(kCpcl));
    EXPECT_EQ(second.printer.bluetooth().name, "Dock-Fleet");
    EXPECT_EQ(second.printer.bluetooth().discoverable, first.printer.bluetooth().discoverable);
    const auto& a = first.printer.wifiModule().record;
    const auto& b = second.printer.wifiModule().record;
    for (const auto f : {wifi::field::kSsid, wifi::field::kChannel, wifi::field::kWpaKey, wifi::field::kDhcp,
                         wifi::field::kEncryption, wifi::field::kWpa})
        EXPECT_EQ(b.raw(f), a.raw(f)) << f.offset;
}

// profile apply goes on after a printer that fails, reports each, and ends with the failure's code.
TEST(CliCommands, ProfileApplyGoesOnAfterAFailedPrinter) {
    Bench bench(kCpcl);
    bench.files["p.json"] = R"({"hollinctl-profile": 1, "settings": {"density": "+2"}})";
    bench.printer.setSilent(true);
    EXPECT_EQ(bench.run({"--json", "--ports", "COM1,USB", "profile", "apply", "p.json"}), kExitNoResponse);
    const auto firstLine = bench.output.out.substr(0, bench.output.out.find('\n'));
    EXPECT_NE(firstLine.find("\"result\": \"failed\""), std::string::npos) << bench.output.out;
    EXPECT_NE(bench.output.out.find("\"port\": \"USB\""), std::string::npos) << bench.output.out;
}

// net save: a binary-protocol and a text-frame printer on the in-memory network, each found by its
// MAC and written with the form over what it answered; refusals send nothing.
TEST(CliNetSave, EachProtocolStoresTheEditsAndARefusalSendsNothing) {
    Bench bench(kCpcl);
    constexpr Ipv4 kAll = 0xFFFFFFFFu;
    sim::BinaryNetworkPrinter binary(bench.network, bench.clock, ipv4(127, 0, 1, 1), kAll,
                                     sim::makeBinaryPrinter(1, ipv4(127, 0, 1, 1)));
    sim::TextNetworkPrinter text(bench.network, ipv4(127, 0, 2, 1), kAll,
                                 sim::makeTextRecord(5, ipv4(127, 0, 2, 1)));
    ASSERT_EQ(binary.start(), 0);
    ASSERT_EQ(text.start(), 0);
    bench.network.addService(binary);
    bench.network.addService(text);
    const std::vector<std::string> net = {"--broadcast", "255.255.255.255", "net", "save"};
    auto run = [&](std::vector<std::string> words) {
        words.insert(words.begin(), net.begin(), net.end());
        return bench.run(words);
    };
    const auto before = binary.record();
    struct Refusal {
        std::vector<std::string> words;
        std::string error;
    };
    const Refusal refusals[] = {
        {{"00:30:F9:00:01"}, "six two-digit"},
        {{"00:30:F9:00:00:01", "ssid=Lab"}, "ip: Wrong Local IP address."},  // its loopback address
        {{"00:30:F9:00:00:01", "encryption=wpa"}, "wpa-auth: encryption wpa needs"},
        {{"00:30:F9:00:00:01", "tcp-port=70000"}, "tcp-port: The TCP port must be"},
        {{"00:30:F9:00:00:01", "wpa-key=secret1234"}, "a secret comes only from --secret-file"},
    };
    for (const Refusal& r : refusals) {
        EXPECT_EQ(run(r.words), kExitRefused) << r.error;
        EXPECT_NE(bench.output.err.find(r.error), std::string::npos) << bench.output.err;
        EXPECT_TRUE(bench.output.out.empty());
        EXPECT_EQ(binary.record().wifiWord, before.wifiWord) << r.error;
        EXPECT_EQ(binary.record().channels[0].localPort(), before.channels[0].localPort()) << r.error;
    }
    EXPECT_EQ(run({"00:30:F9:00:00:77", "ssid=Lab"}), kExitNoResponse);

    EXPECT_EQ(
        run({"00:30:f9:00:00:01", "ssid=Lab", "channel=11", "ip=192.168.1.50", "netmask=255.255.255.0"}),
        kExitDone)
        << bench.output.err;
    const netcfg::DeviceRecord stored = binary.record();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.ssid.data()), 3), "Lab");
    EXPECT_EQ((stored.wifiWord >> 4) & 0xF, 11u);
    EXPECT_EQ(stored.ipAddress, (wifi::Octets{192, 168, 1, 50}));

    bench.secret = "wpa-key=TextPass123";
    EXPECT_EQ(run({"--secret-file", "-", "0030F9000005", "ssid=Shop", "encryption=wpa", "wpa-auth=wpa2-psk",
                   "wpa-cipher=aes"}),
              kExitDone)
        << bench.output.err;
    EXPECT_NE(bench.output.out.find("protocol: text"), std::string::npos);
    EXPECT_EQ(bench.output.out.find("TextPass123"), std::string::npos);
    const auto record = wifi::WifiSettingsRecord::fromBytes(text.record());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->line(wifi::field::kSsid), "Shop");
    EXPECT_EQ(record->digit(wifi::field::kWpa), '2');
    EXPECT_EQ(record->digit(wifi::field::kWpaEnc), '2');
    EXPECT_EQ(record->text(wifi::field::kWpaKey), "TextPass123");
    bench.network.removeService(binary);
    bench.network.removeService(text);
}

// A small mixed fleet on the in-memory network: binary printers from 127.0.1.1 on, then text ones.
struct Fleet {
    Fleet(Bench& bench, int binaryCount, int textCount) : bench(bench) {
        Ipv4 address = ipv4(127, 0, 1, 1);
        for (int i = 1; i <= binaryCount; ++i, ++address) {
            binary.push_back(std::make_unique<sim::BinaryNetworkPrinter>(
                bench.network, bench.clock, address, kAll, sim::makeBinaryPrinter(i, address)));
            EXPECT_EQ(binary.back()->start(), 0);
            bench.network.addService(*binary.back());
        }
        for (int i = 1; i <= textCount; ++i, ++address) {
            text.push_back(std::make_unique<sim::TextNetworkPrinter>(
                bench.network, address, kAll, sim::makeTextRecord(binaryCount + i, address)));
            EXPECT_EQ(text.back()->start(), 0);
            bench.network.addService(*text.back());
        }
    }
    ~Fleet() {
        for (auto& printer : binary)
            bench.network.removeService(*printer);
        for (auto& printer : text)
            bench.network.removeService(*printer);
    }
    int run(std::vector<std::string> words) {
        words.insert(words.begin(), {"--broadcast", "255.255.255.255", "net"});
        return bench.run(words);
    }
    static constexpr Ipv4 kAll = 0xFFFFFFFFu;
    Bench& bench;
    std::vector<std::unique_ptr<sim::BinaryNetworkPrinter>> binary;
    std::vector<std::unique_ptr<sim::TextNetworkPrinter>> text;
};

// The inventory of a mixed search, sorted by IP address whatever the protocol, as CSV and as JSON lines.
TEST(CliNetSearch, MixedFleetAsCsvAndJsonLines) {
    Bench bench(kCpcl);
    Fleet fleet(bench, 2, 1);
    // The second binary printer moved below the first: the rows follow the addresses, not the MACs.
    fleet.binary[1]->state().items = sim::makeBinaryPrinter(2, ipv4(127, 0, 0, 9)).items;
    ASSERT_EQ(fleet.run({"search", "--csv"}), kExitDone) << bench.output.err;
    EXPECT_EQ(
        bench.output.out,
        "mac,protocol,ip,netmask,gateway,dhcp,product,firmware,ssid,mode,channel,security,tcp-port\r\n"
        "00:30:F9:00:00:02,binary,127.0.0.9,255.0.0.0,127.0.0.1,off,21,1.6.2,HollinNet,infrastructure,6,"
        "none,9100\r\n"
        "00:30:F9:00:00:01,binary,127.0.1.1,255.0.0.0,127.0.0.1,off,21,1.6.2,HollinNet,infrastructure,6,"
        "none,9100\r\n"
        "00:30:F9:00:00:03,text,127.0.1.3,255.0.0.0,127.0.0.1,off,,,HollinText,infrastructure,6,none,"
        "9100\r\n");
    ASSERT_EQ(fleet.run({"search", "--json"}), kExitDone);
    const std::string firstLine = bench.output.out.substr(0, bench.output.out.find('\n') + 1);
    EXPECT_EQ(
        firstLine,
        "{\"mac\": \"00:30:F9:00:00:02\", \"protocol\": \"binary\", \"ip\": \"127.0.0.9\", "
        "\"netmask\": \"255.0.0.0\", \"gateway\": \"127.0.0.1\", \"dhcp\": false, \"product\": \"21\", "
        "\"firmware\": \"1.6.2\", \"ssid\": \"HollinNet\", \"mode\": \"infrastructure\", \"channel\": 6, "
        "\"security\": \"none\", \"tcp-port\": 9100}\n");
    EXPECT_EQ(std::count(bench.output.out.begin(), bench.output.out.end(), '\n'), 3);
    // RFC 4180: a field with a comma, quote or line break is quoted, its quotes doubled.
    const std::pair<std::string, std::string> fields[] = {{"Depot", "Depot"},
                                                          {"A,B", "\"A,B\""},
                                                          {"say \"hi\"", "\"say \"\"hi\"\"\""},
                                                          {"a\r\nb", "\"a\r\nb\""}};
    for (const auto& [text, csv] : fields)
        EXPECT_EQ(wifi::csvField(text), csv);
}

// net apply to twenty printers of both protocols: one refuses the password, one never answers a
// write (tried twice); the others hold the profile afterwards; a dry run and a refused value in the
// file write nothing.
TEST(CliNetApply, FleetResultsPerPrinterAndWhatThePrintersHold) {
    Bench bench(kCpcl);
    Fleet fleet(bench, 16, 4);
    fleet.binary[3]->state().password = {'l', 'o', 'c', 'k', 'e', 'd'};  // its answer carries none
    fleet.binary[7]->misbehave(sim::NetFault::DeafToWrites);
    std::string addresses;
    for (int i = 1; i <= 16; ++i) {
        char entry[96];
        std::snprintf(entry, sizeof entry,
                      "%s\"00:30:F9:00:00:%02X\": {\"ip\": \"10.1.0.%d\", \"netmask\": \"255.255.0.0\"}",
                      i > 1 ? ", " : "", i, i);
        addresses += entry;
    }
    bench.files["fleet.json"] = "{\"ssid\": \"Depot\", \"channel\": 11, \"addresses\": {" + addresses + "}}";
    bench.files["bad.json"] = "{\"ssid\": \"Depot\", \"channel\": 15}";
    bench.files["secret.json"] = "{\"wpa-key\": \"inTheFile\"}";
    const auto unchanged = [&] {
        for (const auto& printer : fleet.binary)
            if (printer->state().writesToItSeen != 0)
                return false;
        for (const auto& printer : fleet.text)
            if (printer->savesApplied() != 0)
                return false;
        return true;
    };
    struct Refusal {
        std::vector<std::string> words;
        std::string error;
    };
    const Refusal refusals[] = {
        {{"apply", "bad.json", "--all"}, "channel: a channel from 1 to 14"},
        {{"apply", "secret.json", "--all"}, "a secret comes only from --secret-file"},
        {{"apply", "fleet.json"}, "--all | --mac"},
        {{"apply", "fleet.json", "--mac", "00:30:F9"}, "--mac: 00:30:F9"},
    };
    for (const Refusal& r : refusals) {
        EXPECT_EQ(fleet.run(r.words), kExitRefused) << r.error;
        EXPECT_NE(bench.output.err.find(r.error), std::string::npos) << bench.output.err;
    }
    ASSERT_EQ(fleet.run({"apply", "fleet.json", "--all", "--dry-run"}), kExitDone) << bench.output.err;
    EXPECT_NE(bench.output.out.find("00:30:F9:00:00:01 127.0.1.1 binary:\n  ssid: HollinNet -> Depot\n"
                                    "  ip: 127.0.1.1 -> 10.1.0.1\n  netmask: 255.0.0.0 -> 255.255.0.0\n"
                                    "  channel: 6 -> 11\n"),
              std::string::npos)
        << bench.output.out;
    EXPECT_NE(bench.output.out.find("00:30:F9:00:00:14 127.0.1.20 text:\n  ssid: HollinText -> Depot\n"),
              std::string::npos);
    EXPECT_TRUE(unchanged());

    EXPECT_EQ(fleet.run({"apply", "fleet.json", "--all"}), kExitFailed) << bench.output.err;
    EXPECT_NE(bench.output.out.find("00:30:F9:00:00:04 127.0.1.4 binary: password refused"),
              std::string::npos)
        << bench.output.out;
    EXPECT_NE(bench.output.out.find("00:30:F9:00:00:08 127.0.1.8 binary: no answer"), std::string::npos);
    EXPECT_NE(bench.output.out.find("20 printer(s): 18 done, 1 no answer, 1 password refused\n"),
              std::string::npos);
    EXPECT_EQ(fleet.binary[7]->state().writesToItSeen, 4);  // two tries, each sent twice
    for (std::size_t i = 0; i < fleet.binary.size(); ++i) {
        const netcfg::DeviceRecord held = fleet.binary[i]->record();
        const bool changed = i != 3 && i != 7;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(held.ssid.data()), 5) == "Depot", changed) << i;
        if (changed) {
            EXPECT_EQ(held.ipAddress, (wifi::Octets{10, 1, 0, static_cast<std::uint8_t>(i + 1)}));
            EXPECT_EQ((held.wifiWord >> 4) & 0xF, 11u);
        }
    }
    for (const auto& printer : fleet.text) {
        const auto record = wifi::WifiSettingsRecord::fromBytes(printer->record());
        ASSERT_TRUE(record);
        EXPECT_EQ(record->line(wifi::field::kSsid), "Depot");
        EXPECT_EQ(record->decimal(wifi::field::kChannel), 11);
    }
    // A MAC that does not answer is a result of its own; the selected ones only are written.
    EXPECT_EQ(fleet.run({"apply", "fleet.json", "--mac", "00:30:f9:00:00:11", "--mac", "00:30:F9:00:00:77"}),
              kExitFailed);
    EXPECT_EQ(
        bench.output.out,
        "00:30:F9:00:00:11 127.0.1.17 text: done\n00:30:F9:00:00:77 - : no answer (no printer with this "
        "MAC answered the search)\n2 printer(s): 1 done, 1 no answer\n");
}

}  // namespace
}  // namespace hollin::cli
