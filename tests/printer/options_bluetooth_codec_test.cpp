// The advanced-options and Bluetooth commands byte for byte, and the readers of their replies on
// short, long and arbitrary input.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/device_text.h"
#include "printer/advanced_options_codec.h"
#include "printer/bluetooth_codec.h"
#include "support/byte_text.h"

namespace hollin::printer {
namespace {

using test::bytesOf;
using test::concat;

const Bytes kTavik = bytesOf("\x1B#tavik");
const Bytes kBt = {0x1B, 0x62, 0x74};

// A read-all reply: prefix, N = block + 1, "R", block.
Bytes optionsReply(const Bytes& block) {
    return concat({kTavik, {static_cast<std::uint8_t>(block.size() + 1), 'R'}, block});
}

Bytes block20(std::uint8_t direction = 'N') {
    Bytes b(20, 0);
    b[0] = 1;    // language
    b[1] = 1;    // error clear
    b[2] = 0;    // peeler
    b[3] = 5;    // left
    b[4] = 6;    // TOF
    b[5] = 130;  // top
    b[8] = 9;    // tone
    b[9] = direction;
    return b;
}

TEST(OptionAndBluetoothCommands, EveryCommandByteForByte) {
    const struct {
        Bytes built;
        Bytes expected;
    } cases[] = {
        {readAllOptionsCommand(), concat({kTavik, {0x02, 'R', 0x00}})},
        {errorClearCommand(1), concat({kTavik, {0x02, 'E', 0x01}})},
        {languageCommand(4), concat({kTavik, {0x02, 'L', 0x04}})},
        {peelerCommand(1), concat({kTavik, {0x02, 'P', 0x01}})},
        {toneCommand(254), concat({kTavik, {0x02, 'T', 0xFE}})},
        {marginsCommand(1, 2, 3), concat({kTavik, {0x04, 'M', 1, 2, 3}})},
        {*writeAllOptionsCommand(Bytes{7, 8, 9}), concat({kTavik, {0x04, 'w', 7, 8, 9}})},
        {bleCommand(true), concat({kTavik, {0x02, 'B', 0x01}})},
        {bleCommand(false), concat({kTavik, {0x02, 'B', 0x00}})},
        {btReadAddressCommand(), concat({kBt, {0x01, 0x0E}})},
        {btReadDiscoverableCommand(), concat({kBt, {0x01, 0x56}})},
        {btReadNameCommand(), concat({kBt, {0x01, 0x80}})},
        {*btWriteNameCommand(""), concat({kBt, {0x01, 0x81}})},
        {*btWriteNameCommand("Pr"), concat({kBt, {0x03, 0x81, 'P', 'r'}})},
        {*btWriteNameCommand(std::string(18, 'n')), concat({kBt, {0x13, 0x81}, Bytes(18, 'n')})},
        {*btWritePinCommand("12a4"), concat({kBt, {0x05, 0x90, '1', '2', 'a', '4'}})},
        {btDiscoverableCommand(true), concat({kBt, {0x01, 0x05}})},
        {btDiscoverableCommand(false), concat({kBt, {0x01, 0x06}})},
        {btAutoConnectionCommand(true), concat({kBt, {0x02, 0x0C, 0x01}})},
        {btAutoConnectionCommand(false), concat({kBt, {0x02, 0x0C, 0x00}})},
        {btNumericComparisonCommand(true), concat({kBt, {0x02, 0x9A, 'Y'}})},
        {btNumericComparisonCommand(false), concat({kBt, {0x02, 0x9A, 'N'}})},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].built, cases[i].expected) << "case " << i;
    // The name's limit counts bytes: 18 bytes of UTF-8 pass, 19 do not; the PIN is 4 characters.
    EXPECT_TRUE(
        btWriteNameCommand("\xED\x94\x84\xEB\xA6\xB0\xED\x84\xB0"
                           "ABCDEFGHI"));
    EXPECT_FALSE(btWriteNameCommand(std::string(19, 'n')));
    EXPECT_FALSE(btWritePinCommand("123"));
    EXPECT_FALSE(btWritePinCommand("12345"));
    EXPECT_FALSE(btWritePinCommand("12\xC3\xA9"));
    EXPECT_EQ(btWritePinCommand("123\xC3\xA9"), concat({kBt, {0x06, 0x90, '1', '2', '3', 0xC3, 0xA9}}));
    EXPECT_TRUE(btWritePinCommand("123\xE9"));  // not UTF-8: each byte is one character
    EXPECT_FALSE(writeAllOptionsCommand(Bytes(255, 0)));
    EXPECT_TRUE(writeAllOptionsCommand(Bytes(254, 0)));
}

TEST(OptionsReply, CompleteOnlyOnceNineBytesWithRAndNPlusEightAreHeld) {
    const Bytes reply = optionsReply(block20());  // 29 bytes, N = 21
    for (std::size_t n = 0; n < reply.size(); ++n)
        EXPECT_FALSE(optionsReplyComplete(std::span(reply.data(), n))) << n;
    EXPECT_TRUE(optionsReplyComplete(reply));
    // Surplus bytes after the reply do not keep it from completing, and are not part of it.
    Bytes longer = concat({reply, bytesOf("garbage")});
    ASSERT_TRUE(optionsReplyComplete(longer));
    const auto parsed = parseOptionsReply(longer, true);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->block, block20());
    // Byte 8 other than "R" never completes.
    Bytes notR = reply;
    notR[8] = 'r';
    EXPECT_FALSE(optionsReplyComplete(notR));
}

