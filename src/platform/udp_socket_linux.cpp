// BSD datagram sockets on Linux.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/udp_socket.h"

namespace hollin {
namespace {

sockaddr_in toSockaddr(UdpEndpoint endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    address.sin_addr.s_addr = htonl(endpoint.address);
    return address;
}

// Milliseconds as poll() takes them.
int pollTimeout(std::uint32_t ms) {
    return ms > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(ms);
}

class LinuxUdpSocket final : public UdpSocket {
  public:
    explicit LinuxUdpSocket(int fd) : fd_(fd) {}
    ~LinuxUdpSocket() override { ::close(fd_); }
    LinuxUdpSocket(const LinuxUdpSocket&) = delete;
    LinuxUdpSocket& operator=(const LinuxUdpSocket&) = delete;

    int fd() const { return fd_; }

    int bind(UdpEndpoint local) override {
        const sockaddr_in address = toSockaddr(local);
        return ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : errno;
    }

    int sendTo(std::span<const std::uint8_t> bytes, UdpEndpoint to) override {
        const sockaddr_in address = toSockaddr(to);
        const ssize_t sent = ::sendto(fd_, bytes.data(), bytes.size(), 0,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
        return sent < 0 ? errno : 0;
    }

    UdpWait waitReadable(std::uint32_t timeoutMs) override {
        pollfd entry{fd_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, pollTimeout(timeoutMs));
        if (ready < 0)
            return errno == EINTR ? UdpWait::TimedOut : UdpWait::Failed;
        return ready == 0 ? UdpWait::TimedOut : UdpWait::Readable;
    }

    UdpReceived receiveFrom(std::span<std::uint8_t> buffer) override {
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &fromSize);
        UdpReceived received;
        if (got < 0) {
            received.error = errno;
            return received;
        }
        received.size = static_cast<std::size_t>(got);
        received.from = {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
        return received;
    }

    std::size_t setReceiveBuffer(std::size_t bytes) override {
        const int asked = bytes > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(bytes);
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &asked, sizeof asked);
        int granted = 0;
        socklen_t size = sizeof granted;
        if (::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &granted, &size) != 0)
            return 0;
        return static_cast<std::size_t>(granted);
    }

  private:
    int fd_;
};

class LinuxUdpNetwork final : public UdpNetwork {
  public:
    std::unique_ptr<UdpSocket> open(int& error) override {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        const int on = 1;
        if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
            ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
            error = errno;
            ::close(fd);
            return nullptr;
        }
        error = 0;
        return std::make_unique<LinuxUdpSocket>(fd);
    }

    int waitAny(std::span<UdpSocket* const> sockets, std::uint32_t timeoutMs) override {
        std::vector<pollfd> entries;
        entries.reserve(sockets.size());
        for (UdpSocket* socket : sockets)
            entries.push_back({static_cast<LinuxUdpSocket*>(socket)->fd(), POLLIN, 0});
        const int ready = ::poll(entries.data(), entries.size(), pollTimeout(timeoutMs));
        if (ready <= 0)
            return -1;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].revents != 0)
                return static_cast<int>(i);
        }
        return -1;
    }
};

}  // namespace

UdpNetwork& systemUdpNetwork() {
    static LinuxUdpNetwork network;
    return network;
}

}  // namespace hollin
