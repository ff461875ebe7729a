#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "netcfg/device_record.h"
#include "netcfg/packet.h"
#include "netcfg/text_frame.h"
#include "platform/clock.h"
#include "platform/memory_network.h"
#include "platform/udp_socket.h"

// Virtual network printers: binary-protocol devices on UDP port 50005 and text-frame devices on
// 61001. Each listens on a wildcard socket (broadcasts) and on one bound to its own 127.0.x.y address
// (directed requests), and answers by broadcast from its own address.
namespace hollin::sim {

// Ways a binary printer can misbehave when asked to.
enum class NetFault {
    None,
    Silent,        // answers nothing
    Late,          // answers after `lateMs`
    BadCrc,        // an item of its answer has a wrong CRC
    OtherMagic,    // its answer's magic is not the protocol's
    NoReplyFlag,   // its answer lacks flag bit 7
    Duplicate,     // answers every request twice
    Oversize,      // its answer is longer than the 1460-byte reply buffer
    WrongMac,      // its answer names another MAC
    DeafToWrites,  // answers searches, never a write
};

struct BinaryPrinterState {
    netcfg::Mac mac{};
    std::uint8_t productCode = 21;
    std::uint16_t productVariant = 0;
    std::array<std::uint8_t, 3> firmware = {1, 6, 2};
    std::array<std::uint8_t, 10> password{};
    Bytes items;  // the stored payload it answers with
    int writesApplied = 0;
    int requestsSeen = 0;
    int writesToItSeen = 0;  // write requests naming its MAC
};

// A plausible Wi-Fi printer: its record (channel 0 on 9100, SSID "HollinNet") and stored items, with
// one item the utility does not know (type 41) that a write must keep. Its password (at most 10
// bytes) is in its items, as such devices tell it in their answers.
BinaryPrinterState makeBinaryPrinter(int number, Ipv4 address, std::string_view password = {});

class BinaryNetworkPrinter final : public NetworkService {
  public:
    BinaryNetworkPrinter(UdpNetwork& network, Clock& clock, Ipv4 own, Ipv4 broadcast,
                         BinaryPrinterState state, netcfg::KeyConstant key = netcfg::kDefaultKeyConstant);

    int start();  // opens both sockets; 0 or the system's error code
    void service() override;
    std::optional<std::uint32_t> nextDueMs() const override;

    void misbehave(NetFault fault, std::uint32_t lateMs = 0) {
        fault_ = fault;
        lateMs_ = lateMs;
    }
    // The status its next write answers with instead of its own checks (9 = unknown error).
    void forceStatus(std::optional<std::uint8_t> status) { forcedStatus_ = status; }
    const BinaryPrinterState& state() const { return state_; }
    BinaryPrinterState& state() { return state_; }
    netcfg::DeviceRecord record() const;  // the stored items read as a record
    Ipv4 address() const { return own_; }
    std::vector<UdpSocket*> sockets() const;

  private:
    void handle(std::span<const std::uint8_t> datagram);
    std::uint8_t applyWrite(std::span<const std::uint8_t> payload);
    void answer(const netcfg::PacketHeader& request, std::uint8_t status);
    void sendDue();

    UdpNetwork& network_;
    Clock& clock_;
    Ipv4 own_;
    Ipv4 broadcast_;
    BinaryPrinterState state_;
    netcfg::KeyConstant key_;
    std::unique_ptr<UdpSocket> wildcard_;
    std::unique_ptr<UdpSocket> direct_;
    NetFault fault_ = NetFault::None;
    std::uint32_t lateMs_ = 0;
    std::optional<std::uint8_t> forcedStatus_;
    struct Pending {
        std::uint32_t dueMs;
        Bytes datagram;
    };
    std::vector<Pending> outbox_;
};

// A text record of a virtual module: PacketVersion "01", the MAC text, SSID, addresses and port.
netcfg::TextRecord makeTextRecord(int number, Ipv4 address);

class TextNetworkPrinter final : public NetworkService {
  public:
    TextNetworkPrinter(UdpNetwork& network, Ipv4 own, Ipv4 broadcast, netcfg::TextRecord record);

    int start();
    void service() override;

    Ipv4 address() const { return own_; }
    const netcfg::TextRecord& record() const { return record_; }
    int savesApplied() const { return saves_; }
    std::vector<UdpSocket*> sockets() const;

  private:
    void handle(std::span<const std::uint8_t> datagram);
    void answer();

    UdpNetwork& network_;
    Ipv4 own_;
    Ipv4 broadcast_;
    netcfg::TextRecord record_;
    std::unique_ptr<UdpSocket> wildcard_;
    std::unique_ptr<UdpSocket> direct_;
    int saves_ = 0;
};

// Runs printers over a real network on one thread until stopped.
class NetworkPrinterHost {
  public:
    explicit NetworkPrinterHost(UdpNetwork& network) : network_(network) {}
    ~NetworkPrinterHost() { stop(); }

    void add(NetworkService& service, std::vector<UdpSocket*> sockets);
    void start();
    void stop();

  private:
    void run();

    UdpNetwork& network_;
    std::vector<NetworkService*> services_;
    std::vector<UdpSocket*> sockets_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A set of virtual network printers on consecutive addresses, served on one thread: first the binary
// ones, then the text ones, numbered on (so that every MAC differs). Used by hollin-printer-sim
// --net/--text and by hollin --simulate.
class NetworkPrinterFleet {
  public:
    NetworkPrinterFleet(UdpNetwork& network, Clock& clock)
        : network_(network), clock_(clock), host_(network) {}
    ~NetworkPrinterFleet() { stop(); }
    NetworkPrinterFleet(const NetworkPrinterFleet&) = delete;
    NetworkPrinterFleet& operator=(const NetworkPrinterFleet&) = delete;

    // Opens `binary` binary-protocol and `text` text-frame printers from `first` on, answering to
    // `broadcast`, and starts serving them. False when a port cannot be opened; error() says which.
    // The binary ones encipher with `key`, the site's key constant.
    bool start(int binary, int text, Ipv4 first, Ipv4 broadcast,
               const netcfg::KeyConstant& key = netcfg::kDefaultKeyConstant);
    void stop() { host_.stop(); }

    const std::vector<std::unique_ptr<BinaryNetworkPrinter>>& binary() const { return binary_; }
    const std::vector<std::unique_ptr<TextNetworkPrinter>>& text() const { return text_; }
    const std::string& error() const { return error_; }

  private:
    UdpNetwork& network_;
    Clock& clock_;
    NetworkPrinterHost host_;
    std::vector<std::unique_ptr<BinaryNetworkPrinter>> binary_;
    std::vector<std::unique_ptr<TextNetworkPrinter>> text_;
    std::string error_;
};

}  // namespace hollin::sim
