#include "wifi/module_exchange.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/hex.h"
#include "link/printer_link.h"
#include "link/usb_link.h"
#include "sim/virtual_printer.h"
#include "sim/wifi_module.h"
#include "support/virtual_serial_port.h"
#include "wifi/module_operations.h"

namespace hollin::wifi {
namespace {

constexpr char kDevice[] = "/dev/virtual-com1";
using Kind = sim::WifiModuleState::Kind;
using Misbehaviour = sim::WifiModuleState::Misbehaviour;

bool contains(const std::vector<std::string>& log, std::string_view line) {
    for (const auto& l : log)
        if (l.starts_with(line))
            return true;
    return false;
}

bool containsBytes(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// The module exchange over both links to one in-process printer on virtual time.
struct ModuleTest : ::testing::Test {
    VirtualClock clock;
    sim::VirtualPrinter printer{clock};
    test::VirtualSerialPort port{printer, clock, kDevice};
    test::VirtualUsbFinder finder{printer, &clock};
    PrinterLink serial{clock, test::VirtualSerialPort::factoryFor(port),
                       [](std::string_view) { return std::optional<std::string>(kDevice); }};
    UsbLink usb{finder, clock};
    ModuleExchange exchange{clock};
    std::string traces;

    void SetUp() override {
        exchange.setTraceSink([this](std::string_view line) { traces += std::string(line) + "\n"; });
    }
    void useModule(Kind kind) { printer.setWifiModuleKind(static_cast<int>(kind)); }
    void misbehave(Misbehaviour m) {
        auto state = printer.wifiModule();
        state.misbehaviour = m;
        printer.setWifiModule(state);
    }
    OpenModuleResult openSerial() {
        EXPECT_EQ(serial.Open("COM1", 19200, 0, 1, 0, 0), 0);
        exchange.setLink(&serial);
        return openModule(exchange, clock);
    }
    OpenModuleResult openUsb() {
        EXPECT_EQ(usb.Open("USB"), 0);
        exchange.setLink(&usb);
        return openModule(exchange, clock);
    }
};

TEST_F(ModuleTest, OpenEntersIspModeAndNamesTheKindOnBothLinks) {
    const OpenModuleResult serialOpen = openSerial();
    EXPECT_EQ(serialOpen.outcome, Outcome::Done);
    EXPECT_EQ(serialOpen.kind, kModuleQuatech);
    EXPECT_EQ(port.commandBytes(), enterIspCommand());
    EXPECT_TRUE(printer.wifiModule().ispMode);
    EXPECT_TRUE(exchange.leaveIspMode());
    EXPECT_FALSE(printer.wifiModule().ispMode);
    serial.Close();

    useModule(Kind::Sollae);
    const OpenModuleResult usbOpen = openUsb();
    EXPECT_EQ(usbOpen.kind, kModuleSollae);
    ASSERT_TRUE(usbOpen.generation);
    EXPECT_EQ(*usbOpen.generation, 3);  // the virtual Sollae module reports 2.0
}

TEST_F(ModuleTest, SollaeVersionsGiveTheirGeneration) {
    useModule(Kind::Sollae);
    const std::tuple<int, int, int> cases[] = {{1, 5, 1}, {1, 6, 2}, {2, 0, 3}};
    for (const auto& [major, minor, generation] : cases) {
        auto state = printer.wifiModule();
        state.versionMajor = major;
        state.versionMinor = minor;
        printer.setWifiModule(state);
        const OpenModuleResult result = openSerial();
        ASSERT_TRUE(result.generation);
        EXPECT_EQ(*result.generation, generation);
        exchange.leaveIspMode();
        serial.Close();
    }
}

TEST_F(ModuleTest, NoModuleOrASilentOneIsNoIspModeAndLeavesIspAgain) {
    useModule(Kind::None);
    EXPECT_EQ(openSerial().outcome, Outcome::NoResponse);
    EXPECT_FALSE(exchange.ispModeOn());
    EXPECT_EQ(port.commandBytes(), (Bytes{0x1B, 0x5B, 0x4D, 0x01, 0x1B, 0x5B, 0x4D, 0x00}));
    // Nothing is sent to a module outside ISP mode.
    EXPECT_FALSE(exchange.readParameter(Param::Ip).sent);
    EXPECT_FALSE(exchange.resetSettings());
    EXPECT_EQ(port.commandBytes().size(), 8u);
    serial.Close();
    // A link that is closed: the entry was not delivered.
    EXPECT_EQ(openModule(exchange, clock).outcome, Outcome::NotSent);
}

// The first write after the port opens carries the link's 350 ms wake-up pause; the module still has
// the whole wait (1000 ms) and 101 empty reads after the write to answer the ISP entry in.
TEST_F(ModuleTest, TheAnswerWindowStartsWhenTheWriteEnds) {
    struct Case {
        std::optional<std::uint32_t> replyDelayMs;  // after the command arrived; nothing: silent
        bool heard;
        int emptyReads;
    };
    for (const Case c : {Case{1990, true, 99}, Case{std::nullopt, false, 101}}) {
        SCOPED_TRACE(c.replyDelayMs.value_or(0));
        ASSERT_EQ(serial.Open("COM1", 19200, 0, 1, 0, 0), 0);
        exchange.setLink(&serial);
        printer.setSilent(!c.replyDelayMs);
        printer.setReplyDelay(c.replyDelayMs.value_or(0));
        ModuleKind kind = kModuleNone;
        const ModuleReply reply = exchange.enterIspMode(kind);
        EXPECT_EQ(reply.received(), c.heard);
        EXPECT_EQ(reply.emptyReads, c.emptyReads);
        EXPECT_EQ(traces.find("overall deadline"), std::string::npos) << traces;
        exchange.leaveIspMode();
        serial.Close();
    }
}

TEST_F(ModuleTest, SollaeReadFillsEverySettingOfTheExtendedSet) {
    useModule(Kind::Sollae);
    openSerial();
    SollaeSettings settings;
    std::vector<int> bar;
    const SollaeReadResult result =
        readSollaeSettings(exchange, settings, [&bar](SollaeStep, int percent) { bar.push_back(percent); });
    ASSERT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(result.parameterSet, 2);
    EXPECT_EQ(settings.ip, (Octets{192, 168, 1, 10}));
    EXPECT_EQ(settings.ssid, "HollinLab");
    EXPECT_EQ(settings.mode, 1);
    EXPECT_EQ(settings.channel, 6);
    EXPECT_EQ(settings.wpaType, 4);
    EXPECT_EQ(settings.wpaCipher, 2);
    EXPECT_EQ(settings.keys[0].hex40, "123456789A");
    EXPECT_EQ(settings.passPhrase, "hollin-module-phrase");
    EXPECT_EQ(settings.tcpPort, 9100);
    EXPECT_FALSE(settings.dhcp);
    EXPECT_EQ(settings.mac, "00:30:f9:12:34:56");
    EXPECT_EQ(bar.front(), 16);
    EXPECT_EQ(bar.back(), 100);
    EXPECT_FALSE(contains(printer.log(), "wifi: read 09 15"));  // 20 characters: no extension
}

TEST_F(ModuleTest, BasicSetAndPassPhraseExtension) {
    useModule(Kind::Sollae);
    for (const std::size_t length : {31u, 32u}) {
        SCOPED_TRACE(length);
        auto state = printer.wifiModule();
        state.basicSet = true;
        Bytes phrase(34, 0);
        std::fill_n(phrase.begin(), length, 'k');
        state.current[{0x09, 0x04}] = phrase;
        Bytes rest(34, 0);
        std::fill_n(rest.begin(), 4, 'z');
        state.current[{0x09, 0x15}] = rest;
        printer.setWifiModule(state);
        printer.clearLog();
        openSerial();
        SollaeSettings settings;
        const SollaeReadResult result = readSollaeSettings(exchange, settings);
        ASSERT_EQ(result.outcome, Outcome::Done);
        EXPECT_EQ(result.parameterSet, 1);
        EXPECT_FALSE(contains(printer.log(), "wifi: read 05 00"));
        EXPECT_EQ(contains(printer.log(), "wifi: read 09 15"), length == 32);
        EXPECT_EQ(settings.passPhrase.size(), length == 32 ? 36u : 31u);
        exchange.leaveIspMode();
        serial.Close();
    }
}

TEST_F(ModuleTest, ASilentIpReadGivesUpAfter31EmptyReads) {
    useModule(Kind::Sollae);
    openSerial();
    misbehave(Misbehaviour::Silent);
    const ModuleReply reply = exchange.readParameter(Param::Ip);
    EXPECT_TRUE(reply.sent);
    EXPECT_FALSE(reply.received());
    EXPECT_EQ(reply.emptyReads, 31);
    EXPECT_NE(traces.find("read 03 00: 0 bytes, gave up, 31 empty reads, 500 ms"), std::string::npos)
        << traces;
    SollaeSettings settings;
    const SollaeReadResult result = readSollaeSettings(exchange, settings);
    EXPECT_EQ(result.outcome, Outcome::NoResponse);
    EXPECT_EQ(result.failedStep, SollaeStep::Ip);
}

TEST_F(ModuleTest, AReplyStopsAtItsBufferAndATricklingOneAtTheDeadline) {
    useModule(Kind::Sollae);
    openSerial();
    // More than the 256-byte read buffer, without an end: the read stops when the buffer is full.
    port.answerNextWriteWith(Bytes(300, 'x'));
    ModuleReply reply = exchange.readParameter(Param::Ssid);
    EXPECT_EQ(reply.bytes.size(), ModuleExchange::kLineReplyBytes);
    EXPECT_EQ(reply.emptyReads, 0);
    // One byte every 9 ms never lets 30 empty reads follow each other: the overall deadline (200 ms
    // wait, 310 ms of empty reads, 256 bytes at 19200 baud) ends the read with what came.
    printer.setReplyPieces(1, 9);
    const std::uint32_t start = clock.tickMs();
    reply = exchange.readParameter(Param::Ssid);
    const std::uint32_t took = elapsedMs(start, clock.tickMs());
    EXPECT_TRUE(reply.timedOut);
    EXPECT_FALSE(reply.bytes.empty());
    EXPECT_LT(reply.bytes.size(), 127u);      // the whole answer is 127 bytes
    EXPECT_LE(took, 200u + 310 + 134 + 100);  // at most one read (100 ms on this line) past it
}

TEST_F(ModuleTest, ARefusedOrGarbledParameterStopsAtItsStep) {
    useModule(Kind::Sollae);
    auto state = printer.wifiModule();
    state.misbehaviour = Misbehaviour::RefuseParameter;
    state.refusedParameter = {0x09, 0x01};
    printer.setWifiModule(state);
    openSerial();
    SollaeSettings settings;
    SollaeReadResult result = readSollaeSettings(exchange, settings);
    EXPECT_EQ(result.outcome, Outcome::BadReply);
    EXPECT_EQ(result.failedStep, SollaeStep::Ssid);
    EXPECT_EQ(settings.dns, (Octets{192, 168, 1, 1}));  // what came before stays
    for (const Misbehaviour m : {Misbehaviour::Garbage, Misbehaviour::Truncated, Misbehaviour::WrongHeader}) {
        misbehave(m);
        result = readSollaeSettings(exchange, settings);
        EXPECT_NE(result.outcome, Outcome::Done);
        EXPECT_EQ(result.failedStep, SollaeStep::Ip);
    }
}

TEST_F(ModuleTest, WritesNeedTheUnlockAndAGoodRecord) {
    useModule(Kind::Sollae);
    openSerial();
    const Bytes ip{10, 0, 0, 7};
    const ModuleReply locked = exchange.writeParameter(Param::Ip, ip);
    EXPECT_EQ(std::string(locked.bytes.begin(), locked.bytes.end()), "700\r\n");
    exchange.unlock();
    const ModuleReply written = exchange.writeParameter(Param::Ip, ip);
    EXPECT_TRUE(replyGood(written.bytes, false));
    EXPECT_EQ(printer.wifiModule().current.at({3, 0}), (Bytes{10, 0, 0, 7, 0, 0}));
    EXPECT_NE(printer.wifiModule().flashed, printer.wifiModule().current);
    EXPECT_TRUE(replyGood(exchange.flash().bytes, false));
    EXPECT_EQ(printer.wifiModule().flashed, printer.wifiModule().current);
    const Bytes wire = port.commandBytes();
    const std::string sent = "w 03 00 03 00 0C 00 0A 00 00 07 00 00 ";
    EXPECT_TRUE(containsBytes(wire, Bytes(sent.begin(), sent.end())));
}

TEST_F(ModuleTest, BulkReadGivesTheModuleRecordOnBothLinks) {
    openSerial();
    std::vector<int> bar;
    RecordReadResult result = readModuleRecord(exchange, [&bar](int p) { bar.push_back(p); });
    ASSERT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(*result.record, printer.wifiModule().record);
    EXPECT_EQ(bar.front(), 0);
    exchange.leaveIspMode();
    serial.Close();
    useModule(Kind::Inc);
    openUsb();
    result = readModuleRecord(exchange);
    ASSERT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(result.record->digit(field::kGeneration), '3');
}

TEST_F(ModuleTest, BulkWriteGivesTheModuleTheRecord) {
    openSerial();
    WifiSettingsRecord record = printer.wifiModule().record;
    record.setLine(field::kSsid, "written");
    std::vector<int> bar;
    const ModuleReply reply = exchange.bulkWrite(record, [&bar](int p) { bar.push_back(p); });
    EXPECT_TRUE(bulkReplyComplete(reply.bytes));
    EXPECT_EQ(*bulkReplyRecord(reply.bytes), record);
    EXPECT_EQ(printer.wifiModule().record.line(field::kSsid), "written");
    EXPECT_FALSE(bar.empty());
    Bytes wire;  // with the record's zero bytes, which commandBytes() leaves out
    for (const Bytes& write : port.writes())
        wire.insert(wire.end(), write.begin(), write.end());
    EXPECT_TRUE(containsBytes(wire, bulkWriteFrame(record)));
}

TEST_F(ModuleTest, BadBulkRepliesKeepTheRecordOut) {
    openSerial();
    struct Case {
        Misbehaviour m;
        Outcome outcome;
    };
    for (const Case c :
         {Case{Misbehaviour::Silent, Outcome::NoResponse}, Case{Misbehaviour::WrongHeader, Outcome::BadReply},
          Case{Misbehaviour::Truncated, Outcome::BadReply}, Case{Misbehaviour::Garbage, Outcome::BadReply}}) {
        misbehave(c.m);
        const RecordReadResult result = readModuleRecord(exchange);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_FALSE(result.record);
    }
}

TEST_F(ModuleTest, ABulkReplyWithoutItsEndGivesUpAfter501EmptyReads) {
    openSerial();
    misbehave(Misbehaviour::No03);
    std::vector<int> bar;
    const RecordReadResult result = readModuleRecord(exchange, [&bar](int p) { bar.push_back(p); });
    EXPECT_EQ(result.outcome, Outcome::BadReply);
    EXPECT_NE(traces.find("bulk read: 1023 bytes, gave up, 501 empty reads"), std::string::npos) << traces;
    EXPECT_EQ(bar.back(), 100);  // 501 / 5
}

TEST_F(ModuleTest, SollaeResetSucceedsAfterLateAnswerAndFailsWithout) {
    useModule(Kind::Sollae);
    openSerial();
    printer.setReplyDelay(1200);
    EXPECT_EQ(resetModule(exchange, kModuleSollae, clock), Outcome::Done);
    EXPECT_TRUE(contains(printer.log(), "wifi: load defaults"));
    printer.setReplyDelay(0);
    misbehave(Misbehaviour::Silent);
    EXPECT_EQ(resetModule(exchange, kModuleSollae, clock), Outcome::NoResponse);
    EXPECT_NE(traces.find("factory defaults: 0 bytes, gave up, 151 empty reads"), std::string::npos)
        << traces;
    misbehave(Misbehaviour::WrongHeader);
    EXPECT_EQ(resetModule(exchange, kModuleSollae, clock), Outcome::BadReply);
}

// The reset's answer comes line by line: each of its four commands' lines is read and judged, not
// only the first.
TEST_F(ModuleTest, SollaeResetIsJudgedOnEveryCommandsLine) {
    useModule(Kind::Sollae);
    openSerial();
    printer.setReplyPieces(5, 300);  // "701\r\n" at a time, the next after the 200 ms wait
    struct Case {
        Misbehaviour m;
        ModuleOutcome outcome;
    };
    for (const Case c : {Case{Misbehaviour::None, ModuleOutcome::Done},
                         Case{Misbehaviour::RefuseFlash, ModuleOutcome::BadReply}}) {
        misbehave(c.m);
        EXPECT_EQ(resetModule(exchange, kModuleSollae, clock), c.outcome);
    }
}

TEST_F(ModuleTest, QuatechResetSendsTheResetThenLeavesIsp) {
    openSerial();
    auto state = printer.wifiModule();
    state.record.setLine(field::kSsid, "changed");
    printer.setWifiModule(state);
    EXPECT_EQ(resetModule(exchange, kModuleQuatech, clock), Outcome::Done);
    exchange.leaveIspMode();
    EXPECT_EQ(port.commandBytes(),
              (Bytes{0x1B, 0x5B, 0x4D, 0x01, 0x1B, 0x5B, 0x44, 0x53, 0x1B, 0x5B, 0x4D, 0x00}));
    EXPECT_EQ(printer.wifiModule().record.line(field::kSsid), "HollinLab");
    EXPECT_EQ(printer.wifiModule().resets, 1);
    EXPECT_EQ(resetModule(exchange, kModuleOther, clock), Outcome::Unsupported);
}

TEST_F(ModuleTest, TracesShowNoSecret) {
    useModule(Kind::Sollae);
    openSerial();
    SollaeSettings settings;
    readSollaeSettings(exchange, settings);
    exchange.unlock();
    const std::string phrase = "a-secret-phrase!";
    exchange.writeParameter(Param::WpaKey, asBytes(phrase));
    ASSERT_FALSE(traces.empty());
    EXPECT_NE(traces.find("write 09 04"), std::string::npos);
    for (const std::string& secret :
         {phrase, toHex(asBytes(phrase), " "), settings.passPhrase, toHex(asBytes(settings.passPhrase), " "),
          std::string("12 34 56 78 9A")}) {
        SCOPED_TRACE(secret);
        EXPECT_EQ(traces.find(secret), std::string::npos);
    }
    const std::string json = printer.stateJson();
    EXPECT_EQ(json.find(phrase), std::string::npos);
    EXPECT_NE(json.find("<hidden, 34 characters>"), std::string::npos);
}

}  // namespace
}  // namespace hollin::wifi
