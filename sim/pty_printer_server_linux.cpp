#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "sim/pty_printer_server.h"

namespace hollin::sim {
namespace {

// The longest the service thread sleeps in poll() when nothing is due: bounds how late it notices
// an answer that a test clock made due.
constexpr int kIdleWaitMs = 100;
constexpr std::size_t kIoBytes = 4096;

// The bytes a line of a given rate has carried since it was last read: credit grows with the time
// passed and is capped at a few milliseconds' worth, so an idle line does not save up a burst.
class LineBudget {
  public:
    static constexpr int kTickMs = 2;
    std::size_t available(std::uint32_t bytesPerSecond, std::size_t most) {
        if (bytesPerSecond == 0)
            return most;
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(now - last_).count();
        last_ = now;
        const double cap = std::max(64.0, bytesPerSecond * 0.01);
        credit_ = std::min(cap, credit_ + seconds * bytesPerSecond);
        return std::min(most, static_cast<std::size_t>(credit_));
    }
    void take(std::size_t bytes) { credit_ = std::max(0.0, credit_ - static_cast<double>(bytes)); }

  private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
    double credit_ = 0;
};

std::string describe(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool makeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

PtyPrinterServer::PtyPrinterServer(VirtualPrinter& printer) : printer_(printer) {}

PtyPrinterServer::~PtyPrinterServer() {
    stop();
}

bool PtyPrinterServer::start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable())
        return true;
    error_.clear();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error_ = describe("posix_openpt");
        return false;
    }
    std::array<char, 128> name{};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name.data(), name.size()) != 0) {
        error_ = describe("pseudo-terminal setup");
        closeAll();
        return false;
    }
    slavePath_ = name.data();
    slave_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error_ = describe("open slave");
        closeAll();
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    if (!makeRaw(slave_) || !makeRaw(master_) || flags < 0 ||
        fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error_ = describe("raw mode");
        closeAll();
        return false;
    }
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        error_ = describe("eventfd");
        closeAll();
        return false;
    }
    stopping_ = false;
    thread_ = std::thread(&PtyPrinterServer::serve, this);
    return true;
}

void PtyPrinterServer::stop() {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable())
        return;
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wake_, &one, sizeof one);
    thread_.join();
    takeWaitingInput();
    closeAll();
}

// What the client wrote before the stop and the printer had not read yet still reaches it, so that
// a state written after the stop holds every command sent. Bounded: at most 64 reads, none waiting.
void PtyPrinterServer::takeWaitingInput() {
    std::array<std::uint8_t, kIoBytes> in{};
    for (int reads = 0; reads < 64 && master_ >= 0; ++reads) {
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, 0) <= 0 || (fd.revents & POLLIN) == 0)
            return;
        const ssize_t n = read(master_, in.data(), in.size());
        if (n <= 0)
            return;
        printer_.receive(std::span<const std::uint8_t>(in.data(), static_cast<std::size_t>(n)));
    }
}

bool PtyPrinterServer::running() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable();
}

std::string PtyPrinterServer::slavePath() const {
    std::lock_guard lock(mutex_);
    return slavePath_;
}

std::string PtyPrinterServer::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void PtyPrinterServer::closeAll() {
    for (int* fd : {&master_, &slave_, &wake_}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
    slavePath_.clear();
}

// The descriptors stay valid while the thread runs: stop() joins before closing them.
void PtyPrinterServer::serve() {
    std::array<std::uint8_t, kIoBytes> in{};
    Bytes out;
    std::size_t sent = 0;
    LineBudget line;
    while (!stopping_) {
        const std::uint32_t rate = lineBytesPerSecond_;
        const std::size_t room = line.available(rate, in.size());
        if (sent == out.size()) {
            out = printer_.takeOutput(kIoBytes);
            sent = 0;
        }
        int waitMs = kIdleWaitMs;
        if (out.empty()) {
            if (const auto next = printer_.nextOutputInMs())
                waitMs = std::clamp<int>(static_cast<int>(std::min<std::uint32_t>(*next, kIdleWaitMs)), 1,
                                         kIdleWaitMs);
        }
        if (room == 0)
            waitMs = std::min(waitMs, LineBudget::kTickMs);
        const short input = room > 0 ? POLLIN : 0;
        std::array<pollfd, 2> fds{
            {{master_, static_cast<short>(input | (out.empty() ? 0 : POLLOUT)), 0}, {wake_, POLLIN, 0}}};
        const int ready = poll(fds.data(), fds.size(), waitMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[1].revents != 0)
            break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(master_, in.data(), room);
            if (n > 0) {
                line.take(static_cast<std::size_t>(n));
                printer_.receive(std::span<const std::uint8_t>(in.data(), static_cast<std::size_t>(n)));
            }
        }
        if ((fds[0].revents & POLLOUT) && sent < out.size()) {
            const ssize_t n = write(master_, out.data() + sent, out.size() - sent);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
        }
        if (fds[0].revents & (POLLERR | POLLNVAL))
            break;
    }
}

}  // namespace hollin::sim
