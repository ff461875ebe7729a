#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "netcfg/text_frame.h"
#include "platform/udp_socket.h"

namespace hollin::netcfg {

// The text-frame socket of one search or one save on UDP port 61001. Its requests go to the
// broadcast setting; pump() reads what has arrived without waiting and hands each answer to its owner.
class CUdpSock {
  public:
    enum Mode { kSearchMode = 0, kSaveMode = 1 };

    class Owner {
      public:
        virtual ~Owner() = default;
        // Search mode: a device answered with its record.
        virtual void onTextAnswer(const TextRecord& record) = 0;
        // Save mode: an answer came; `confirmed` when it names the saved device.
        virtual void onSaveAnswer(bool confirmed) = 0;
    };

    CUdpSock(UdpNetwork& network, Ipv4 broadcast, Owner& owner,
             std::function<void(std::string_view)> debug = {});
    ~CUdpSock();

    // Opens and binds the socket (every local address, port 61001). 0 or the system's error code.
    int create(Mode mode, std::string_view targetMac12 = {});

    struct SendResult {
        int error = 0;        // 0 also when the system would block (the rest is dropped)
        std::string message;  // for the operator when the send failed; the socket is then closed
    };
    // Sends the first 512 bytes of `frame` as one datagram to the broadcast setting, port 61001.
    SendResult send(const TextFrame& frame);

    // Hands every datagram already waiting (at most 256 per call) to the owner; never waits.
    void pump();
    void close();
    bool isOpen() const { return socket_ != nullptr; }

    Mode mode() const { return mode_; }
    const std::string& targetMac() const { return targetMac_; }
    const std::string& destination() const { return destination_; }
    std::size_t pendingBytes() const { return sendCount_ - sentCount_; }

    // The notifications a datagram socket never gets in practice; each leaves its trace.
    void onAccept();
    void onConnect();
    void onOutOfBandData();
    void onClose();

  private:
    void debug(std::string_view text) const;
    void handle(std::span<const std::uint8_t> datagram);

    UdpNetwork& network_;
    Ipv4 broadcast_;
    Owner& owner_;
    std::function<void(std::string_view)> debug_;
    std::unique_ptr<UdpSocket> socket_;
    Mode mode_ = kSearchMode;
    std::array<std::uint8_t, kTextFrameSize> sendBuffer_{};
    std::size_t sendCount_ = 0;
    std::size_t sentCount_ = 0;
    std::string targetMac_;
    std::string destination_;
};

}  // namespace hollin::netcfg
