#include "sim/pty_printer_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace hollin::sim {
namespace {

// Reads from `fd` until `want` bytes came or nothing more arrives within a second.
Bytes readReply(int fd, std::size_t want) {
    Bytes got;
    while (got.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0)
            break;
        std::uint8_t buf[256];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

class PtyPrinterServerTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (fd_ >= 0)
            close(fd_);
    }
    void openSlave() {
        ASSERT_TRUE(server_.start()) << server_.error();
        fd_ = open(server_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(fd_, 0);
    }
    RealClock clock_;
    VirtualPrinter printer_{clock_, 3, "Hazel"};
    PtyPrinterServer server_{printer_};
    int fd_ = -1;
};

TEST_F(PtyPrinterServerTest, AnswersProbeAndModelQueryWrittenToTheSlave) {
    openSlave();
    EXPECT_EQ(server_.slavePath().rfind("/dev/pts/", 0), 0u);
    const std::uint8_t request[] = {0x00, 0x00, 0x1C, 0x45, 0x43};
    ASSERT_EQ(write(fd_, request, sizeof request), 5);
    EXPECT_EQ(readReply(fd_, 1), Bytes{0x03});
    const std::uint8_t query[] = {0x1B, 0x76};
    ASSERT_EQ(write(fd_, query, sizeof query), 2);
    const Bytes model = readReply(fd_, 5);
    EXPECT_EQ(std::string(model.begin(), model.end()), "Hazel");
    EXPECT_EQ(printer_.wakeUpBytes(), 2u);
    EXPECT_EQ(printer_.log(), (std::vector<std::string>{"emulation probe", "model query"}));
}

TEST_F(PtyPrinterServerTest, BothSidesAreRawSoBinaryBytesPassUnchanged) {
    openSlave();
    termios tio{};
    ASSERT_EQ(tcgetattr(fd_, &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON), 0u);
    // CR, ^C and ^S would be translated or swallowed by a cooked terminal.
    printer_.setModel("A\r\x03\x13\n");
    const std::uint8_t query[] = {0x1B, 0x76};
    ASSERT_EQ(write(fd_, query, sizeof query), 2);
    EXPECT_EQ(readReply(fd_, 5), (Bytes{'A', '\r', 0x03, 0x13, '\n'}));
}

TEST_F(PtyPrinterServerTest, StopHangsUpTheTerminalAndCanServeAgain) {
    openSlave();
    server_.stop();
    EXPECT_FALSE(server_.running());
    EXPECT_TRUE(server_.slavePath().empty());
    const std::uint8_t probe[] = {0x1C, 0x45, 0x43};
    EXPECT_EQ(write(fd_, probe, sizeof probe), -1);
    close(fd_);
    fd_ = -1;
    openSlave();
    ASSERT_EQ(write(fd_, probe, sizeof probe), 3);
    EXPECT_EQ(readReply(fd_, 1), Bytes{0x03});
}

}  // namespace
}  // namespace hollin::sim
