// The serial port on Linux: a termios terminal device opened non-blocking, with the driver's
// time-outs of the link played by poll() and the clock.
//
// How the port's settings map to Linux:
// - Binary mode is raw mode: no input or output translation, no line editing, no signals, no
//   stripping; reads return at once (VMIN 0, VTIME 0) and the time-outs below do the waiting.
// - Parity 1 and 2 set odd or even parity with input checking (INPCK); a byte received with a
//   parity error then reads as 0, since Linux cannot pass a damaged byte through unmarked.
// - Flow code 0 (DTR/DSR): Linux has no DTR handshake, so DTR is asserted and RTS dropped, with no
//   hardware or software flow control. Code 1: IXON and IXOFF with Xon 17 and Xoff 19; DTR and RTS
//   dropped. Code 2: CRTSCTS, DTR dropped. Other codes keep the flow control the device had. The
//   Xon/Xoff limits and the driver queue sizes have no Linux counterpart (the kernel's thresholds
//   and buffers are fixed).
// - Modem-line ioctls fail with ENOTTY (or EINVAL) on a pseudo-terminal, which has no modem lines;
//   that is not an error.
// - Read time-outs: after the first byte, a gap longer than the interval time-out (50 ms) ends the
//   read; the total time-out (100 ms) ends it in any case, counted from the start of the read.
//   Both are played with poll() on the descriptor.
// - Write time-out: a tty's write() returns once the kernel holds the bytes, not when they have left
//   the line, so a write here also waits for the output queue (TIOCOUTQ) to drain (a
//   pseudo-terminal has no line and nothing to wait for). That keeps the
//   chunks paced as the printer expects and keeps the purge after a write from discarding bytes
//   not yet sent. When the per-byte write time-out (19200 / baud ms per byte) runs out first, the
//   write ends with the bytes that left the line, and the rest are dropped from the queue so that
//   the caller sends them again, as a driver's write time-out would. The caller's own wait bounds
//   the whole write.
// - Purge: the input queue is always flushed; the output queue only when a write did not finish,
//   because a finished write has nothing left there. (On a pseudo-terminal TIOCOUTQ reads 0 while
//   the bytes still wait for the other side, and flushing output there can lose them.)
// - Exclusive use: an advisory flock() plus TIOCEXCL; a device locked by another program does not
//   open.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "link/serial_port.h"

namespace hollin {
namespace {

constexpr cc_t kXon = 17;
constexpr cc_t kXoff = 19;
constexpr std::uint32_t kDrainPauseMs = 1;

bool speedFor(std::uint32_t baud, speed_t& speed) {
    static constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const auto& [rate, code] : kSpeeds) {
        if (rate == baud) {
            speed = code;
            return true;
        }
    }
    return false;
}

// Raises or drops a modem line; a device without modem lines (a pseudo-terminal) is not an error.
bool setModemLine(int fd, int line, bool on) {
    int bits = line;
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0)
        return true;
    return errno == ENOTTY || errno == EINVAL;
}

void applyLine(termios& t, const LineSettings& line) {
    // Binary (raw) mode; flow-control bits of c_iflag are left to applyFlowControl.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IGNPAR | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    if (line.parity != Parity::None) {
        t.c_cflag |= PARENB;
        t.c_iflag |= INPCK;
        if (line.parity == Parity::Odd)
            t.c_cflag |= PARODD;
    }
    t.c_cflag |= line.dataBits == 7 ? CS7 : CS8;
    if (line.stopBits == 2)
        t.c_cflag |= CSTOPB;
}

void applyFlowControl(termios& t, int code) {
    switch (code) {
        case 0:
        case 2:
            t.c_iflag &= ~(IXON | IXOFF | IXANY);
            if (code == 2)
                t.c_cflag |= CRTSCTS;
            else
                t.c_cflag &= ~CRTSCTS;
            break;
        case 1:
            t.c_iflag |= IXON | IXOFF;
            t.c_iflag &= ~IXANY;
            t.c_cc[VSTART] = kXon;
            t.c_cc[VSTOP] = kXoff;
            t.c_cflag &= ~CRTSCTS;
            break;
        default:
            break;  // as the device had it
    }
}

bool applyModemLines(int fd, int code) {
    switch (code) {
        case 0:
            return setModemLine(fd, TIOCM_DTR, true) && setModemLine(fd, TIOCM_RTS, false);
        case 1:
            return setModemLine(fd, TIOCM_DTR, false) && setModemLine(fd, TIOCM_RTS, false);
        case 2:
            return setModemLine(fd, TIOCM_DTR, false);
        default:
            return true;
    }
}

