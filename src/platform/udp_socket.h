#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace hollin {

// An IPv4 address as a number, first octet most significant (192.168.1.10 is 0xC0A8010A).
using Ipv4 = std::uint32_t;

constexpr Ipv4 ipv4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return (Ipv4{a} << 24) | (Ipv4{b} << 16) | (Ipv4{c} << 8) | Ipv4{d};
}

// "a.b.c.d".
std::string ipv4Text(Ipv4 address);

struct UdpEndpoint {
    Ipv4 address = 0;
    std::uint16_t port = 0;
    friend bool operator==(const UdpEndpoint&, const UdpEndpoint&) = default;
};

// How a wait for a datagram ended.
enum class UdpWait { Readable, TimedOut, Failed };

struct UdpReceived {
    int error = 0;         // 0, or the system's error code (the datagram is then not read)
    std::size_t size = 0;  // bytes stored (a longer datagram is cut at the buffer's size)
    UdpEndpoint from{};
};

// One datagram socket with SO_REUSEADDR and SO_BROADCAST on. Errors are the system's error codes
// (errno values); 0 is success.
class UdpSocket {
  public:
    virtual ~UdpSocket() = default;
    // Address 0 binds to every local address.
    virtual int bind(UdpEndpoint local) = 0;
    virtual int sendTo(std::span<const std::uint8_t> bytes, UdpEndpoint to) = 0;
    // Waits at most `timeoutMs` for a datagram; 0 only looks.
    virtual UdpWait waitReadable(std::uint32_t timeoutMs) = 0;
    // Reads one waiting datagram; EAGAIN when none waits.
    virtual UdpReceived receiveFrom(std::span<std::uint8_t> buffer) = 0;
    // Asks for a receive buffer of `bytes`; returns the size the system granted (0 if it cannot say).
    virtual std::size_t setReceiveBuffer(std::size_t bytes) = 0;
};

// Where sockets come from: the machine's network, or an in-memory one in tests.
class UdpNetwork {
  public:
    virtual ~UdpNetwork() = default;
    // A new socket with SO_REUSEADDR and SO_BROADCAST set; nothing and `error` set on failure.
    virtual std::unique_ptr<UdpSocket> open(int& error) = 0;
    // Waits at most `timeoutMs` until any of `sockets` has a datagram; the index of one that has, or
    // -1 when the time passed.
    virtual int waitAny(std::span<UdpSocket* const> sockets, std::uint32_t timeoutMs) = 0;
};

// The machine's IPv4 network (BSD sockets).
UdpNetwork& systemUdpNetwork();

}  // namespace hollin
