#include <gtest/gtest.h>
#include <termios.h>

#include "common/bytes.h"
#include "link/printer_link.h"
#include "link/pty.h"
#include "link/serial_port.h"

namespace hollin {
namespace {

using test::Pty;

termios settingsOf(const SerialPort& port) {
    termios t{};
    EXPECT_EQ(::tcgetattr(static_cast<int>(port.nativeHandle()), &t), 0);
    return t;
}

class LinuxSerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.ok());
        ASSERT_TRUE(port_->open(pty_.slavePath()));
    }
    Pty pty_;
    std::unique_ptr<SerialPort> port_ = makeSystemSerialPort();
};

TEST_F(LinuxSerialPortTest, XonXoffSetsBothDirectionsWithCharacters17And19InRawMode) {
    ASSERT_TRUE(port_->configure({9600, Parity::None, 8, 1, 1}));
    const termios t = settingsOf(*port_);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_FALSE(t.c_iflag & IXANY);
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(::cfgetospeed(&t), B9600);
    EXPECT_EQ(::cfgetispeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | ISTRIP));
}

TEST_F(LinuxSerialPortTest, OtherFlowCodesSwitchHandshakesOrKeepThem) {
    ASSERT_TRUE(port_->configure({115200, Parity::None, 8, 1, 1}));
    ASSERT_TRUE(port_->configure({115200, Parity::None, 8, 1, 7}));  // kept as found
    EXPECT_TRUE(settingsOf(*port_).c_iflag & IXON);
    EXPECT_EQ(settingsOf(*port_).c_cc[VSTOP], 19);

    ASSERT_TRUE(port_->configure({115200, Parity::None, 8, 1, 0}));  // DTR, no handshake
    termios t = settingsOf(*port_);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(t.c_cflag & CRTSCTS);

    ASSERT_TRUE(port_->configure({115200, Parity::None, 8, 1, 2}));  // RTS/CTS
    t = settingsOf(*port_);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
}

TEST_F(LinuxSerialPortTest, FramingFollowsTheLineSettings) {
    // A pseudo-terminal always reads back as 8 bits without parity generation, so the data bits and
    // PARENB cannot be seen here; the rest of the framing can.
    ASSERT_TRUE(port_->configure({1200, Parity::Odd, 7, 2, 0}));
    termios t = settingsOf(*port_);
    EXPECT_EQ(::cfgetospeed(&t), B1200);
    EXPECT_TRUE(t.c_cflag & PARODD);
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_TRUE(t.c_cflag & CSTOPB);

    ASSERT_TRUE(port_->configure({57600, Parity::Even, 8, 1, 0}));
    t = settingsOf(*port_);
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_FALSE(t.c_cflag & PARODD);
    EXPECT_FALSE(t.c_cflag & CSTOPB);

    ASSERT_TRUE(port_->configure({57600, Parity::None, 8, 1, 0}));
    EXPECT_FALSE(settingsOf(*port_).c_iflag & INPCK);

    EXPECT_FALSE(port_->configure({14400, Parity::None, 8, 1, 0}));  // no such rate on Linux
}

TEST_F(LinuxSerialPortTest, DeviceInUseDoesNotOpenTwice) {
    auto second = makeSystemSerialPort();
    EXPECT_FALSE(second->open(pty_.slavePath()));
    EXPECT_EQ(openFailureReasonFor(second->openError()), OpenFailureReason::Busy);
    port_->close();
    EXPECT_TRUE(second->open(pty_.slavePath()));
    auto missing = makeSystemSerialPort();
    EXPECT_FALSE(missing->open("/nonexistent/tty"));
    EXPECT_EQ(openFailureReasonFor(missing->openError()), OpenFailureReason::Missing);
}

TEST_F(LinuxSerialPortTest, ReadEndsWhenTheBytesStopAndPurgeDropsWhatWaits) {
    ASSERT_TRUE(port_->configure({115200, Parity::None, 8, 1, 0}));
    ASSERT_TRUE(port_->setTimeouts(linkTimeoutsFor(115200)));
    EXPECT_EQ(port_->bytesWaiting(), 0u);
    pty_.send({'a', 'b', 'c'});
    ASSERT_TRUE(test::inputArrives(static_cast<int>(port_->nativeHandle())));
    std::uint8_t buffer[100];
    EXPECT_EQ(port_->read(buffer, sizeof buffer), 3);  // ends after the gap, not at 100 bytes

    pty_.send({'x', 'y'});
    ASSERT_TRUE(test::inputArrives(static_cast<int>(port_->nativeHandle())));
    EXPECT_EQ(port_->bytesWaiting(), 2u);
    port_->purge();
    EXPECT_EQ(port_->bytesWaiting(), 0u);
}

