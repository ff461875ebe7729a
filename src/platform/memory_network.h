#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/clock.h"
#include "platform/udp_socket.h"

namespace hollin {

// Something living on the in-memory network that reacts to datagrams by itself (a virtual network
// printer): the network lets it run whenever a socket waits, and sleeps the clock only up to the next
// moment it asked for.
class NetworkService {
  public:
    virtual ~NetworkService() = default;
    // Reads what waits on its sockets and sends what is due; never blocks.
    virtual void service() = 0;
    // The tick count at which it has something to do next (a late answer), if any.
    virtual std::optional<std::uint32_t> nextDueMs() const { return std::nullopt; }
};

// A datagram as it went over the in-memory network.
struct LoggedDatagram {
    std::uint32_t atMs = 0;
    UdpEndpoint from{};
    UdpEndpoint to{};
    std::vector<std::uint8_t> bytes;
    std::size_t receivers = 0;
};

class MemorySocket;

// An IPv4 network in memory on a Clock, for tests and in-process virtual printers. It behaves as this
// machine's loopback does: a broadcast reaches every socket bound to the wildcard address on its port,
// the sender's own too; a unicast reaches the socket bound to exactly that address and port, else the
// wildcard socket bound last on that port. Every datagram is recorded.
class MemoryNetwork final : public UdpNetwork {
  public:
    explicit MemoryNetwork(Clock& clock, std::uint32_t latencyMs = 1);
    ~MemoryNetwork() override;

    std::unique_ptr<UdpSocket> open(int& error) override;
    int waitAny(std::span<UdpSocket* const> sockets, std::uint32_t timeoutMs) override;

    // A socket whose wildcard binding sends from `host` (127.0.0.1 for open()).
    std::unique_ptr<UdpSocket> openOn(Ipv4 host, int& error);

    void addService(NetworkService& service);
    void removeService(NetworkService& service);

    // Faults: open() fails with `error`; the `nth` send from now (1 = the next) fails with `error`.
    void failOpen(int error) { openError_ = error; }
    void failSend(std::size_t nth, int error);

    const std::vector<LoggedDatagram>& log() const { return log_; }
    void clearLog() { log_.clear(); }
    Clock& clock() { return clock_; }

    static constexpr Ipv4 kDefaultHost = ipv4(127, 0, 0, 1);

  private:
    friend class MemorySocket;

    bool isBroadcast(Ipv4 address) const;
    int send(MemorySocket& from, std::span<const std::uint8_t> bytes, UdpEndpoint to);
    void runServices();
    // Waits until `ready` holds or `timeoutMs` passed, sleeping only up to the next event.
    bool waitUntil(const std::function<bool()>& ready, std::uint32_t timeoutMs);
    std::optional<std::uint32_t> nextEventMs() const;

    Clock& clock_;
    std::uint32_t latencyMs_;
    std::vector<MemorySocket*> sockets_;
    std::vector<NetworkService*> services_;
    std::vector<LoggedDatagram> log_;
    int openError_ = 0;
    std::size_t failSendCountdown_ = 0;
    int failSendError_ = 0;
    bool servicing_ = false;
};

class MemorySocket final : public UdpSocket {
  public:
    MemorySocket(MemoryNetwork& network, Ipv4 host);
    ~MemorySocket() override;

    int bind(UdpEndpoint local) override;
    int sendTo(std::span<const std::uint8_t> bytes, UdpEndpoint to) override;
    UdpWait waitReadable(std::uint32_t timeoutMs) override;
    UdpReceived receiveFrom(std::span<std::uint8_t> buffer) override;
    std::size_t setReceiveBuffer(std::size_t bytes) override { return bytes; }

    bool hasReady() const;

  private:
    friend class MemoryNetwork;

    struct Queued {
        std::uint32_t readyAtMs;
        UdpEndpoint from;
        std::vector<std::uint8_t> bytes;
    };

    MemoryNetwork& network_;
    Ipv4 host_;
    std::optional<UdpEndpoint> bound_;
    std::uint64_t bindOrder_ = 0;
    std::deque<Queued> queue_;
};

}  // namespace hollin
