// The virtual printer's setting commands: each family fed as literal bytes and as the utility's own
// command builders, with the printer's resulting state asserted.
#include <gtest/gtest.h>

#include <random>

#include <string>
#include <string_view>
#include <vector>

#include "printer/printer_commands.h"
#include "sim/virtual_printer.h"

namespace hollin::sim {
namespace {

Bytes text(std::string_view t) {
    return Bytes(t.begin(), t.end());
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

void sendTexts(VirtualPrinter& printer, const std::vector<std::string>& texts) {
    for (const std::string& t : texts)
        EXPECT_EQ(printer.receive(text(t)), t.size());
}

Bytes probeAnswer(VirtualPrinter& printer) {
    printer.receive(probeCommand());
    return printer.takeOutput(256);
}

TEST(VirtualPrinterSettings, EmulationSwitchIsAnsweredByTheNextProbe) {
    VirtualClock clock;
    VirtualPrinter printer(clock, kEscPos);
    // Literal: FS "E" "S" 00 makes a CPCL printer, which the probe reports as 0x00.
    printer.receive(Bytes{0x1C, 0x45, 0x53, 0x00});
    EXPECT_EQ(printer.emulation(), kCpcl);
    EXPECT_EQ(probeAnswer(printer), Bytes{0x00});

    // Through the window's switch table: Set ESC/POS on CPCL, Set CPCL on EPL, Set ESC/POS on ZPL.
    const struct {
        int from;
        EmulationSwitch sw;
        std::uint8_t answer;
    } cases[] = {{kCpcl, setEscPosSwitch(kCpcl), 0x01},
                 {kEpl, setCpclSwitch(kEpl), 0x03},
                 {kZpl, setEscPosSwitch(kZpl), 0x04},
                 {kEscPos, setCpclSwitch(kEscPos), 0x00}};
    for (const auto& c : cases) {
        printer.setEmulation(c.from);
        printer.receive(emulationSwitchCommand(c.sw.target));
        EXPECT_EQ(printer.emulation(), c.sw.newKind) << "from " << c.from;
        const Bytes answer = probeAnswer(printer);
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(answer[0], c.answer);
        EXPECT_EQ(emulationFromProbeByte(answer[0]), c.sw.newKind);
    }
    EXPECT_EQ(printer.log()[1], "emulation probe");
    EXPECT_EQ(printer.log()[2], "emulation switch to ESC/POS");

    // A target no emulation has changes nothing.
    printer.clearLog();
    printer.receive(Bytes{0x1C, 0x45, 0x53, 0x09});
    EXPECT_EQ(printer.emulation(), kCpcl);
    EXPECT_EQ(printer.log(), std::vector<std::string>{"emulation switch (rejected)"});
}

TEST(VirtualPrinterSettings, NineByteSerialCommandSetsTheLineAtOnce) {
    VirtualClock clock;
    VirtualPrinter printer(clock, kEscPos);
    EXPECT_EQ(printer.settings().serialLine, SerialLine{});  // 19200 8N1 DTR/DSR
    printer.receive(Bytes{0x1D, 0x53, 0x43, 0x01, '4', '1', '2', '3', '2'});
    EXPECT_EQ(printer.settings().serialLine,
              (SerialLine{115200, 8, Parity::kEven, 2, FlowControl::kXonXoff}));

    // The builder, from the window's list positions: 7 data bits, ODD, 1 stop bit, DTR/DSR.
    const struct {
        int baud;
        SerialLine line;
    } rates[] = {{1200, {1200, 7, Parity::kOdd, 1, FlowControl::kDtrDsr}},
                 {4800, {4800, 7, Parity::kOdd, 1, FlowControl::kDtrDsr}},
                 {9600, {9600, 7, Parity::kOdd, 1, FlowControl::kDtrDsr}},
                 {57600, {57600, 7, Parity::kOdd, 1, FlowControl::kDtrDsr}}};
    for (const auto& r : rates) {
        printer.receive(serialConfigCommand(r.baud, 0, 1, 0, 0));
        EXPECT_EQ(printer.settings().serialLine, r.line) << r.baud;
    }
    // A rate outside the list leaves the baud byte 00: the printer keeps its line.
    printer.clearLog();
    printer.receive(serialConfigCommand(14400, 1, 0, 0, 1));
    EXPECT_EQ(printer.settings().serialLine.baud, 57600);
    EXPECT_EQ(printer.settings().serialLine.dataBits, 7);
    EXPECT_EQ(printer.log(), std::vector<std::string>{"serial config (rejected)"});
    // Stop-bits code "2" is not in the table either.
    printer.receive(Bytes{0x1D, 0x53, 0x43, 0x01, '0', '1', '0', '2', '1'});
    EXPECT_EQ(printer.settings().serialLine.baud, 57600);
}

TEST(VirtualPrinterSettings, CpclSerialSaveTakesEffectOnlyAtApply) {
    VirtualClock clock;
    VirtualPrinter printer(clock, kCpcl);
    const auto texts = cpclSerialConfigTexts(9600, 1, 1);  // 9600, ODD, 1 stop bit
    ASSERT_EQ(texts.size(), 4u);
    sendTexts(printer, {texts[0], texts[1], texts[2]});
    EXPECT_EQ(printer.settings().serialLine, SerialLine{});
    EXPECT_EQ(printer.settings().pendingSerialLine, (PendingSerialLine{9600, Parity::kOdd, 1}));
    sendTexts(printer, {texts[3]});
    // Data bits and flow control are not part of a CPCL save: they keep their values.
    EXPECT_EQ(printer.settings().serialLine, (SerialLine{9600, 8, Parity::kOdd, 1, FlowControl::kDtrDsr}));
    EXPECT_EQ(printer.settings().pendingSerialLine, PendingSerialLine{});
    EXPECT_EQ(printer.log(),
              (std::vector<std::string>{"setvar comm.baud \"9600\"", "setvar comm.parity \"o\"",
                                        "setvar comm.stop_bits \"1\"", "do comm.comm_apply"}));

    // Literal lines; a bad value is logged and leaves the pending value alone.
    printer.clearLog();
    sendTexts(printer, {"! U1 setvar \"comm.baud\" \"115200\"\r\n", "! U1 setvar \"comm.parity\" \"x\"\r\n",
                        "! U1 setvar \"comm.stop_bits\" \"2\"\r\n", "! U1 setvar \"comm.baud\" \"14400\"\r\n",
                        "! U1 do \"comm.comm_apply\"\r\n"});
    EXPECT_EQ(printer.settings().serialLine, (SerialLine{115200, 8, Parity::kOdd, 2, FlowControl::kDtrDsr}));
    EXPECT_EQ(printer.log()[1], "setvar comm.parity \"x\" (bad value)");
    EXPECT_EQ(printer.log()[3], "setvar comm.baud \"14400\" (bad value)");

    // A restart (emulation switch) drops values that were never applied.
    sendTexts(printer, {texts[0]});
    printer.receive(emulationSwitchCommand(0x00));
    sendTexts(printer, {texts[3]});
    EXPECT_EQ(printer.settings().serialLine.baud, 115200);
}

TEST(VirtualPrinterSettings, CpclLinesAreParsedGenericallyAndOnlyByCpclPrinters) {
    VirtualClock clock;
    VirtualPrinter printer(clock, kCpcl);
    sendTexts(printer,
              {"! U1 setvar \"device.friendly_name\" \"Shop\"\r\n", "! U1 do \"device.reset\" \"\"\r\n",
               "! U1 getvar \"media.type\"\r\n", "! U1 SETVAR media.BM_SENSE_POS UPPER\n",
               "! U1 setvar \"media.type\" \"journal\r\n"});
    EXPECT_EQ(printer.log(),
              (std::vector<std::string>{
                  "unknown variable \"device.friendly_name\"", "unknown action \"device.reset\"",
                  "CPCL line not understood: getvar \"media.type\"", "setvar media.BM_sense_pos \"UPPER\"",
                  "CPCL line not understood: setvar \"media.type\" \"journal"}));
    EXPECT_EQ(printer.settings().sensorPosition, SensorPosition::kUpper);
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kGap);
    EXPECT_EQ(printer.ignoredBytes(), 0u);

    // An ESC/POS printer takes a CPCL line in whole and ignores it.
    VirtualPrinter escPos(clock, kEscPos);
    const std::string line = cpclSerialConfigTexts(9600, 1, 1)[0];
    sendTexts(escPos, {line, cpclSerialConfigTexts(9600, 1, 1)[3]});
    EXPECT_EQ(escPos.settings(), PrinterSettings{});
    EXPECT_EQ(escPos.ignoredBytes(), line.size() + cpclSerialConfigTexts(9600, 1, 1)[3].size());
    EXPECT_EQ(escPos.log()[0], "CPCL line (ignored in ESC/POS)");
}

TEST(VirtualPrinterSettings, PowerSaveCodePageDensityAndCompatibleMode) {
    VirtualClock clock;
    VirtualPrinter printer(clock, kEscPos);
    printer.receive(Bytes{0x1D, 0x53, 0x50, 0x02, 0x1E});
    EXPECT_EQ(printer.settings().powerSaveMode, 2);
    EXPECT_EQ(printer.settings().powerSaveMinutes, 30);
    printer.receive(powerSaveCommand(1, parseMinutes("?")));
    EXPECT_EQ(printer.settings().powerSaveMode, 1);
    EXPECT_EQ(printer.settings().powerSaveMinutes, 0);

    printer.receive(Bytes{0x1C, 0x45, 0x50, 0x00});
    EXPECT_EQ(printer.settings().codePage, 0);
    printer.receive(codePageCommand(kEscPos, 28));
    EXPECT_EQ(printer.settings().codePage, 28);
    printer.receive(codePageCommand(kEpl, 0));  // EPL counts from 1; the raw value is kept
    EXPECT_EQ(printer.settings().codePage, 1);

    printer.receive(Bytes{0x1C, 0x23, 0x23, 0x44, 0x45, 0x4E, 0x53, 0x49, 0x54, 0x59, 0x01});
    EXPECT_EQ(printer.settings().density, 1);
    printer.receive(densityCommand(4));
    EXPECT_EQ(printer.settings().density, 5);

    printer.receive(compatibleModeCommand(kEscPos, 1));
    EXPECT_EQ(printer.settings().compatibleMode, 1);
    printer.receive(join({{0x1B, 0x23}, text("tavik"), {0x02, 0x43, 0x00}}));
    EXPECT_EQ(printer.settings().compatibleMode, 0);

    EXPECT_EQ(printer.log(),
              (std::vector<std::string>{"power save", "power save", "code page", "code page", "code page",
                                        "density", "density", "compatible mode", "compatible mode"}));
    EXPECT_EQ(printer.ignoredBytes(), 0u);
}

TEST(VirtualPrinterSettings, CodePageSampleIsRecognisedByItsLengthAndAlphabet) {
    VirtualClock clock;
    VirtualPrinter printer(clock, kEscPos);
    const Bytes command = printCodePageCommand();
    // In the link's 64-byte chunks.
    for (std::size_t i = 0; i < command.size(); i += 64)
        printer.receive(
            std::span<const std::uint8_t>(command).subspan(i, std::min<std::size_t>(64, command.size() - i)));
    EXPECT_EQ(printer.settings().codePageSamplesPrinted, 1);
    EXPECT_EQ(printer.settings().lastCodePageSample, codePageSample());
    EXPECT_EQ(printer.settings().lastCodePageSample.size(), 180u);

    // A sample cut short by a command byte was no sample: the probe after it is still answered.
    Bytes cut = {0x1B, 0x61, 0x01, 0x0D, 0x0A, 0x20, 0x80, 0x81};
    printer.receive(join({cut, probeCommand()}));
    EXPECT_EQ(printer.takeOutput(8), Bytes{0x01});
    EXPECT_EQ(printer.settings().codePageSamplesPrinted, 1);
    EXPECT_EQ(printer.ignoredBytes(), cut.size());
}

TEST(VirtualPrinterSettings, MediaCommandsByEmulationAndCalibrationCounts) {
    VirtualClock clock;
    struct Case {
        int kind;
        Bytes command;
        MediaMode mode;
        SensorPosition sensor;
    };
    const std::vector<Case> cases = {
        {kCpcl, setBlackMarkCommand(kCpcl, 1), MediaMode::kBlackMark, SensorPosition::kUpper},
        {kCpcl, setGapCommand(kCpcl), MediaMode::kGap, SensorPosition::kLower},
        {kCpcl, setContinuousCommand(kCpcl), MediaMode::kContinuous, SensorPosition::kLower},
        {6, setBlackMarkCommand(6, 1), MediaMode::kBlackMark, SensorPosition::kUpper},
        {kMpcl, setContinuousCommand(kMpcl), MediaMode::kContinuous, SensorPosition::kLower},
        {kZpl, setContinuousCommand(kZpl), MediaMode::kContinuous, SensorPosition::kLower},
        {kZpl, Bytes{0x1C, 0x55}, MediaMode::kBlackMark, SensorPosition::kUpper},
        {kEpl, setBlackMarkCommand(kEpl, 0), MediaMode::kBlackMark, SensorPosition::kLower},
        {kEpl, Bytes{0x1C, 0x4A}, MediaMode::kContinuous, SensorPosition::kLower},
        {kMpcl, setGapCommand(kMpcl), MediaMode::kGap, SensorPosition::kLower},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        VirtualPrinter printer(clock, cases[i].kind);
        PrinterSettings start;
        start.mediaMode = MediaMode::kContinuous == cases[i].mode ? MediaMode::kGap : MediaMode::kContinuous;
        printer.setSettings(start);
        printer.receive(cases[i].command);
        EXPECT_EQ(printer.settings().mediaMode, cases[i].mode) << "case " << i;
        EXPECT_EQ(printer.settings().sensorPosition, cases[i].sensor) << "case " << i;
        EXPECT_EQ(printer.ignoredBytes(), 0u) << "case " << i;
    }

    // "^MNZ" means nothing to an EPL printer.
    VirtualPrinter epl(clock, kEpl);
    epl.receive(text("^MNZ"));
    EXPECT_EQ(epl.settings().mediaMode, MediaMode::kGap);
    EXPECT_EQ(epl.ignoredBytes(), 4u);
    EXPECT_EQ(epl.log(), std::vector<std::string>{"ZPL media tracking (ignored in EPL)"});

    VirtualPrinter printer(clock, kZpl);
    printer.receive(join({gapCalibrationCommand(), blackMarkCalibrationCommand(), {0x1C, 0x46}}));
    EXPECT_EQ(printer.settings().gapCalibrations, 2);
    EXPECT_EQ(printer.settings().blackMarkCalibrations, 1);
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kGap);  // calibration changes no mode
}

// A whole session's worth of commands, with the link's wake-up zeros, gives the same printer state
// whether it arrives in one write, in 64-byte chunks or byte by byte.
TEST(VirtualPrinterSettings, SplitDeliveryGivesTheSameState) {
    VirtualClock clock;
    const auto cpcl = cpclSerialConfigTexts(38400, 2, 2);
    const Bytes stream = join({{0x00, 0x00},
                               probeCommand(),
                               modelQueryCommand(),
                               powerSaveCommand(2, 15),
                               codePageCommand(kEscPos, 7),
                               printCodePageCommand(),
                               densityCommand(3),
                               setBlackMarkCommand(kCpcl, 1),
                               gapCalibrationCommand(),
                               {0x00, 0x00},
                               text(cpcl[0]),
                               text(cpcl[1]),
                               text(cpcl[2]),
                               text(cpcl[3]),
                               compatibleModeCommand(kCpcl, 1),
                               blackMarkCalibrationCommand(),
                               serialConfigCommand(4800, 1, 0, 1, 1),
                               emulationSwitchCommand(0x01)});

    VirtualPrinter whole(clock, kCpcl);
    whole.receive(stream);
    PrinterSettings expected;
    expected.serialLine = {4800, 8, Parity::kNone, 2, FlowControl::kXonXoff};
    expected.powerSaveMode = 2;
    expected.powerSaveMinutes = 15;
    expected.codePage = 7;
    expected.density = 4;
    expected.mediaMode = MediaMode::kBlackMark;
    expected.sensorPosition = SensorPosition::kUpper;
    expected.gapCalibrations = 1;
    expected.blackMarkCalibrations = 1;
    expected.compatibleMode = 1;
    expected.codePageSamplesPrinted = 1;
    expected.lastCodePageSample = codePageSample();
    EXPECT_EQ(whole.settings(), expected);
    EXPECT_EQ(whole.emulation(), kEscPos);
    EXPECT_EQ(whole.wakeUpBytes(), 4u);
    EXPECT_EQ(whole.ignoredBytes(), 0u);
    EXPECT_EQ(whole.log().size(), 17u);
    EXPECT_EQ(whole.takeOutput(256), (Bytes{0x00, 'A', 'l', 'd', 'e', 'r'}));

    for (std::size_t chunk : {std::size_t{64}, std::size_t{1}}) {
        VirtualPrinter split(clock, kCpcl);
        for (std::size_t i = 0; i < stream.size(); i += chunk)
            split.receive(
                std::span<const std::uint8_t>(stream).subspan(i, std::min(chunk, stream.size() - i)));
        EXPECT_EQ(split.settings(), expected) << "chunk " << chunk;
        EXPECT_EQ(split.log(), whole.log()) << "chunk " << chunk;
        EXPECT_EQ(split.takeOutput(256), (Bytes{0x00, 'A', 'l', 'd', 'e', 'r'})) << "chunk " << chunk;
        EXPECT_EQ(split.wakeUpBytes(), 4u);
    }
}

// Text that never ends, or a prefix whose command never comes, does not hold back what follows.
TEST(VirtualPrinterSettings, UnfinishedTextNeverSwallowsALaterCommand) {
    VirtualClock clock;
    VirtualPrinter printer(clock, kCpcl);
    // A line cut off by a binary command.
    const Bytes cut = text("! U1 setvar \"comm.baud\" \"96");
    printer.receive(cut);
    EXPECT_EQ(printer.pending(), 0u);
    printer.receive(probeCommand());
    EXPECT_EQ(printer.takeOutput(8), Bytes{0x00});
    EXPECT_EQ(printer.ignoredBytes(), cut.size());

    // A line longer than the printer buffers, then a good one.
    const Bytes longLine = join({text("! U1 setvar \"x\" \""), Bytes(300, 'a'), text("\"\r\n")});
    for (std::uint8_t b : longLine)
        printer.receive(Bytes{b});
    sendTexts(printer, {"! U1 setvar \"media.type\" \"journal\"\r\n"});
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kContinuous);
    EXPECT_EQ(printer.ignoredBytes(), cut.size() + longLine.size());

