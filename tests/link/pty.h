#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace hollin::test {

// A pseudo-terminal made by the test: the code under test opens the slave device, the test plays
// the far end on the master side.
class Pty {
  public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        const char* name = ::ptsname(master_);
        if (name == nullptr)
            return;
        slavePath_ = name;
        termios t{};
        ::tcgetattr(master_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master_, TCSANOW, &t);
        // Hold the slave open so that the terminal stays up while the code under test opens and
        // closes it.
        holder_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~Pty() {
        if (holder_ >= 0)
            ::close(holder_);
        if (master_ >= 0)
            ::close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && holder_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }
    int master() const { return master_; }

    void send(const std::vector<std::uint8_t>& bytes) const {
        [[maybe_unused]] const auto n = ::write(master_, bytes.data(), bytes.size());
    }
    // Reads from the master side until `count` bytes came or `waitMs` passed without a byte.
    std::vector<std::uint8_t> receive(std::size_t count, int waitMs = 2000) const {
        std::vector<std::uint8_t> got;
        std::uint8_t buffer[4096];
        while (got.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0)
                break;
            const auto n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

  private:
    int master_ = -1;
    int holder_ = -1;
    std::string slavePath_;
};

// Waits until `fd` has input or `waitMs` pass; true when it has.
inline bool inputArrives(int fd, int waitMs = 2000) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN) != 0;
}

}  // namespace hollin::test
