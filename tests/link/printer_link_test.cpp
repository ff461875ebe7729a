#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "link/fake_serial_port.h"
#include "link/printer_link.h"

namespace hollin {
namespace {

using test::FakePortState;
using test::FakeSerialPort;

const Bytes kWakeUp = {0x00, 0x00};

class PrinterLinkTest : public ::testing::Test {
  protected:
    PrinterLink makeLink() {
        PrinterLink link(
            clock_, [this] { return std::make_unique<FakeSerialPort>(port_); },
            [](std::string_view name) -> std::optional<std::string> {
                if (name == "COM1")
                    return "/dev/fake1";
                return std::nullopt;
            });
        link.setTraceSink([this](std::string_view text) { traces_.emplace_back(text); });
        return link;
    }
    int openDefault(PrinterLink& link) { return link.Open("COM1", 115200, 0, 1, 0, 1); }
    Bytes pattern(std::size_t n) {
        Bytes b(n);
        std::iota(b.begin(), b.end(), std::uint8_t{1});
        return b;
    }

    VirtualClock clock_{5000};
    FakePortState port_{clock_};
    std::vector<std::string> traces_;
};

TEST_F(PrinterLinkTest, OpenPurgesThenConfiguresLineAndTimeOuts) {
    PrinterLink link = makeLink();
    ASSERT_EQ(link.Open("COM1", 9600, 2, 1, 1, 1), 0);
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(port_.device, "/dev/fake1");
    EXPECT_EQ(port_.events, (std::vector<std::string>{"open", "purge", "configure", "timeouts"}));
    EXPECT_EQ(*port_.line, (LineSettings{9600, Parity::Even, 8, 2, 1}));
    EXPECT_EQ(port_.timeouts->readIntervalMs, 50u);
    EXPECT_EQ(port_.timeouts->readTotalMs, 100u);
    EXPECT_EQ(port_.timeouts->writePerByteMs, 2u);

    ASSERT_EQ(link.Open("COM1", 1200, 1, 0, 0, 9), 0);  // reopening closes the held port first
    EXPECT_EQ(port_.closes, 1);
    EXPECT_EQ(*port_.line, (LineSettings{1200, Parity::Odd, 7, 1, 9}));  // other flow codes pass
    EXPECT_TRUE(traces_.empty());
}

TEST(LinkTimeouts, WriteTimeOutPerByteFollowsTheRate) {
    const std::pair<std::uint32_t, std::uint32_t> table[] = {{1200, 16}, {2400, 8},  {4800, 4},  {9600, 2},
                                                             {19200, 1}, {38400, 0}, {57600, 0}, {115200, 0}};
    for (const auto& [baud, perByte] : table) {
        const PortTimeouts t = linkTimeoutsFor(baud);
        EXPECT_EQ(t.writePerByteMs, perByte) << baud;
        EXPECT_EQ(t.writeConstantMs, 0u);
        EXPECT_EQ(t.readIntervalMs, 50u);
        EXPECT_EQ(t.readTotalMs, 100u);
        EXPECT_EQ(t.readPerByteMs, 0u);
    }
}

TEST_F(PrinterLinkTest, RateOrCodeNotAcceptedFailsWithThePortStillOpenUntilClose) {
    struct Case {
        std::uint32_t baud;
        int parity, dataBits, stopBits;
    };
    for (const Case c :
         {Case{14400, 0, 1, 0}, Case{9600, 3, 1, 0}, Case{9600, 0, 2, 0}, Case{9600, 0, 1, -1}}) {
        port_.events.clear();
        PrinterLink link = makeLink();
        EXPECT_EQ(link.Open("COM1", c.baud, c.parity, c.dataBits, c.stopBits, 0), -1) << c.baud;
        EXPECT_TRUE(link.isOpen());
        EXPECT_TRUE(port_.open);
        EXPECT_EQ(port_.events, (std::vector<std::string>{"open", "purge"}));
        link.Close();
        EXPECT_FALSE(port_.open);
        EXPECT_FALSE(link.isOpen());
    }
    EXPECT_TRUE(traces_.empty());
}

TEST_F(PrinterLinkTest, SettingsRejectedByThePortAreTracedAndLeaveItOpen) {
    port_.configureFails = true;
    PrinterLink link = makeLink();
    EXPECT_EQ(openDefault(link), -1);
    EXPECT_EQ(traces_, (std::vector<std::string>{"SetCommState"}));
    EXPECT_TRUE(port_.open);
    link.Close();
    EXPECT_FALSE(port_.open);
}

TEST_F(PrinterLinkTest, PortThatDoesNotOpenLeavesTheLinkClosed) {
    PrinterLink link = makeLink();
    EXPECT_EQ(link.Open("COM7", 9600, 0, 1, 0, 0), -1);  // no device behind it
    EXPECT_TRUE(port_.events.empty());
    port_.openFails = true;
    EXPECT_EQ(openDefault(link), -1);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.nativeHandle(), -1);
    link.Close();
    EXPECT_EQ(port_.closes, 0);
}

TEST_F(PrinterLinkTest, WakeUpComesBeforeTheFirstWriteAndAfterSixtySecondsOfSilence) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    const Bytes ab = {'A', 'B'};
    ASSERT_EQ(link.Write(ab), 2);
    ASSERT_EQ(port_.sent.size(), 2u);
    EXPECT_EQ(port_.sent[0].bytes, kWakeUp);
    EXPECT_EQ(port_.sent[1].bytes, ab);
    EXPECT_EQ(port_.sent[1].atMs - port_.sent[0].atMs, 350u);
    EXPECT_EQ(clock_.sleptMs(), 350u);