TEST_F(LinuxSerialPortTest, WaitReadableEndsAtOnceWhenBytesWaitAndOtherwiseTakesItsTime) {
    ASSERT_TRUE(port_->configure({115200, Parity::None, 8, 1, 0}));
    std::uint32_t start = systemClock().tickMs();
    EXPECT_EQ(port_->waitReadable(30), ReadWait::TimedOut);
    EXPECT_GE(elapsedMs(start, systemClock().tickMs()), 29u);

    pty_.send({'a'});
    start = systemClock().tickMs();
    EXPECT_EQ(port_->waitReadable(5000), ReadWait::Readable);
    EXPECT_LT(elapsedMs(start, systemClock().tickMs()), 1000u);
    port_->close();
    EXPECT_EQ(port_->waitReadable(10), ReadWait::CannotWait);
}

TEST_F(LinuxSerialPortTest, WriteToATerminalNobodyReadsEndsAtItsTimeOuts) {
    ASSERT_TRUE(port_->configure({115200, Parity::None, 8, 1, 0}));
    const std::vector<std::uint8_t> block(4096, 0x55);
    WriteOutcome out;
    for (int i = 0; i < 200 && out.status != WriteStatus::TimedOut; ++i)
        out = port_->write(block.data(), block.size(), 20);
    ASSERT_EQ(out.status, WriteStatus::TimedOut);  // the terminal's buffers are full

    // The port's own per-byte time-out (64 bytes x 1 ms) ends a write before the caller's wait does,
    // reporting what went out: nothing.
    ASSERT_TRUE(port_->setTimeouts(linkTimeoutsFor(19200)));
    const std::uint32_t start = systemClock().tickMs();
    out = port_->write(block.data(), 64, 5000);
    EXPECT_EQ(out.status, WriteStatus::Completed);
    EXPECT_EQ(out.count, 0u);
    EXPECT_LT(elapsedMs(start, systemClock().tickMs()), 2000u);
}

// The link on a real terminal, its pauses on virtual time.
class PrinterLinkOnPtyTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty_.ok()); }
    PrinterLink makeLink() {
        return PrinterLink(
            clock_, [] { return makeSystemSerialPort(systemClock()); },
            [this](std::string_view name) -> std::optional<std::string> {
                if (name == "COM1")
                    return pty_.slavePath();
                return std::nullopt;
            });
    }
    Pty pty_;
    VirtualClock clock_{100000};
};

TEST_F(PrinterLinkOnPtyTest, WriteAndReadRoundTrip) {
    PrinterLink link = makeLink();
    ASSERT_EQ(link.Open("COM1", 115200, 0, 1, 0, 0), 0);
    const std::vector<std::uint8_t> command = {0x1B, 0x76, 0x0A, 0x0D, 0x11, 0x13, 0xFF};
    ASSERT_EQ(link.Write(command), 7);
    std::vector<std::uint8_t> expected = {0x00, 0x00};
    expected.insert(expected.end(), command.begin(), command.end());
    EXPECT_EQ(pty_.receive(expected.size()), expected);

    pty_.send({'O', 'K', 0x0D, 0x0A, 0x00});
    ASSERT_TRUE(test::inputArrives(static_cast<int>(link.nativeHandle())));
    std::uint8_t buffer[64];
    EXPECT_EQ(link.Read(buffer), 5);
    EXPECT_EQ(buffer[2], 0x0D);
    EXPECT_EQ(link.Read(buffer), 0);
    link.Close();
    EXPECT_EQ(link.nativeHandle(), -1);
}

TEST_F(PrinterLinkOnPtyTest, RateTheLinkDoesNotOfferKeepsTheTerminalHeldUntilClose) {
    PrinterLink link = makeLink();
    EXPECT_EQ(link.Open("COM1", 14400, 0, 1, 0, 0), -1);
    EXPECT_TRUE(link.isOpen());
    EXPECT_FALSE(makeSystemSerialPort()->open(pty_.slavePath()));  // still ours
    link.Close();
    EXPECT_TRUE(makeSystemSerialPort()->open(pty_.slavePath()));
}

}  // namespace
}  // namespace hollin
