#include "netcfg/packet.h"

#include <algorithm>

#include "common/crc16.h"
#include "common/hex.h"
#include "common/rc4.h"

namespace hollin::netcfg {

std::array<std::uint8_t, kHeaderSize> buildHeader(const PacketHeader& header) {
    std::array<std::uint8_t, kHeaderSize> bytes{};
    std::copy(header.magic.begin(), header.magic.end(), bytes.begin());
    bytes[4] = header.marker;
    bytes[5] = header.flags;
    bytes[6] = header.command;
    bytes[7] = header.status;
    bytes[8] = static_cast<std::uint8_t>(header.payloadCrc & 0xFF);
    bytes[9] = static_cast<std::uint8_t>(header.payloadCrc >> 8);
    std::copy(header.mac.begin(), header.mac.end(), bytes.begin() + 10);
    bytes[16] = header.productCode;
    std::copy(header.version.begin(), header.version.end(), bytes.begin() + 17);
    std::copy(header.reserved.begin(), header.reserved.end(), bytes.begin() + 20);
    return bytes;
}

std::optional<PacketHeader> parseHeader(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < kHeaderSize)
        return std::nullopt;
    PacketHeader header;
    std::copy_n(datagram.begin(), 4, header.magic.begin());
    header.marker = datagram[4];
    header.flags = datagram[5];
    header.command = datagram[6];
    header.status = datagram[7];
    header.payloadCrc = static_cast<std::uint16_t>(datagram[8] | (datagram[9] << 8));
    std::copy_n(datagram.begin() + 10, 6, header.mac.begin());
    header.productCode = datagram[16];
    std::copy_n(datagram.begin() + 17, 3, header.version.begin());
    std::copy_n(datagram.begin() + 20, 12, header.reserved.begin());
    return header;
}

PacketHeader searchRequestHeader(bool directed) {
    PacketHeader header;
    header.flags = directed ? kFlagRequest | kFlagDirected : kFlagRequest;
    header.command = directed ? kDirectedSearch : kSearch;
    return header;
}

PacketHeader writeRequestHeader(bool directed, const Mac& target) {
    PacketHeader header;
    header.flags = directed ? kFlagRequest | kFlagDirected : kFlagRequest;
    header.command = kWrite;
    header.mac = target;
    return header;
}

void appendItem(Bytes& payload, std::uint8_t type, std::uint8_t index, std::span<const std::uint8_t> data) {
    const std::size_t start = payload.size();
    const std::size_t size = itemSize(data.size());
    payload.push_back(type);
    payload.push_back(index);
    payload.push_back(static_cast<std::uint8_t>(size & 0xFF));
    payload.push_back(static_cast<std::uint8_t>(size >> 8));
    payload.insert(payload.end(), data.begin(), data.end());
    payload.resize(payload.size() + itemPadding(data.size()), 0);
    const std::uint16_t crc = itemCrc(std::span(payload).subspan(start));
    payload.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    payload.push_back(static_cast<std::uint8_t>(crc >> 8));
}

ItemFault walkItems(std::span<const std::uint8_t> payload,
                    const std::function<void(const ItemView&)>& visit) {
    std::size_t offset = 0;
    while (offset < payload.size()) {
        const std::size_t left = payload.size() - offset;
        if (left < kMinItemSize)
            return ItemFault::ShortRest;
        const std::size_t size = payload[offset + 2] | (payload[offset + 3] << 8);
        if (size < kMinItemSize || size % 4 != 0 || size - 6 > kMaxItemData)
            return ItemFault::BadLength;
        if (size > left)
            return ItemFault::PastEnd;
        const auto item = payload.subspan(offset, size);
        if (!itemCrcMatches(item))
            return ItemFault::BadCrc;
        if (visit)
            visit({item[0], item[1], offset, size, item.subspan(4, size - 6)});
        offset += size;
    }
    return ItemFault::None;
}

KeyConstant keyConstantFromText(std::optional<std::string_view> text,
                                const std::function<void(std::string_view)>& note) {
    if (!text)
        return kDefaultKeyConstant;
    bool wellFormed = text->size() == 28;
    for (char c : *text)
        wellFormed = wellFormed && hexDigitValue(c) >= 0;
    if (!wellFormed) {
        if (note)
            note("HOLLIN_NETCFG_KEY is not 28 hexadecimal digits; the default key is used\n");
        return kDefaultKeyConstant;
    }
    KeyConstant constant{};
    for (std::size_t i = 0; i < constant.size(); ++i)
        constant[i] =
            static_cast<std::uint8_t>(hexDigitValue((*text)[2 * i]) * 16 + hexDigitValue((*text)[2 * i + 1]));
    return constant;
}

std::array<std::uint8_t, 16> packetKey(const KeyConstant& constant, std::uint16_t payloadCrc) {
    std::array<std::uint8_t, 16> key{};
    std::copy(constant.begin(), constant.end(), key.begin());
    key[14] = static_cast<std::uint8_t>(payloadCrc & 0xFF);
    key[15] = static_cast<std::uint8_t>(payloadCrc >> 8);
    return key;
}

Bytes sealPacket(PacketHeader header, std::span<const std::uint8_t> payload, const KeyConstant& constant) {
    header.payloadCrc = payload.empty() ? 0 : itemCrc(payload);
    const auto head = buildHeader(header);
    Bytes datagram(head.begin(), head.end());
    datagram.insert(datagram.end(), payload.begin(), payload.end());
    rc4Apply(packetKey(constant, header.payloadCrc), std::span(datagram).subspan(kHeaderSize));
    return datagram;
}

std::optional<OpenedReply> openReply(std::span<const std::uint8_t> datagram, const KeyConstant& constant) {
    const auto header = parseHeader(datagram);
    if (!header || header->magic != kMagic || !header->isReply())
        return std::nullopt;
    const auto body =
        datagram.subspan(kHeaderSize, std::min(datagram.size(), kReplyBufferSize) - kHeaderSize);
    OpenedReply reply{*header, Bytes(body.begin(), body.end())};
    rc4Apply(packetKey(constant, header->payloadCrc), reply.payload);
    return reply;
}

}  // namespace hollin::netcfg
