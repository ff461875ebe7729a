#include "sim/virtual_printer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hollin::sim {
namespace {

const Bytes kProbe = {0x1C, 0x45, 0x43};
const Bytes kModelQuery = {0x1B, 0x76};

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(VirtualPrinter, ProbeAnswerCrossesCodesZeroAndOne) {
    VirtualClock clock;
    // kind -> byte the host's probe table maps back to that kind
    const std::vector<std::pair<int, std::uint8_t>> expected = {{0, 0x01}, {1, 0x00}, {2, 0x02}, {3, 0x03},
                                                                {4, 0x04}, {5, 0x05}, {6, 0x06}, {7, 0x07}};
    for (const auto& [kind, byte] : expected) {
        VirtualPrinter printer(clock, kind);
        printer.receive(kProbe);
        EXPECT_EQ(printer.pending(), 1u) << "kind " << kind;
        EXPECT_EQ(printer.takeOutput(256), Bytes{byte}) << "kind " << kind;
    }
    EXPECT_EQ(probeReplyByte(8), -1);
}

TEST(VirtualPrinter, AnswersModelQueryWithItsModelAndLogsCommands) {
    VirtualClock clock;
    VirtualPrinter printer(clock, 3, "Birch 2in");
    printer.receive(kModelQuery);
    EXPECT_EQ(text(printer.takeOutput(256)), "Birch 2in");
    printer.setModel("Larch");
    printer.receive(kModelQuery);
    printer.receive(kProbe);
    EXPECT_EQ(printer.takeOutput(256), (Bytes{'L', 'a', 'r', 'c', 'h', 0x03}));
    EXPECT_EQ(printer.log(), (std::vector<std::string>{"model query", "model query", "emulation probe"}));
    EXPECT_EQ(printer.pending(), 0u);
    EXPECT_TRUE(printer.takeOutput(256).empty());
}

TEST(VirtualPrinter, JoinsCommandsSplitAcrossWritesAndSkipsWakeUpAndNoise) {
    VirtualClock clock;
    VirtualPrinter printer(clock, 2);
    const Bytes stream = {0x00, 0x00, 0x1C, 0x45, 0x43, 'x', 0x1C, 0x99, 0x1B, 0x76};
    // Byte by byte: each command arrives in pieces.
    for (std::uint8_t b : stream)
        EXPECT_EQ(printer.receive(Bytes{b}), 1u);
    EXPECT_EQ(printer.wakeUpBytes(), 2u);
    EXPECT_EQ(printer.ignoredBytes(), 3u);  // 'x', and FS followed by a byte no command has
    EXPECT_EQ(printer.log(), (std::vector<std::string>{"emulation probe", "model query"}));
    EXPECT_EQ(printer.takeOutput(1), Bytes{0x02});
    EXPECT_EQ(text(printer.takeOutput(256)), "Alder");
}

TEST(VirtualPrinter, HalfACommandWaitsForTheRest) {
    VirtualClock clock;
    VirtualPrinter printer(clock);
    printer.receive(Bytes{0x1C, 0x45});
    EXPECT_TRUE(printer.log().empty());
    EXPECT_EQ(printer.pending(), 0u);
    printer.receive(Bytes{0x43});
    EXPECT_EQ(printer.log().size(), 1u);
    EXPECT_EQ(printer.takeOutput(8), Bytes{0x00});
}

TEST(VirtualPrinter, SilentPrinterUnderstandsButNeverAnswers) {
    VirtualClock clock;
    VirtualPrinter printer(clock);
    printer.setSilent(true);
    printer.receive(kProbe);
    clock.advance(5000);
    EXPECT_EQ(printer.pending(), 0u);
    EXPECT_FALSE(printer.nextOutputInMs().has_value());
    EXPECT_EQ(printer.log().size(), 1u);
}

TEST(VirtualPrinter, LateAndPiecemealAnswersFollowThePrintersClock) {
    VirtualClock clock(0xFFFFFF00u);  // across the 32-bit wrap
    VirtualPrinter printer(clock, 1, "Cedar");
    printer.setReplyDelay(300);
    printer.setReplyPieces(2, 50);
    printer.receive(kModelQuery);
    EXPECT_EQ(printer.pending(), 0u);
    EXPECT_EQ(printer.nextOutputInMs(), 300u);
    clock.advance(299);
    EXPECT_TRUE(printer.takeOutput(256).empty());
    clock.advance(1);
    EXPECT_EQ(text(printer.takeOutput(256)), "Ce");
    EXPECT_EQ(printer.nextOutputInMs(), 50u);
    clock.advance(49);
    EXPECT_EQ(printer.pending(), 0u);
    clock.advance(51);  // two gaps after the first piece: "da" and "r" are due
    EXPECT_EQ(printer.pending(), 3u);
    EXPECT_EQ(text(printer.takeOutput(2)), "da");
    EXPECT_EQ(text(printer.takeOutput(256)), "r");
    EXPECT_FALSE(printer.nextOutputInMs().has_value());
}

TEST(VirtualPrinter, VanishesPartWayThroughATransferAndComesBack) {
    VirtualClock clock;
    VirtualPrinter printer(clock);
    printer.vanishAfter(5, 1000);
    const Bytes data = {'a', 'b', 'c', 0x1C, 0x45, 0x43, 'd'};
    EXPECT_EQ(printer.receive(data), 5u);  // the probe's last byte never arrived
    EXPECT_EQ(printer.bytesReceived(), 5u);
    EXPECT_FALSE(printer.present());
    EXPECT_EQ(printer.receive(kProbe), 0u);
    EXPECT_TRUE(printer.log().empty());
    clock.advance(999);
    EXPECT_FALSE(printer.present());
    clock.advance(1);
    EXPECT_TRUE(printer.present());
    // The half command was lost with the power.
    EXPECT_EQ(printer.receive(Bytes{0x43}), 1u);
    EXPECT_TRUE(printer.log().empty());
    EXPECT_EQ(printer.receive(kProbe), 3u);
    EXPECT_EQ(printer.pending(), 1u);
}

TEST(VirtualPrinter, VanishingLosesUnreadAnswersUntilBroughtBack) {
    VirtualClock clock;
    VirtualPrinter printer(clock);
    printer.receive(kProbe);
    printer.vanish();
    EXPECT_EQ(printer.pending(), 0u);
    clock.advance(100000);
    EXPECT_FALSE(printer.present());
    printer.comeBack();
    EXPECT_TRUE(printer.present());
    printer.receive(kProbe);
    EXPECT_EQ(printer.pending(), 1u);
}

TEST(VirtualPrinter, StateJsonHoldsWhatTheCommandsLeft) {
    VirtualClock clock;
    // A quote, a backslash, a line end, valid UTF-8 and a byte that is not UTF-8.
    VirtualPrinter printer(clock, 0, "Q\"\\\n\xC3\xA9\x80");
    printer.receive(
        Bytes{0x1C, 0x45, 0x53, 0x03, 0x1C, '#', '#', 'D', 'E', 'N', 'S', 'I', 'T', 'Y', 0x05, 0x1C, 0x55});
    // The Bluetooth name and BLE, and the language byte of the ZPL option block.
    printer.receive(Bytes{0x1B, 0x62, 0x74, 0x03, 0x81, 'A', 'b', 0x1B, '#', 't', 'a',  'v', 'i', 'k',
                          0x02, 'L',  0x02, 0x1B, '#',  't', 'a', 'v',  'i', 'k', 0x02, 'B', 0x01});
    const std::string json = printer.stateJson();
    for (const char* part : {R"({"emulation":{"code":3,"name":"ZPL"},"model":"Q\"\\\né\u0080","settings":{)",
                             R"("density":5,"media":{"mode":"black mark","sensor":"upper"})",
                             R"("bluetooth":{"address":"00:1B:35:4A:10:C7","name":"Ab","pin":"0000")",
                             R"("ble":true,"numeric_comparison":false)",
                             R"("3":"02 00 00 00 00 00 00 00 0A 4E 00 00 00 00 00 00 00 00 00 00")",
                             R"("log":["emulation switch to ZPL","density","media black mark upper",)"
                             R"("bluetooth name write","options language 2","BLE on"]}})"})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n in " << json;
}

TEST(VirtualPrinter, ABlockBodyIsTakenWholeNeverAsCommands) {
    VirtualClock clock;
    VirtualPrinter printer(clock);
    // A header of two bytes, low byte first, giving the length of the block after it (at most 16).
    const auto littleEndian = [](std::span<const std::uint8_t> h) -> std::optional<std::size_t> {
        return static_cast<std::size_t>(h[0] | h[1] << 8);
    };
    Bytes block;
    printer.addCommand({"block",
                        {0x1B, 'F'},
                        blockBody(2, littleEndian, 18),
                        [&block](std::span<const std::uint8_t> body, CommandContext&) {
                            block.assign(body.begin(), body.end());
                        }});
    // The block holds a probe; only the probe after it is answered.
    const Bytes stream = {0x1B, 'F', 5, 0, 0x1C, 0x45, 0x43, 0x00, 'x', 0x1C, 0x45, 0x43};
    for (std::uint8_t b : stream)
        printer.receive(Bytes{b});
    EXPECT_EQ(block, (Bytes{5, 0, 0x1C, 0x45, 0x43, 0x00, 'x'}));
    EXPECT_EQ(printer.log(), (std::vector<std::string>{"block", "emulation probe"}));
    EXPECT_EQ(printer.takeOutput(8), Bytes{0x00});
    EXPECT_EQ(printer.wakeUpBytes(), 0u);
    // A block longer than allowed is no block: its header is ignored and the probe inside it answered.
    printer.receive(Bytes{0x1B, 'F', 17, 1, 0x1C, 0x45, 0x43});
    EXPECT_EQ(printer.ignoredBytes(), 4u);
    EXPECT_EQ(printer.takeOutput(8), Bytes{0x00});
}

}  // namespace
}  // namespace hollin::sim
