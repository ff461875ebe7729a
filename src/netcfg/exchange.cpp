#include "netcfg/exchange.h"

#include <algorithm>
#include <cerrno>

namespace hollin::netcfg {
namespace {

void say(const NetworkContext& context, std::string_view text) {
    if (context.debug)
        context.debug(text);
}

// Sends `datagram` twice, 10 ms apart; the error of the second send (the first is only the loss
// protection's spare).
int sendTwice(NetworkContext& context, UdpSocket& socket, std::span<const std::uint8_t> datagram,
              UdpEndpoint destination) {
    socket.sendTo(datagram, destination);
    context.clock.sleepMs(kResendGapMs);
    return socket.sendTo(datagram, destination);
}

// Receives the datagrams of one window of `windowMs` after the sends, handing each non-empty one to
// `take` until it returns true. Each wait takes the rest of the window.
void collect(NetworkContext& context, UdpSocket& socket, std::uint32_t windowMs,
             const std::function<bool(std::span<const std::uint8_t>, Ipv4)>& take) {
    const std::uint32_t start = context.clock.tickMs();
    std::array<std::uint8_t, kReplyBufferSize> buffer{};
    for (;;) {
        const std::uint32_t spent = elapsedMs(start, context.clock.tickMs());
        if (spent >= windowMs)
            return;
        if (socket.waitReadable(windowMs - spent) != UdpWait::Readable)
            return;
        const UdpReceived received = socket.receiveFrom(buffer);
        if (received.error != 0)
            return;
        if (received.size == 0)
            continue;
        if (take(std::span(buffer).first(received.size), received.from.address))
            return;
    }
}

bool anyNonZero(std::span<const std::uint8_t> bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
}

int statusCode(std::uint8_t status) {
    switch (status) {
        case 0:
            return kWriteDone;
        case 2:
            return kPasswordMismatch;
        case 3:
            return kProductMismatch;
        default:
            return kUnknownError;
    }
}

}  // namespace

std::optional<Ipv4> parseIpv4(std::string_view text) {
    Ipv4 address = 0;
    int parts = 0;
    std::size_t pos = 0;
    while (parts < 4) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return std::nullopt;
        address = (address << 8) | value;
        ++parts;
        if (parts < 4) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
    }
    if (pos != text.size())
        return std::nullopt;
    return address;
}

BroadcastSetting broadcastSetting(std::optional<std::string_view> option,
                                  std::optional<std::string_view> environment) {
    const auto text = option ? option : environment;
    if (!text)
        return {0xFFFFFFFFu, {}};
    if (const auto address = parseIpv4(*text))
        return {*address, {}};
    return {std::nullopt, std::string("The broadcast address \"") + std::string(*text) + "\" (" +
                              (option ? "--broadcast" : "HOLLIN_BROADCAST") +
                              ") is not an IPv4 address: network search and save are off."};
}

void PayloadStores::clear(int kind) {
    lists_[kind & 1].clear();
}

void PayloadStores::put(int kind, const Mac& mac, std::span<const std::uint8_t> payload) {
    auto& list = lists_[kind & 1];
    const Bytes bytes(payload.begin(), payload.begin() + std::min(payload.size(), kReplyBufferSize));
    for (Entry& entry : list) {
        if (entry.mac == mac) {
            entry.payload = bytes;
            return;
        }
    }
    list.push_back({mac, bytes});
}

const Bytes* PayloadStores::find(int kind, const Mac& mac) const {
    for (const Entry& entry : lists_[kind & 1]) {
        if (entry.mac == mac)
            return &entry.payload;
    }
    return nullptr;
}

std::size_t PayloadStores::size(int kind) const {
    return lists_[kind & 1].size();
}

DiscoverySocket openDiscoverySocket(const NetworkContext& context) {
    DiscoverySocket opened;
    opened.socket = context.network.open(opened.error);
    if (!opened.socket)
        return opened;
    opened.error = opened.socket->bind({0, kConfigPort});
    if (opened.error != 0) {
        opened.socket.reset();
        return opened;
    }
    opened.receiveBuffer = opened.socket->setReceiveBuffer(context.receiveBuffer);
    return opened;
}

