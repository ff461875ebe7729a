#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "netcfg/device_record.h"
#include "netcfg/packet.h"
#include "netcfg/write_checks.h"
#include "platform/clock.h"
#include "platform/udp_socket.h"

// The search and write exchanges of the binary protocol, as operations: each opens its own socket,
// runs the exchange on the clock and returns what happened; nothing is shown.
namespace hollin::netcfg {

// Where requests go: HOLLIN_BROADCAST or --broadcast, 255.255.255.255 when neither is given. An
// invalid value turns the network functions off (`address` empty, `error` says why); there is no
// fallback to the default.
struct BroadcastSetting {
    std::optional<Ipv4> address;
    std::string error;
};
// `option` (the command line's --broadcast) wins over `environment` (HOLLIN_BROADCAST).
BroadcastSetting broadcastSetting(std::optional<std::string_view> option,
                                  std::optional<std::string_view> environment);
// A dotted IPv4 address of four decimal numbers 0..255; nothing for anything else.
std::optional<Ipv4> parseIpv4(std::string_view text);

// The raw payloads of search replies, one per MAC, in two lists: 0 for broadcast exchanges, 1 for
// directed ones. They live between exchanges; a write uses them to keep items it does not build.
class PayloadStores {
  public:
    void clear(int kind);
    void put(int kind, const Mac& mac, std::span<const std::uint8_t> payload);
    const Bytes* find(int kind, const Mac& mac) const;
    std::size_t size(int kind) const;

  private:
    struct Entry {
        Mac mac;
        Bytes payload;
    };
    std::vector<Entry> lists_[2];
};

// What every exchange needs from its surroundings.
struct NetworkContext {
    UdpNetwork& network;
    Clock& clock;
    PayloadStores& stores;
    BroadcastSetting broadcast;
    KeyConstant keyConstant = kDefaultKeyConstant;
    std::array<std::uint8_t, 14> wifiExtraDefault = kDefaultWifiExtra;
    std::function<void(std::string_view)> debug = {};
    // How large a receive buffer the discovery socket asks for (many printers answer at once).
    std::size_t receiveBuffer = 1 << 20;
    // How many devices a search keeps (the window's table: 256; the command line keeps every answer).
    std::size_t searchLimit = 256;
};

inline constexpr std::size_t kSearchTableSize = 256;
inline constexpr std::uint32_t kSearchWindowMs = 2000;
inline constexpr std::uint32_t kWriteWindowMs = 3000;
inline constexpr std::uint32_t kResendGapMs = 10;

struct DiscoverySocket {
    std::unique_ptr<UdpSocket> socket;
    int error = 0;
    std::size_t receiveBuffer = 0;  // what the system granted
};
// A socket bound to every local address on port 50005 (SO_BROADCAST, SO_REUSEADDR on).
DiscoverySocket openDiscoverySocket(const NetworkContext& context);

enum ExchangeKind { kBroadcast = 0, kDirected = 1 };

struct SearchResult {
    int error = 0;                      // 0, a system error code, or kNetworkDisabled
    std::vector<DeviceRecord> records;  // in arrival order, one per MAC, at most the context's searchLimit
    std::uint32_t lastReplyMs = 0;      // from the second send to the last accepted reply
};

// Sends the search twice, 10 ms apart, to the broadcast setting (kind 0) or to `address` (kind 1) and
// collects the answers for 2000 ms.
SearchResult searchDevices(NetworkContext& context, int kind, Ipv4 address = 0);

struct WriteResult {
    int result = -1;  // 1 written, -1 not
    int code = 0;     // 0, a WriteCode, or a system error code
};

// Writes `record` to the device with its MAC (found by an earlier search of `kind`): the checks, the
// password rule, build, merge, seal, two sends; on an answer `record` becomes the device's answer.
WriteResult configureDevice(NetworkContext& context, int kind, DeviceRecord& record,
                            const std::array<std::uint8_t, 10>& password);

// --- pieces of the exchanges, for the window and the tests
struct AcceptedReply {
    PacketHeader header;
    DeviceRecord record;
    Bytes payload;
};
// A received datagram as an exchange takes it: opened, parsed into a fresh record, completed with
// MAC, version, sender and the version rules. Nothing for a malformed, foreign or forged datagram.
std::optional<AcceptedReply> acceptReply(std::span<const std::uint8_t> datagram, Ipv4 sender,
                                         const KeyConstant& constant,
                                         const std::function<void(std::string_view)>& note = {});

}  // namespace hollin::netcfg