    // Half a density prefix, then a calibration; an MPCL frame that never closes on an MPCL printer.
    printer.receive(join({{0x1C, 0x23, 0x23, 0x44}, gapCalibrationCommand()}));
    EXPECT_EQ(printer.settings().gapCalibrations, 1);
    printer.setEmulation(kMpcl);
    printer.receive(join({text("{,I,B,3"), blackMarkCalibrationCommand()}));
    EXPECT_EQ(printer.settings().blackMarkCalibrations, 1);
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kContinuous);
    EXPECT_EQ(printer.log().back(), "black mark calibration");
}

// Random bytes drawn mostly from the command alphabet: the printer never fails, never buffers without
// bound, and once a run of plain text has flushed whatever was half-received, answers a probe again.
TEST(VirtualPrinterSettings, SurvivesRandomStreamsAndRecovers) {
    VirtualClock clock;
    const Bytes alphabet = {0x00, 0x1B, 0x1C, 0x1D, 0x01, 'E', 'S',  'C',  'P',  'a',
                            'v',  '#',  '!',  ' ',  'U',  '1', '"',  '{',  '}',  '|',
                            '^',  'M',  'N',  'Z',  'G',  'L', '\r', '\n', 0x80, 0xFF};
    for (unsigned stream = 1; stream <= 20; ++stream) {
        std::mt19937 random(stream);
        VirtualPrinter printer(clock, kCpcl);
        std::size_t sent = 0;
        while (sent < 20000) {
            Bytes chunk(1 + random() % 64);
            for (std::uint8_t& b : chunk)
                b = random() % 4 == 0 ? static_cast<std::uint8_t>(random())
                                      : alphabet[random() % alphabet.size()];
            ASSERT_EQ(printer.receive(chunk), chunk.size());
            sent += chunk.size();
            printer.takeOutput(4096);
        }
        printer.receive(Bytes(300, 'x'));
        printer.takeOutput(4096);
        printer.receive(probeCommand());
        EXPECT_EQ(printer.takeOutput(8),
                  Bytes{static_cast<std::uint8_t>(probeReplyByte(printer.emulation()))})
            << "stream " << stream;
        EXPECT_EQ(printer.bytesReceived(), sent + 303);
        EXPECT_GT(printer.ignoredBytes(), 0u);
        EXPECT_GT(printer.log().size(), 50u) << "the stream should form commands too";
    }
}

}  // namespace
}  // namespace hollin::sim