std::optional<AcceptedReply> acceptReply(std::span<const std::uint8_t> datagram, Ipv4 sender,
                                         const KeyConstant& constant,
                                         const std::function<void(std::string_view)>& note) {
    auto opened = openReply(datagram, constant);
    if (!opened)
        return std::nullopt;
    AcceptedReply reply{opened->header, DeviceRecord{}, std::move(opened->payload)};
    if (!parsePayload(reply.payload, reply.record, note))
        return std::nullopt;
    const auto& ver = reply.header.version;
    reply.record.versionMajor = ver[0];
    reply.record.versionMinor = static_cast<std::uint16_t>(ver[1] * 256 + ver[2]);
    applyVersionRules(reply.record, reply.header.productCode, ver[0], ver[1], ver[2]);
    reply.record.mac = reply.header.mac;
    reply.record.sourceAddress = ipv4Bytes(sender);
    return reply;
}

SearchResult searchDevices(NetworkContext& context, int kind, Ipv4 address) {
    SearchResult result;
    if (!context.broadcast.address) {
        result.error = kNetworkDisabled;
        return result;
    }
    const bool directed = kind == kDirected;
    const auto request = buildHeader(searchRequestHeader(directed));
    const UdpEndpoint destination{directed ? address : *context.broadcast.address, kConfigPort};
    DiscoverySocket opened = openDiscoverySocket(context);
    if (opened.error != 0) {
        result.error = opened.error;
        return result;
    }
    context.stores.clear(kind);
    if (const int error = sendTwice(context, *opened.socket, request, destination); error != 0) {
        result.error = error;
        return result;
    }
    const std::uint32_t sentAt = context.clock.tickMs();
    collect(context, *opened.socket, kSearchWindowMs, [&](auto datagram, Ipv4 sender) {
        if (result.records.size() >= context.searchLimit)
            return false;
        auto reply = acceptReply(datagram, sender, context.keyConstant, context.debug);
        if (!reply)
            return false;
        const bool known = std::any_of(result.records.begin(), result.records.end(),
                                       [&](const DeviceRecord& r) { return r.mac == reply->record.mac; });
        if (known)
            return false;
        context.stores.put(reply->header.isDirected() ? kDirected : kBroadcast, reply->record.mac,
                           reply->payload);
        result.records.push_back(reply->record);
        result.lastReplyMs = elapsedMs(sentAt, context.clock.tickMs());
        return false;
    });
    say(context, "search to " + ipv4Text(destination.address) + ": " + std::to_string(result.records.size()) +
                     " device(s)\n");
    return result;
}

WriteResult configureDevice(NetworkContext& context, int kind, DeviceRecord& record,
                            const std::array<std::uint8_t, 10>& password) {
    if (!context.broadcast.address)
        return {-1, kNetworkDisabled};
    const Bytes* stored = context.stores.find(kind, record.mac);
    if (stored == nullptr)
        return {-1, kNotFound};
    if (const int code = checkWrite(record); code != 0)
        return {-1, code};
    DeviceRecord outgoing = record;
    if (anyNonZero(outgoing.password))
        outgoing.password = password;
    const bool directed = kind == kDirected;
    const Bytes payload =
        mergePayload(*stored, buildPayload(outgoing, context.wifiExtraDefault, rememberedWpaPsk));
    const Bytes datagram = sealPacket(writeRequestHeader(directed, record.mac), payload, context.keyConstant);
    const Ipv4 target = ipv4Of(record.sourceAddress);
    const UdpEndpoint destination{directed ? target : *context.broadcast.address, kConfigPort};
    DiscoverySocket opened = openDiscoverySocket(context);
    if (opened.error != 0)
        return {-1, opened.error};
    if (const int error = sendTwice(context, *opened.socket, datagram, destination); error != 0)
        return {-1, error};
    say(context, "write of " + std::to_string(payload.size()) + " payload bytes to " +
                     ipv4Text(destination.address) + "\n");

    WriteResult result{-1, kNoResponse};
    const Mac requestMac = record.mac;
    collect(context, *opened.socket, kWriteWindowMs, [&](auto bytes, Ipv4 sender) {
        auto reply = acceptReply(bytes, sender, context.keyConstant, context.debug);
        // A search answer of the same device is no acknowledgement of the write.
        if (!reply || reply->header.command == kSearch)
            return false;
        const bool sameMac = reply->header.mac == requestMac;
        if (!sameMac && !(reply->header.isDirected() && sender == target))
            return false;
        const std::uint8_t command = reply->header.command;
        if ((command == 2 || command == 3 || command == 4) && !reply->payload.empty())
            context.stores.put(kind, reply->record.mac, reply->payload);
        if (!sameMac)
            return false;
        record = reply->record;
        const int code = statusCode(reply->header.status);
        result = {code == kWriteDone ? 1 : -1, code};
        say(context, "write answered with status " + std::to_string(reply->header.status) + "\n");
        return true;
    });
    return result;
}

}  // namespace hollin::netcfg
