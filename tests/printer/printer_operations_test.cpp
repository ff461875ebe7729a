// The advanced-options and Bluetooth operations over a channel whose replies the test plays, on the
// virtual clock.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "printer/advanced_options_operations.h"
#include "printer/bluetooth_codec.h"
#include "printer/bluetooth_operations.h"
#include "support/byte_text.h"
#include "support/played_channel.h"

namespace hollin::printer {
namespace {

using test::bytesOf;
using test::concat;
using test::PlayedChannel;

// --- operations over a played channel

Bytes optionsReply(Bytes block) {
    return concat({bytesOf("\x1B#tavik"), {static_cast<std::uint8_t>(block.size() + 1), 'R'}, block});
}

Bytes zplBlock(std::uint8_t direction) {
    Bytes b(20, 0);
    b[3] = 4;
    b[8] = 10;
    b[9] = direction;
    return b;
}

TEST(ReadAdvancedOptions, AReplyInTwoChunksIsAssembled) {
    PlayedChannel ch;
    const Bytes reply = optionsReply(zplBlock('N'));
    ch.chunks = {Bytes(reply.begin(), reply.begin() + 5), {}, Bytes(reply.begin() + 5, reply.end())};
    const OptionsReadResult r = readAdvancedOptions(ch, kZpl);
    ASSERT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(ch.sent, (std::vector<Bytes>{readAllOptionsCommand()}));
    EXPECT_EQ(r.reply->values.left, 4);
    EXPECT_EQ(r.reply->block, zplBlock('N'));
    EXPECT_EQ(r.reads, 3);
    EXPECT_EQ(ch.time.tickMs(), kOptionsReplyWaitMs + kOptionsEmptyReadPauseMs);
}

TEST(ReadAdvancedOptions, WithoutRAtByteEightItTimesOutAfterExactly62Reads) {
    PlayedChannel ch;
    Bytes reply = optionsReply(zplBlock('N'));
    reply[8] = 'Q';
    ch.chunks = {reply};
    const OptionsReadResult r = readAdvancedOptions(ch, kCpcl);
    EXPECT_EQ(r.outcome, Outcome::NoResponse);
    EXPECT_EQ(ch.receives, kOptionsMaxReads);
    EXPECT_EQ(r.reads, kOptionsMaxReads);
    // 100 ms, then a 50 ms pause after each of the 60 empty reads that another read follows.
    EXPECT_EQ(ch.time.tickMs(), kOptionsReplyWaitMs + 60 * kOptionsEmptyReadPauseMs);
}

TEST(ReadAdvancedOptions, SurplusIsIgnoredAShortReplyRefusedAndAnUnsentReadNotAwaited) {
    PlayedChannel surplus;
    surplus.chunks = {concat({optionsReply(zplBlock('I')), bytesOf("tail")})};
    const OptionsReadResult ok = readAdvancedOptions(surplus, kZpl);
    ASSERT_EQ(ok.outcome, Outcome::Done);
    EXPECT_EQ(ok.reply->values.direction, kDirectionInverted);
    EXPECT_EQ(ok.reply->block, zplBlock('I'));

    PlayedChannel shortReply;
    shortReply.chunks = {optionsReply(Bytes(9, 1))};  // N = 10: no print direction
    EXPECT_EQ(readAdvancedOptions(shortReply, kZpl).outcome, Outcome::BadReply);

    PlayedChannel refused;
    refused.refuse = true;
    EXPECT_EQ(readAdvancedOptions(refused, kCpcl).outcome, Outcome::NotSent);
    EXPECT_EQ(refused.receives, 0);
    EXPECT_EQ(refused.time.tickMs(), 0u);

    // Printers that take no option commands are asked nothing; the wait still runs out.
    PlayedChannel epl;
    EXPECT_EQ(readAdvancedOptions(epl, kEpl).outcome, Outcome::NoResponse);
    EXPECT_TRUE(epl.sent.empty());
}

TEST(SaveAdvancedOptions, SendsOnlyWhatChangedInOrderAndNothingWhileAValueIsOutOfRange) {
    const OptionValues read{0, 0, 0, 1, 2, 3, 10, kDirectionUnknown};
    OptionValues edited = read;
    edited.top = 30;
    edited.errorClear = 1;
    edited.tone = 12;
    edited.direction = kDirectionNormal;
    PlayedChannel ch;
    ASSERT_EQ(saveAdvancedOptions(ch, kZpl, read, edited, zplBlock('X')).outcome, Outcome::Done);
    Bytes block = zplBlock('X');
    block[3] = 1;
    block[4] = 2;
    block[5] = 30;
    block[8] = 12;
    block[9] = 'N';
    EXPECT_EQ(ch.sent, (std::vector<Bytes>{errorClearCommand(1), marginsCommand(1, 2, 30), toneCommand(12),
                                           *writeAllOptionsCommand(block)}));
    // On CPCL the direction never travels.
    PlayedChannel cpcl;
    saveAdvancedOptions(cpcl, kCpcl, read, edited, {});
    EXPECT_EQ(cpcl.sent.size(), 3u);

    for (int bad : {-1, 255}) {
        PlayedChannel none;
        OptionValues wrong = edited;
        wrong.left = bad;
        EXPECT_EQ(saveAdvancedOptions(none, kZpl, read, wrong, zplBlock('X')).outcome, Outcome::Refused);
        EXPECT_TRUE(none.sent.empty());
    }
    PlayedChannel refused;
    refused.refuse = true;
    EXPECT_EQ(saveAdvancedOptions(refused, kCpcl, read, edited, {}).outcome, Outcome::NotSent);
}

TEST(ReadBluetoothInfo, ASilentPrinterEndsAfterAboutThreeSecondsKeepingWhatWasRead) {
    PlayedChannel ch;
    ChannelBluetoothTransport transport(ch);
    ch.chunks = {bytesOf("\"00:1B\"")};
    const BluetoothInfo info = readBluetoothInfo(transport);
    EXPECT_EQ(info.result.outcome, Outcome::NoResponse);
    EXPECT_EQ(info.address, "00:1B");
    EXPECT_FALSE(info.discoverable);
    EXPECT_EQ(ch.sent, (std::vector<Bytes>{btReadAddressCommand(), btReadDiscoverableCommand()}));
    EXPECT_EQ(ch.time.tickMs(), kBtReplyBoundMs);
    // A read that does not go out is not awaited.
    PlayedChannel refused;
    refused.refuse = true;
    ChannelBluetoothTransport refusing(refused);
    EXPECT_EQ(readBluetoothInfo(refusing).result.outcome, Outcome::NotSent);
    EXPECT_EQ(refused.receives, 0);
}

// --- the values the actions take: one rule for the windows and the command line

TEST(ActionInputs, NamePinAndMinutesAreTakenOrRefusedWithTheirMessage) {
    EXPECT_EQ(checkBluetoothName(std::string(18, 'n')), nullptr);
    EXPECT_EQ(checkBluetoothName(std::string(19, 'n')), &kBtNameTooLongText);
    struct PinCase {
        const char* pin;
        PinRule rule;
        const TextTwin* refusal;
    };
    const PinCase pins[] = {
        {"1234", PinRule::FourDigits, nullptr},
        {"12a4", PinRule::FourDigits, &kBtPinValueText},
        {"123", PinRule::FourDigits, &kBtPinDecimalLengthText},
        {"12345", PinRule::FourDigits, &kBtPinDecimalLengthText},
        {"12a4", PinRule::AnyFour, nullptr},
        {"123", PinRule::AnyFour, &kBtPinLengthText},
    };
    for (const PinCase& c : pins) {
        SCOPED_TRACE(c.pin);
        EXPECT_EQ(checkBluetoothPin(c.pin, c.rule), c.refusal);
    }
    for (const auto& [minutes, taken] : {std::pair{0, true}, {255, true}, {-1, false}, {256, false}})
        EXPECT_EQ(powerSaveMinutesAccepted(minutes), taken) << minutes;
}

}  // namespace
}  // namespace hollin::printer
