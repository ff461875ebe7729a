#include "printer/printer_commands.h"

#include <gtest/gtest.h>

#include <string>

namespace hollin {
namespace {

Bytes text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ProbeReply, CrossesCodesZeroAndOneAndAcceptsDigitsOrRawBytes) {
    EXPECT_EQ(emulationFromProbeByte('1'), kEscPos);
    EXPECT_EQ(emulationFromProbeByte(0x01), kEscPos);
    EXPECT_EQ(emulationFromProbeByte(0x00), kCpcl);
    EXPECT_EQ(emulationFromProbeByte('0'), kCpcl);
    EXPECT_EQ(emulationFromProbeByte('3'), kZpl);
    EXPECT_EQ(emulationFromProbeByte(0x05), kDpl);
    EXPECT_EQ(emulationFromProbeByte('6'), 6);
    EXPECT_EQ(emulationFromProbeByte(0x07), 7);
    EXPECT_EQ(emulationFromProbeByte('8'), std::nullopt);
    EXPECT_EQ(emulationFromProbeByte('\n'), std::nullopt);
    EXPECT_EQ(emulationFromProbeByte(0x08), std::nullopt);
}

TEST(ProbeReply, GetEmulationRefusesTheUnnamedCodes) {
    EXPECT_EQ(namedEmulationFromByte('6'), std::nullopt);
    EXPECT_EQ(namedEmulationFromByte(0x07), std::nullopt);
    EXPECT_EQ(namedEmulationFromByte('4'), kEpl);
    EXPECT_EQ(emulationName(kEpl), "EPL");
    EXPECT_EQ(emulationName(kEscPos), "ESC/POS");
    EXPECT_EQ(emulationName(6), "");
    EXPECT_EQ(emulationName(-1), "");
}

TEST(ModelReply, FirstListedNameContainedWinsAndTextEndsAtZero) {
    auto index = [](std::string_view s) {
        const Bytes b = text(s);
        return modelIndexFromReply(b);
    };
    EXPECT_EQ(index("Model Birch-3 v1.2"), 1);
    EXPECT_EQ(index("HazelCedar"), 2);  // list order, not position in the text
    EXPECT_EQ(index("Larch"), 4);
    EXPECT_EQ(index("unknown"), 0);
    EXPECT_EQ(index(std::string_view("xx\0Birch", 8)), 0);
    EXPECT_EQ(modelIndexFromReply({}), 0);
}

TEST(EmulationSwitch, FollowsTheSwitchTable) {
    EXPECT_EQ(setCpclSwitch(kEpl).target, 0x03);
    EXPECT_EQ(setCpclSwitch(kEpl).newKind, kZpl);
    EXPECT_EQ(setCpclSwitch(kZpl).target, 0x03);
    EXPECT_EQ(setCpclSwitch(kEscPos).target, 0x00);
    EXPECT_EQ(setCpclSwitch(kMpcl).newKind, kCpcl);
    EXPECT_EQ(setEscPosSwitch(kZpl).target, 0x04);
    EXPECT_EQ(setEscPosSwitch(kZpl).newKind, kEpl);
    EXPECT_EQ(setEscPosSwitch(kCpcl).target, 0x01);
    EXPECT_EQ(setEscPosSwitch(6).newKind, kEscPos);
    EXPECT_EQ(emulationSwitchCommand(0x03), (Bytes{0x1C, 0x45, 0x53, 0x03}));
}

TEST(SerialConfig, NineByteCommandCodes) {
    // 115200 / 8 / EVEN / 2 / Xon/Xoff
    EXPECT_EQ(serialConfigCommand(115200, 1, 2, 1, 1),
              (Bytes{0x1D, 0x53, 0x43, 0x01, '4', '1', '2', '3', '2'}));
    // 1200 / 7 / NONE / 1 / DTR/DSR
    EXPECT_EQ(serialConfigCommand(1200, 0, 0, 0, 0),
              (Bytes{0x1D, 0x53, 0x43, 0x01, '5', '0', '0', '1', '1'}));
    EXPECT_EQ(serialConfigCommand(9600, 1, 1, 0, 0)[4], '0');
    EXPECT_EQ(serialConfigCommand(14400, 1, 1, 0, 0)[4], 0x00);
}

TEST(SerialConfig, CpclTextsInOrder) {
    const auto texts = cpclSerialConfigTexts(9600, 1, 1);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "! U1 setvar \"comm.baud\" \"9600\"\r\n");
    EXPECT_EQ(texts[1], "! U1 setvar \"comm.parity\" \"o\"\r\n");
    EXPECT_EQ(texts[2], "! U1 setvar \"comm.stop_bits\" \"1\"\r\n");
    EXPECT_EQ(texts[3], "! U1 do \"comm.comm_apply\"\r\n");
    EXPECT_EQ(cpclSerialConfigTexts(115200, 2, 2)[1], "! U1 setvar \"comm.parity\" \"e\"\r\n");
    EXPECT_EQ(cpclSerialConfigTexts(115200, 0, 2)[1], "! U1 setvar \"comm.parity\" \"n\"\r\n");
}

TEST(PowerSave, MinutesFromLeadingDigitsAndOneByteEach) {
    EXPECT_EQ(parseMinutes("?"), 0);
    EXPECT_EQ(parseMinutes(""), 0);
    EXPECT_EQ(parseMinutes("30"), 30);
    EXPECT_EQ(parseMinutes("5x"), 5);
    EXPECT_EQ(parseMinutes(" 7"), 7);
    EXPECT_EQ(parseMinutes("99999999999"), 2147483647);
    EXPECT_EQ(powerSaveCommand(2, 30), (Bytes{0x1D, 0x53, 0x50, 0x02, 0x1E}));
    EXPECT_EQ(powerSaveCommand(0, parseMinutes("?")), (Bytes{0x1D, 0x53, 0x50, 0x00, 0x00}));
    EXPECT_EQ(powerSaveCommand(1, 300)[4], 300 & 0xFF);
}