    clock_.advance(59000);
    ASSERT_EQ(link.Write(ab), 2);
    clock_.advance(60000);  // exactly 60 s: not yet
    ASSERT_EQ(link.Write(ab), 2);
    EXPECT_EQ(port_.sent.size(), 4u);

    clock_.advance(60001);
    ASSERT_EQ(link.Write(ab), 2);
    ASSERT_EQ(port_.sent.size(), 6u);
    EXPECT_EQ(port_.sent[4].bytes, kWakeUp);
    EXPECT_EQ(clock_.sleptMs(), 700u);
}

TEST_F(PrinterLinkTest, SilenceIsMeasuredAcrossTheTickCounterWrap) {
    clock_.set(0xFFFFA000u);  // about 24 s before the counter wraps
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    const Bytes x = {'x'};
    ASSERT_EQ(link.Write(x), 1);  // with wake-up
    clock_.advance(30000);        // wraps
    ASSERT_EQ(link.Write(x), 1);
    EXPECT_EQ(port_.sent.size(), 3u);
    clock_.advance(60001);
    ASSERT_EQ(link.Write(x), 1);
    ASSERT_EQ(port_.sent.size(), 5u);
    EXPECT_EQ(port_.sent[3].bytes, kWakeUp);
}

TEST_F(PrinterLinkTest, LongWriteLeavesInChunksOfSixtyFourAndEndsWithAPurge) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    const Bytes data = pattern(150);
    port_.events.clear();
    EXPECT_EQ(link.Write(data), 150);
    EXPECT_TRUE(link.lastWriteDelivered());
    ASSERT_EQ(port_.sent.size(), 4u);
    EXPECT_EQ(port_.sent[1].bytes.size(), 64u);
    EXPECT_EQ(port_.sent[2].bytes.size(), 64u);
    EXPECT_EQ(port_.sent[3].bytes.size(), 22u);
    EXPECT_EQ(port_.allSent(1), data);
    EXPECT_EQ(port_.events.back(), "purge");
}

TEST_F(PrinterLinkTest, AChunkThePortTakesOnlyInPartIsFinishedBeforeTheNextOne) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    port_.takesAtMost = 40;
    const Bytes data = pattern(100);
    EXPECT_EQ(link.Write(data), 100);
    EXPECT_TRUE(link.lastWriteDelivered());
    std::vector<std::size_t> pieces;
    for (std::size_t i = 1; i < port_.sent.size(); ++i)
        pieces.push_back(port_.sent[i].bytes.size());
    EXPECT_EQ(pieces, (std::vector<std::size_t>{40, 24, 36}));  // 64 = 40 + 24, then the last 36
    EXPECT_EQ(port_.allSent(1), data);
}

TEST_F(PrinterLinkTest, BytesArrivingDuringAWriteAreGoneAfterIt) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    port_.duringWrite = [this] { port_.arrive({'o', 'l', 'd'}); };
    ASSERT_EQ(link.Write(pattern(100)), 100);
    port_.duringWrite = nullptr;
    std::uint8_t buffer[16];
    EXPECT_EQ(link.Read(buffer), 0);

    port_.arrive({'O', 'K'});
    ASSERT_EQ(link.Read(buffer), 2);
    EXPECT_EQ(buffer[0], 'O');
    EXPECT_EQ(buffer[1], 'K');
}

TEST_F(PrinterLinkTest, ReadTakesOnlyWhatWaitsAndNeverWaits) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    std::uint8_t buffer[3];
    const std::uint32_t before = clock_.tickMs();
    EXPECT_EQ(link.Read(buffer), 0);
    EXPECT_EQ(port_.reads, 0);
    EXPECT_EQ(clock_.tickMs(), before);

    port_.arrive({1, 2, 3, 4, 5});
    EXPECT_EQ(link.Read(buffer), 3);
    EXPECT_EQ(link.Read(buffer), 2);
    EXPECT_EQ(buffer[1], 5);
    EXPECT_EQ(port_.reads, 2);
}