TEST(OptionsReply, ValuesComeFromTheirBytesAndTooShortACountIsRefused) {
    const auto cpcl = parseOptionsReply(optionsReply(block20('I')), false);
    ASSERT_TRUE(cpcl);
    EXPECT_EQ(cpcl->values, (OptionValues{1, 1, 0, 5, 6, 130, 9, kDirectionNormal}));
    EXPECT_TRUE(cpcl->block.empty());
    const auto zpl = parseOptionsReply(optionsReply(block20('I')), true);
    ASSERT_TRUE(zpl);
    EXPECT_EQ(zpl->values.direction, kDirectionInverted);
    EXPECT_EQ(parseOptionsReply(optionsReply(block20('X')), true)->values.direction, kDirectionUnknown);
    // N = 10 holds the tone but not the direction.
    const Bytes full = block20();
    const Bytes nine(full.begin(), full.begin() + 9);
    EXPECT_TRUE(parseOptionsReply(optionsReply(nine), false));
    EXPECT_FALSE(parseOptionsReply(optionsReply(nine), true));
    const Bytes eight(nine.begin(), nine.end() - 1);
    EXPECT_FALSE(parseOptionsReply(optionsReply(eight), false));
    // The block as write all carries it: margins, tone and direction replaced.
    OptionValues edited{1, 1, 0, 11, 12, 13, 14, kDirectionNormal};
    Bytes expected = block20('X');
    expected[3] = 11;
    expected[4] = 12;
    expected[5] = 13;
    expected[8] = 14;
    expected[9] = 'N';
    EXPECT_EQ(updatedOptionBlock(block20('X'), edited), expected);
}

TEST(BluetoothReply, TextTrimsQuotesAndStopsAtZeroDiscoverableWantsLowerCaseOn) {
    EXPECT_EQ(btReplyText(bytesOf("\"\"00:11:22\"")), "00:11:22");
    EXPECT_EQ(btReplyText(bytesOf("\"MOVON\"")), "MOVON");
    EXPECT_EQ(btReplyText(bytesOf(std::string_view("na\0me", 5))), "na");
    EXPECT_EQ(btReplyText(bytesOf("\"\"")), "");
    EXPECT_EQ(btReplyText(bytesOf("\xE9t\xE9")), "\xC3\xA9t\xC3\xA9");  // Latin-1 shown as UTF-8
    EXPECT_EQ(btReplyText(bytesOf("\xC3\xA9")), "\xC3\xA9");            // valid UTF-8 kept
    EXPECT_TRUE(btNameUnsupported(btReplyText(bytesOf("\"MOVON\""))));
    EXPECT_FALSE(btNameUnsupported(btReplyText(bytesOf("\"MOVONX\""))));
    EXPECT_TRUE(btDiscoverableReplyOn(bytesOf("discoverable on")));
    EXPECT_FALSE(btDiscoverableReplyOn(bytesOf("off")));
    EXPECT_FALSE(btDiscoverableReplyOn(bytesOf("ON")));
    EXPECT_FALSE(btDiscoverableReplyOn(bytesOf(std::string_view("x\0on", 4))));
    EXPECT_TRUE(btPinDecimal("0123"));
    EXPECT_FALSE(btPinDecimal("12a4"));
    EXPECT_TRUE(btPinLengthOk("12a4"));
}

// Random replies of every length up to 600 bytes never read past what they hold, and whatever they
// give back lies within them (run under the sanitizer presets as well).
TEST(OptionAndBluetoothReplies, SurviveArbitraryBytes) {
    std::mt19937 random(10);
    for (int round = 0; round < 3000; ++round) {
        Bytes reply(random() % 600);
        for (auto& b : reply)
            b = static_cast<std::uint8_t>(random());
        if (reply.size() > 8 && round % 2 == 0)
            reply[8] = 'R';
        for (bool zpl : {false, true}) {
            const auto parsed = parseOptionsReply(reply, zpl);
            if (parsed) {
                ASSERT_TRUE(optionsReplyComplete(reply));
                ASSERT_LE(parsed->block.size() + 9, reply.size());
            }
        }
        ASSERT_TRUE(isValidUtf8(bytesOf(btReplyText(reply))));
        btDiscoverableReplyOn(reply);
    }
}

}  // namespace
}  // namespace hollin::printer
