#include "sim/pty_printer_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

extern char** environ;

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

// hollin-printer-sim run as a child process; killed if a test leaves it running.
struct SimProcess {
    pid_t pid = -1;
    ~SimProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

TEST(PrinterSimProgram, WritesItsStateToTheStateFileWhenStopped) {
    char dir[] = "/tmp/hollin-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string statePath = std::string(dir) + "/state.json";
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const char* argv[] = {HOLLIN_PRINTER_SIM, "--emulation",     "EPL",  "--wifi-module", "inc",
                          "--state",          statePath.c_str(), nullptr};
    SimProcess sim;
    const int spawned =
        posix_spawn(&sim.pid, HOLLIN_PRINTER_SIM, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    ASSERT_EQ(spawned, 0);

    // The first line is the terminal's path.
    std::string line;
    while (line.find('\n') == std::string::npos && line.size() < 256) {
        const Bytes got = readReply(out[0], 1);
        if (got.empty())
            break;
        line.append(got.begin(), got.end());
    }
    const std::string path = line.substr(0, line.find('\n'));
    close(out[0]);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path;
    // Density 4, then a probe: its answer shows the density command was taken in before the stop.
    const std::uint8_t request[] = {0x1C, '#', '#', 'D',  'E',  'N',  'S',
                                    'I',  'T', 'Y', 0x04, 0x1C, 0x45, 0x43};
    EXPECT_EQ(write(fd, request, sizeof request), static_cast<ssize_t>(sizeof request));
    EXPECT_EQ(readReply(fd, 1), Bytes{0x04});
    close(fd);

    ASSERT_EQ(kill(sim.pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(sim.pid, &status, 0), sim.pid);
    sim.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::stringstream state;
    state << std::ifstream(statePath).rdbuf();
    std::remove(statePath.c_str());
    rmdir(dir);
    EXPECT_NE(state.str().find(R"({"emulation":{"code":4,"name":"EPL"},"model":"Alder")"), std::string::npos)
        << state.str();
    EXPECT_NE(state.str().find(R"("density":4,)"), std::string::npos) << state.str();
    EXPECT_NE(state.str().find(R"("log":["density","emulation probe"])"), std::string::npos) << state.str();
    EXPECT_NE(state.str().find(R"("wifi_module":{"kind":"INC","isp_mode":false)"), std::string::npos)
        << state.str();
}

}  // namespace
}  // namespace hollin::sim