TEST_F(PrinterLinkTest, WaitReadableWaitsOnThePortOrElsePausesOnTheClock) {
    PrinterLink link = makeLink();
    EXPECT_FALSE(link.waitReadable(10));  // closed: a pause
    EXPECT_EQ(clock_.sleptMs(), 10u);
    ASSERT_EQ(openDefault(link), 0);
    EXPECT_FALSE(link.waitReadable(10));  // the port waits the whole time
    EXPECT_EQ(clock_.sleptMs(), 20u);
    port_.arrive({1});
    EXPECT_TRUE(link.waitReadable(10));  // bytes wait: at once
    EXPECT_EQ(clock_.sleptMs(), 20u);
    port_.cannotWait = true;
    EXPECT_TRUE(link.waitReadable(10));  // the link pauses itself, then looks
    EXPECT_EQ(clock_.sleptMs(), 30u);
    EXPECT_EQ(port_.reads, 0);
}

TEST_F(PrinterLinkTest, ClosedLinkTouchesNothing) {
    PrinterLink never = makeLink();
    never.Close();
    std::uint8_t buffer[4];
    EXPECT_EQ(never.Write(pattern(4)), 0);
    EXPECT_EQ(never.Read(buffer), 0);
    EXPECT_TRUE(port_.events.empty());

    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    link.Close();
    link.Close();
    EXPECT_EQ(port_.closes, 1);
    port_.events.clear();
    port_.arrive({1});
    EXPECT_EQ(link.Write(pattern(4)), 0);
    EXPECT_FALSE(link.lastWriteDelivered());
    EXPECT_EQ(link.Read(buffer), 0);
    EXPECT_TRUE(port_.events.empty());
}

TEST_F(PrinterLinkTest, ChunkThatNeverFinishesGivesUpAfterOneSecondAndPurges) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    port_.script = {WriteStatus::Completed, WriteStatus::Completed, WriteStatus::TimedOut};
    const std::uint32_t start = clock_.tickMs();
    EXPECT_EQ(link.Write(pattern(150)), 0);
    EXPECT_FALSE(link.lastWriteDelivered());
    EXPECT_EQ(clock_.tickMs() - start, 350u + 1000u);
    EXPECT_EQ(port_.sent.size(), 2u);  // wake-up and the first chunk
    EXPECT_EQ(port_.events.back(), "purge");
}

TEST_F(PrinterLinkTest, ChunkRefusedAtOnceIsTriedAgainWithinTheSameBound) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    port_.script = {WriteStatus::Completed, WriteStatus::FailedAtOnce, WriteStatus::FailedAtOnce};
    EXPECT_EQ(link.Write(pattern(10)), 10);
    EXPECT_EQ(port_.writeAttempts, 4);
    EXPECT_EQ(port_.allSent(1), pattern(10));
    EXPECT_EQ(clock_.sleepCount(), 3u);  // the wake-up pause and two retry pauses

    port_.writeAttempts = 0;
    port_.otherWrites = WriteStatus::FailedAtOnce;
    const std::uint32_t start = clock_.tickMs();
    EXPECT_EQ(link.Write(pattern(10)), 0);
    EXPECT_EQ(clock_.tickMs() - start, 1000u);
    EXPECT_EQ(port_.writeAttempts, 100);  // one every 10 ms
    EXPECT_EQ(port_.events.back(), "purge");

    port_.otherWrites = WriteStatus::Failed;  // failed after it started: no second try
    port_.writeAttempts = 0;
    EXPECT_EQ(link.Write(pattern(10)), 0);
    EXPECT_EQ(port_.writeAttempts, 1);
}

TEST_F(PrinterLinkTest, WakeUpThatNeverFinishesEndsTheWriteWithoutTheData) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    port_.script = {WriteStatus::TimedOut};
    EXPECT_EQ(link.Write(pattern(5)), 0);
    EXPECT_TRUE(port_.sent.empty());
    EXPECT_EQ(clock_.sleepCount(), 0u);
    EXPECT_EQ(link.Write(pattern(5)), 5);  // the wake-up is still owed
    EXPECT_EQ(port_.sent[0].bytes, kWakeUp);
}

TEST_F(PrinterLinkTest, SharedCopyUsesThePortButNeverClosesIt) {
    PrinterLink link = makeLink();
    ASSERT_EQ(openDefault(link), 0);
    ASSERT_EQ(link.Write(asBytes("a")), 1);
    {
        PrinterLink copy = link.sharedCopy();
        EXPECT_EQ(copy.nativeHandle(), link.nativeHandle());
        EXPECT_EQ(copy.Write(asBytes("bc")), 2);  // within 60 s of the owner's write: no wake-up
        copy.Close();
    }
    EXPECT_EQ(port_.closes, 0);
    EXPECT_EQ(port_.allSent(), (Bytes{0, 0, 'a', 'b', 'c'}));
    EXPECT_EQ(link.Write(asBytes("d")), 1);
}

}  // namespace
}  // namespace hollin