// Unix 98 pseudo-terminal slaves (/dev/pts/N) have majors 136 to 143.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && ::major(st.st_rdev) >= 136 &&
           ::major(st.st_rdev) <= 143;
}

// Waits up to `ms` for `events` on `fd`; the poll result's events, 0 on time-out.
short waitFor(int fd, short events, std::uint32_t ms) {
    pollfd p{fd, events, 0};
    const int timeout = static_cast<int>(std::min<std::uint32_t>(ms, 1u << 30));
    const int n = ::poll(&p, 1, timeout);
    return n > 0 ? p.revents : 0;
}

class LinuxSerialPort final : public SerialPort {
  public:
    explicit LinuxSerialPort(Clock& clock) : clock_(clock) {}
    ~LinuxSerialPort() override { close(); }

    bool open(const std::string& device) override {
        close();
        openError_ = 0;
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            openError_ = errno;
            return false;
        }
        if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            openError_ = errno;  // ENOTTY, or EWOULDBLOCK when another program holds the lock
            ::close(fd);
            return false;
        }
        ::ioctl(fd, TIOCEXCL);  // other programs' opens now fail; best effort
        fd_ = fd;
        hasLine_ = !isPseudoTerminal(fd);
        return true;
    }

    int openError() const override { return openError_; }
    bool isOpen() const override { return fd_ >= 0; }

    bool configure(const LineSettings& line) override {
        termios t{};
        speed_t speed{};
        if (fd_ < 0 || ::tcgetattr(fd_, &t) != 0 || !speedFor(line.baud, speed))
            return false;
        if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
            return false;
        applyLine(t, line);
        applyFlowControl(t, line.flowControl);
        if (::tcsetattr(fd_, TCSANOW, &t) != 0)
            return false;
        // tcsetattr succeeds when any of the changes took; check that the rate did.
        termios back{};
        if (::tcgetattr(fd_, &back) != 0 || ::cfgetospeed(&back) != speed)
            return false;
        return applyModemLines(fd_, line.flowControl);
    }

    bool setTimeouts(const PortTimeouts& timeouts) override {
        if (fd_ < 0)
            return false;
        timeouts_ = timeouts;
        return true;
    }

    WriteOutcome write(const std::uint8_t* data, std::size_t length, std::uint32_t waitMs) override {
        if (fd_ < 0)
            return {WriteStatus::Failed, 0};
        outputUnsent_ = true;
        const std::uint32_t start = clock_.tickMs();
        const std::uint64_t portLimit =
            timeouts_.writeConstantMs + std::uint64_t{timeouts_.writePerByteMs} * length;  // 0: none
        std::size_t written = 0;
        while (written < length) {
            const ssize_t n = ::write(fd_, data + written, length - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return {written == 0 ? WriteStatus::FailedAtOnce : WriteStatus::Failed, written};
            std::uint32_t left = 0;
            if (auto ended = deadline(start, portLimit, waitMs, left))
                return *ended == WriteStatus::Completed ? endOnPortTimeOut(written) : WriteOutcome{*ended, 0};
            waitFor(fd_, POLLOUT, left);
        }
        // Wait until the bytes have left the line.
        for (;;) {
            if (outputQueued() == 0) {
                outputUnsent_ = false;
                return {WriteStatus::Completed, length};
            }
            std::uint32_t left = 0;
            if (auto ended = deadline(start, portLimit, waitMs, left))
                return *ended == WriteStatus::Completed ? endOnPortTimeOut(length) : WriteOutcome{*ended, 0};
            clock_.sleepMs(std::min(kDrainPauseMs, left));
        }
    }

    std::size_t bytesWaiting() override {
        int n = 0;
        if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &n) != 0 || n < 0)
            return 0;
        return static_cast<std::size_t>(n);
    }

    ReadWait waitReadable(std::uint32_t ms) override {
        if (fd_ < 0)
            return ReadWait::CannotWait;
        const std::uint32_t start = clock_.tickMs();
        for (;;) {
            const std::uint32_t left = ms - std::min(ms, elapsedMs(start, clock_.tickMs()));
            pollfd p{fd_, POLLIN, 0};
            const int n = ::poll(&p, 1, static_cast<int>(std::min<std::uint32_t>(left, 1u << 30)));
            if (n > 0 && (p.revents & POLLIN) != 0)
                return ReadWait::Readable;
            if (n == 0)
                return ReadWait::TimedOut;
            if (n < 0 && errno == EINTR)
                continue;
            // A hung-up or failed terminal has nothing to wait for; the rest of the wait passes on
            // the clock, so that a caller polling it does not spin.
            clock_.sleepMs(ms - std::min(ms, elapsedMs(start, clock_.tickMs())));
            return ReadWait::TimedOut;
        }
    }

    long read(std::uint8_t* buffer, std::size_t capacity) override {
        if (fd_ < 0)
            return -1;
        const std::uint32_t start = clock_.tickMs();
        const std::uint64_t total = timeouts_.readTotalMs + std::uint64_t{timeouts_.readPerByteMs} * capacity;
        const std::uint32_t interval = timeouts_.readIntervalMs;
        std::uint32_t lastByte = start;
        std::size_t got = 0;
        while (got < capacity) {
            const ssize_t n = ::read(fd_, buffer + got, capacity - got);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                lastByte = clock_.tickMs();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return got > 0 ? static_cast<long>(got) : -1;
            // Nothing more yet (a raw terminal's read() gives 0 then, not EAGAIN): wait for the next
            // byte as long as the time-outs allow. Without any time-out the read takes only what is
            // there.
            if (total == 0 && interval == 0)
                break;
            const std::uint32_t now = clock_.tickMs();
            std::uint64_t wait = total > 0 ? total : UINT32_MAX;
            const std::uint32_t sinceStart = elapsedMs(start, now);
            if (total > 0 && sinceStart >= total)
                break;
            wait -= total > 0 ? sinceStart : 0;
            if (got > 0 && interval > 0) {
                const std::uint32_t gap = elapsedMs(lastByte, now);
                if (gap >= interval)
                    break;
                wait = std::min<std::uint64_t>(wait, interval - gap);
            }
            // A hung-up or failed terminal ends the read; what it still holds was read above.
            const short events = waitFor(fd_, POLLIN, static_cast<std::uint32_t>(wait));
            if ((events & (POLLHUP | POLLERR | POLLNVAL)) != 0)
                break;
        }
        return static_cast<long>(got);
    }

    void purge() override {
        if (fd_ < 0)
            return;
        ::tcflush(fd_, outputUnsent_ ? TCIOFLUSH : TCIFLUSH);
        outputUnsent_ = false;
    }

    void close() override {
        if (fd_ < 0)
            return;
        ::ioctl(fd_, TIOCNXCL);  // exclusivity belongs to the terminal, not to this descriptor
        ::close(fd_);
        fd_ = -1;
        outputUnsent_ = false;
    }

    long nativeHandle() const override { return fd_; }

  private:
    std::size_t outputQueued() const {
        if (!hasLine_)
            return 0;  // a pseudo-terminal hands bytes straight to the other side
        int n = 0;
        if (::ioctl(fd_, TIOCOUTQ, &n) != 0 || n < 0)
            return 0;
        return static_cast<std::size_t>(n);
    }

    // Which limit of a write has run out, if any: Completed for the port's own write time-out,
    // TimedOut for the caller's wait. Otherwise `left` is the time still allowed.
    std::optional<WriteStatus> deadline(std::uint32_t start, std::uint64_t portLimit, std::uint32_t waitMs,
                                        std::uint32_t& left) {
        const std::uint32_t spent = elapsedMs(start, clock_.tickMs());
        if (portLimit > 0 && spent >= portLimit)
            return WriteStatus::Completed;
        if (spent >= waitMs)
            return WriteStatus::TimedOut;
        std::uint64_t l = waitMs - spent;
        if (portLimit > 0)
            l = std::min<std::uint64_t>(l, portLimit - spent);
        left = static_cast<std::uint32_t>(l);
        return std::nullopt;
    }

    // The port's write time-out ended the write: the bytes still queued count as not written and
    // are dropped, so the caller sends them again.
    WriteOutcome endOnPortTimeOut(std::size_t accepted) {
        const std::size_t queued = std::min(outputQueued(), accepted);
        ::tcflush(fd_, TCOFLUSH);
        outputUnsent_ = false;
        return {WriteStatus::Completed, accepted - queued};
    }

    Clock& clock_;
    int fd_ = -1;
    int openError_ = 0;
    PortTimeouts timeouts_{};
    bool outputUnsent_ = false;  // a write ended before its bytes had all left
    bool hasLine_ = true;        // false on a pseudo-terminal: nothing to drain
};

}  // namespace

std::unique_ptr<SerialPort> makeSystemSerialPort(Clock& clock) {
    return std::make_unique<LinuxSerialPort>(clock);
}

}  // namespace hollin
