#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "common/bytes.h"

// The binary configuration protocol on UDP port 50005: a 32-byte plain header, then a payload of
// typed items each closed by a CRC-16, the payload enciphered with RC4.
namespace hollin::netcfg {

inline constexpr std::uint16_t kConfigPort = 50005;
inline constexpr std::size_t kHeaderSize = 32;
// Replies are read into a buffer of this size; anything longer is cut.
inline constexpr std::size_t kReplyBufferSize = 1460;
// An item's data never exceed the parser's scratch area.
inline constexpr std::size_t kMaxItemData = 1400;
inline constexpr std::size_t kMinItemSize = 8;

inline constexpr std::array<std::uint8_t, 4> kMagic = {0x2A, 0x76, 0x4E, 0x01};

enum Command : std::uint8_t { kSearch = 1, kDirectedSearch = 2, kWrite = 3 };

inline constexpr std::uint8_t kFlagRequest = 0x01;
inline constexpr std::uint8_t kFlagDirected = 0x02;
inline constexpr std::uint8_t kFlagReply = 0x80;

using Mac = std::array<std::uint8_t, 6>;

struct PacketHeader {
    std::array<std::uint8_t, 4> magic = kMagic;
    std::uint8_t marker = 0x10;
    std::uint8_t flags = kFlagRequest;
    std::uint8_t command = kSearch;
    std::uint8_t status = 0;
    std::uint16_t payloadCrc = 0;  // little-endian on the wire
    Mac mac{};
    std::uint8_t productCode = 0;
    std::array<std::uint8_t, 3> version{};
    std::array<std::uint8_t, 12> reserved{};

    bool isReply() const { return (flags & kFlagReply) != 0; }
    bool isDirected() const { return (flags & kFlagDirected) != 0; }
};

std::array<std::uint8_t, kHeaderSize> buildHeader(const PacketHeader& header);
// The first 32 bytes as a header; nothing for fewer than 32 bytes. Nothing is checked.
std::optional<PacketHeader> parseHeader(std::span<const std::uint8_t> datagram);

// The requests: a search (broadcast or directed) and the head of a write to `target`.
PacketHeader searchRequestHeader(bool directed);
PacketHeader writeRequestHeader(bool directed, const Mac& target);

// --- items: type, index, length L (little-endian), data, zero padding, CRC over all before it.
// The padding after n data bytes: 2, 1, 0, 3 for n mod 4 = 0, 1, 2, 3.
constexpr std::size_t itemPadding(std::size_t dataSize) {
    constexpr std::size_t kPad[4] = {2, 1, 0, 3};
    return kPad[dataSize % 4];
}
constexpr std::size_t itemSize(std::size_t dataSize) {
    return dataSize + itemPadding(dataSize) + 6;
}
void appendItem(Bytes& payload, std::uint8_t type, std::uint8_t index, std::span<const std::uint8_t> data);

// One item found in a payload; `data` spans L - 6 bytes (the padding included).
struct ItemView {
    std::uint8_t type = 0;
    std::uint8_t index = 0;
    std::size_t offset = 0;  // of the item's first byte in the payload
    std::size_t size = 0;    // L
    std::span<const std::uint8_t> data;
};

enum class ItemFault { None, ShortRest, BadLength, PastEnd, BadCrc };

// Walks the items of `payload`, handing each to `visit`, until the lengths add up to the payload's
// size. Stops at the first fault: fewer than 8 bytes left, a length below 8, not a multiple of 4 or
// with more than 1400 data bytes, a length past the end, a CRC that does not match.
ItemFault walkItems(std::span<const std::uint8_t> payload, const std::function<void(const ItemView&)>& visit);

// --- cipher
using KeyConstant = std::array<std::uint8_t, 14>;

// The key's fixed part and the default of the Wi-Fi extra block, as the printers' firmware knows them.
inline constexpr KeyConstant kDefaultKeyConstant = {'H', 'o', 'l', 'l', 'i', 'n', 'N',
                                                    'e', 't', 'C', 'f', 'g', '0', '1'};
inline constexpr std::array<std::uint8_t, 14> kDefaultWifiExtra = {'H', 'o', 'l', 'l', 'i', 'n', 'W',
                                                                   'i', 'F', 'i', 'E', 'x', 't', '0'};

// The key constant from the text of HOLLIN_NETCFG_KEY (28 hexadecimal digits); the default when the
// text is absent, and also when it is malformed, in which case `note` hears why (never the value).
KeyConstant keyConstantFromText(std::optional<std::string_view> text,
                                const std::function<void(std::string_view)>& note = {});

// The 16-byte key of one packet: the constant, then the header's CRC field low byte first.
std::array<std::uint8_t, 16> packetKey(const KeyConstant& constant, std::uint16_t payloadCrc);

// A datagram: the header with the payload's CRC (0 without payload), then the enciphered payload.
Bytes sealPacket(PacketHeader header, std::span<const std::uint8_t> payload, const KeyConstant& constant);

struct OpenedReply {
    PacketHeader header;
    Bytes payload;  // deciphered
};

// A reply as the exchanges take it: at least 32 bytes (cut at 1460), the magic and flag bit 7;
// the payload deciphered with the key of its header. Nothing for anything else.
std::optional<OpenedReply> openReply(std::span<const std::uint8_t> datagram, const KeyConstant& constant);

}  // namespace hollin::netcfg