TEST(CodePage, EplCountsFromOne) {
    EXPECT_EQ(codePageCommand(kEscPos, 0), (Bytes{0x1C, 0x45, 0x50, 0x00}));
    EXPECT_EQ(codePageCommand(kEpl, 0), (Bytes{0x1C, 0x45, 0x50, 0x01}));
    EXPECT_EQ(codePageCommand(kEscPos, 28), (Bytes{0x1C, 0x45, 0x50, 28}));
    EXPECT_EQ(kGeneralCodePages[28], "ISO_8859_1");
    EXPECT_EQ(kEplCodePages[19], "CP_1255");
    // The entry an announcement names; a position outside the list names nothing.
    EXPECT_EQ(listEntry(kGeneralCodePages, 1), "CP_KATAKANA");
    EXPECT_EQ(listEntry(kGeneralCodePages, -1), "");
    EXPECT_EQ(listEntry(kDensityNames, 5), "");
}

TEST(CodePage, SampleHoldsEveryHighByteOnceInOrder) {
    const Bytes sample = codePageSample();
    ASSERT_EQ(sample.size(), 180u);
    Bytes high;
    for (auto b : sample) {
        if (b >= 0x80)
            high.push_back(b);
    }
    ASSERT_EQ(high.size(), 128u);
    for (int i = 0; i < 128; ++i)
        EXPECT_EQ(high[static_cast<std::size_t>(i)], 0x80 + i);
    EXPECT_EQ(Bytes(sample.begin(), sample.begin() + 6), (Bytes{0x0D, 0x0A, 0x0D, 0x0A, 0x20, 0x80}));
    EXPECT_EQ(sample[21], 0x20);  // the blank after 8F
    EXPECT_EQ(Bytes(sample.end() - 5, sample.end()), (Bytes{0x20, 0x0D, 0x0A, 0x0D, 0x0A}));
    EXPECT_EQ(printCodePageCommand(), concat({0x1B, 0x61, 0x01}, sample));
}

TEST(Density, FsHashHashDensityAndPositionPlusOne) {
    EXPECT_EQ(densityCommand(0), (Bytes{0x1C, 0x23, 0x23, 0x44, 0x45, 0x4E, 0x53, 0x49, 0x54, 0x59, 0x01}));
    EXPECT_EQ(densityCommand(2).back(), 0x03);
    EXPECT_EQ(densityCommand(4).size(), 11u);
}

TEST(LabelMedia, BytesPerEmulation) {
    const Bytes cpclGap = text("! U1 setvar \"media.sense_mode\" \"gap\"\r\n");
    EXPECT_EQ(setGapCommand(kCpcl), cpclGap);
    EXPECT_EQ(setGapCommand(6), cpclGap);
    EXPECT_EQ(setGapCommand(kZpl), (Bytes{0x1C, 0x47}));
    EXPECT_EQ(setGapCommand(kMpcl), (Bytes{0x1C, 0x47}));
    EXPECT_TRUE(setGapCommand(kEscPos).empty());
    EXPECT_TRUE(setGapCommand(kDpl).empty());
    EXPECT_TRUE(setGapCommand(7).empty());

    EXPECT_EQ(setBlackMarkCommand(kZpl, 1), (Bytes{0x1C, 0x55}));
    EXPECT_EQ(setBlackMarkCommand(kEpl, 0), (Bytes{0x1C, 0x4C}));
    EXPECT_EQ(setBlackMarkCommand(kCpcl, 1), text("! U1 setvar \"media.sense_mode\" \"bar\"\r\n"
                                                  "! U1 setvar \"media.BM_sense_pos\" \"upper\"\r\n"));
    EXPECT_EQ(setBlackMarkCommand(6, 0), text("! U1 setvar \"media.sense_mode\" \"bar\"\r\n"
                                              "! U1 setvar \"media.BM_sense_pos\" \"lower\"\r\n"));
    EXPECT_TRUE(setBlackMarkCommand(kEscPos, 1).empty());

    EXPECT_EQ(setContinuousCommand(kEpl), (Bytes{0x1C, 0x4A}));
    EXPECT_EQ(setContinuousCommand(kZpl), text("^MNZ"));
    EXPECT_EQ(setContinuousCommand(kMpcl), text("{,I,B,3,0,0,0|}"));
    EXPECT_EQ(setContinuousCommand(kMpcl).size(), 15u);
    EXPECT_EQ(setContinuousCommand(kCpcl), text("! U1 setvar \"media.type\" \"journal\"\r\n"));
    EXPECT_TRUE(setContinuousCommand(kDpl).empty());

    EXPECT_EQ(gapCalibrationCommand(), (Bytes{0x1C, 0x46}));
    EXPECT_EQ(blackMarkCalibrationCommand(), (Bytes{0x1C, 0x42}));
}

TEST(CompatibleMode, OnlyEscPosAndCpclPrinters) {
    EXPECT_EQ(compatibleModeCommand(kEscPos, 1),
              (Bytes{0x1B, 0x23, 't', 'a', 'v', 'i', 'k', 0x02, 0x43, 0x01}));
    EXPECT_EQ(compatibleModeCommand(kCpcl, 0).back(), 0x00);
    EXPECT_TRUE(compatibleModeCommand(kZpl, 1).empty());
}

}  // namespace
}  // namespace hollin
