#include "sim/network_printer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "common/crc16.h"
#include "common/rc4.h"

namespace hollin::sim {
namespace {

using namespace hollin::netcfg;

// Reads every datagram already waiting on `socket` (a bounded number) and hands it on.
template <typename Handler>
void drain(UdpSocket* socket, Handler&& handler) {
    if (socket == nullptr)
        return;
    static thread_local std::vector<std::uint8_t> buffer(2048);
    for (int i = 0; i < 1024; ++i) {
        const UdpReceived received = socket->receiveFrom(buffer);
        if (received.error != 0)
            return;
        if (received.size > 0)
            handler(std::span<const std::uint8_t>(buffer).first(received.size));
    }
}

int openPair(UdpNetwork& network, Ipv4 own, std::uint16_t port, std::unique_ptr<UdpSocket>& wildcard,
             std::unique_ptr<UdpSocket>& direct) {
    int error = 0;
    wildcard = network.open(error);
    if (!wildcard)
        return error;
    if ((error = wildcard->bind({0, port})) != 0)
        return error;
    direct = network.open(error);
    if (!direct)
        return error;
    return direct->bind({own, port});
}

// The data of item `type`/`index` in a well-formed payload.
std::optional<std::span<const std::uint8_t>> itemData(std::span<const std::uint8_t> payload,
                                                      std::uint8_t type, std::uint8_t index) {
    std::optional<std::span<const std::uint8_t>> found;
    walkItems(payload, [&](const ItemView& item) {
        if (!found && item.type == type && item.index == index)
            found = item.data;
    });
    return found;
}

}  // namespace

BinaryPrinterState makeBinaryPrinter(int number, Ipv4 address, std::string_view password) {
    DeviceRecord record;
    record.productCode = 21;
    record.hasWifi = 1;
    record.ipAddress = ipv4Bytes(address);
    record.netmask = ipv4Bytes(ipv4(255, 0, 0, 0));
    record.gateway = ipv4Bytes(ipv4(127, 0, 0, 1));
    record.channels[0].valid = 1;
    record.channels[0].setLocalPort(9100);
    record.wifiWord = 1 | (6u << 4);  // infrastructure, channel 6
    const char ssid[] = "HollinNet";
    std::memcpy(record.ssid.data(), ssid, sizeof ssid - 1);
    setPassphrase(record, "printer-pass");
    BinaryPrinterState state;
    std::copy_n(password.begin(), std::min(password.size(), state.password.size()), state.password.begin());
    record.password = state.password;
    state.mac = {0x00,
                 0x30,
                 0xF9,
                 static_cast<std::uint8_t>(number >> 16),
                 static_cast<std::uint8_t>(number >> 8),
                 static_cast<std::uint8_t>(number)};
    state.items = buildPayload(record, kDefaultWifiExtra, rememberedWpaPsk);
    const std::uint8_t vendor[] = {'v', 'e', 'n', 'd', 'o', 'r'};
    appendItem(state.items, 41, 0, vendor);
    closePayload(state.items);
    return state;
}

BinaryNetworkPrinter::BinaryNetworkPrinter(UdpNetwork& network, Clock& clock, Ipv4 own, Ipv4 broadcast,
                                           BinaryPrinterState state, KeyConstant key)
    : network_(network),
      clock_(clock),
      own_(own),
      broadcast_(broadcast),
      state_(std::move(state)),
      key_(key) {}

int BinaryNetworkPrinter::start() {
    return openPair(network_, own_, kConfigPort, wildcard_, direct_);
}

std::vector<UdpSocket*> BinaryNetworkPrinter::sockets() const {
    return {wildcard_.get(), direct_.get()};
}

DeviceRecord BinaryNetworkPrinter::record() const {
    DeviceRecord record;
    parsePayload(state_.items, record);
    record.mac = state_.mac;
    return record;
}

void BinaryNetworkPrinter::service() {
    const auto handler = [this](std::span<const std::uint8_t> datagram) { handle(datagram); };
    drain(wildcard_.get(), handler);
    drain(direct_.get(), handler);
    sendDue();
}

std::optional<std::uint32_t> BinaryNetworkPrinter::nextDueMs() const {
    if (outbox_.empty())
        return std::nullopt;
    return outbox_.front().dueMs;
}

void BinaryNetworkPrinter::sendDue() {
    const std::uint32_t now = clock_.tickMs();
    while (!outbox_.empty() && elapsedMs(outbox_.front().dueMs, now) <= 0x7FFFFFFFu) {
        direct_->sendTo(outbox_.front().datagram, {broadcast_, kConfigPort});
        outbox_.erase(outbox_.begin());
    }
}

void BinaryNetworkPrinter::handle(std::span<const std::uint8_t> datagram) {
    const auto header = parseHeader(datagram);
    if (!header || header->magic != kMagic || header->isReply() || (header->flags & kFlagRequest) == 0)
        return;
    ++state_.requestsSeen;
    if (header->command == kSearch || header->command == kDirectedSearch) {
        answer(*header, 0);
        return;
    }
    if (header->command != kWrite || header->mac != state_.mac)
        return;
    ++state_.writesToItSeen;
    if (fault_ == NetFault::DeafToWrites)
        return;
    Bytes payload(datagram.begin() + kHeaderSize, datagram.end());
    rc4Apply(packetKey(key_, header->payloadCrc), payload);
    if (walkItems(payload, {}) != ItemFault::None ||
        (!payload.empty() && itemCrc(payload) != header->payloadCrc))
        return;  // a garbled write is not acknowledged
    answer(*header, applyWrite(payload));
}

std::uint8_t BinaryNetworkPrinter::applyWrite(std::span<const std::uint8_t> payload) {
    if (forcedStatus_)
        return *forcedStatus_;
    const auto password = itemData(payload, 6, 0);
    if (!password || !std::equal(state_.password.begin(), state_.password.end(), password->begin()))
        return 2;
    const auto product = itemData(payload, 2, 0);
    if (!product || (*product)[0] != state_.productCode)
        return 3;
    state_.items.assign(payload.begin(), payload.end());
    ++state_.writesApplied;
    return 0;
}

void BinaryNetworkPrinter::answer(const PacketHeader& request, std::uint8_t status) {
    if (fault_ == NetFault::Silent)
        return;
    PacketHeader reply;
    reply.flags = static_cast<std::uint8_t>(kFlagReply | (request.flags & kFlagDirected));
    reply.command = request.command;
    reply.status = status;
    reply.mac = state_.mac;
    reply.productCode = state_.productCode;
    reply.version = state_.firmware;
    Bytes payload = state_.items;
    if (fault_ == NetFault::WrongMac)
        reply.mac[5] ^= 0xFF;
    if (fault_ == NetFault::NoReplyFlag)
        reply.flags &= static_cast<std::uint8_t>(~kFlagReply);
    if (fault_ == NetFault::OtherMagic)
        reply.magic[3] = 0x02;
    if (fault_ == NetFault::BadCrc) {
        std::size_t second = 0;
        walkItems(payload, [&](const ItemView& item) {
            if (item.offset > 0 && second == 0)
                second = item.offset + item.size - 1;
        });
        payload[second] ^= 0x5A;  // the last CRC byte of the second item
    }
    if (fault_ == NetFault::Oversize) {
        while (payload.size() + kHeaderSize <= kReplyBufferSize + 64)
            appendItem(payload, 41, 1, std::vector<std::uint8_t>(100, 0x41));
    }
    Bytes datagram = sealPacket(reply, payload, key_);
    const std::uint32_t due = clock_.tickMs() + (fault_ == NetFault::Late ? lateMs_ : 0);
    const int copies = fault_ == NetFault::Duplicate ? 2 : 1;
    for (int i = 0; i < copies; ++i)
        outbox_.push_back({due, datagram});
    sendDue();
}

TextRecord makeTextRecord(int number, Ipv4 address) {
    TextRecord record;
    record.fill(' ');
    char text[64];
    std::memcpy(record.data(), "01", 2);
    std::snprintf(text, sizeof text, "0030F9%06X", number & 0xFFFFFF);
    std::memcpy(record.data() + 2, text, 12);
    std::memcpy(record.data() + 14, "HollinText\r\n", 12);
    record[48] = '0';
    std::snprintf(text, sizeof text, "%08X%08X%08X%08X", address, 0xFF000000u, ipv4(127, 0, 0, 1), 0u);
    std::memcpy(record.data() + 49, text, 32);
    std::memcpy(record.data() + 81, "1060", 4);  // infrastructure, channel 06, no encryption
    std::snprintf(text, sizeof text, "%04X", 9100);
    std::memcpy(record.data() + 257, text, 4);
    return record;
}

TextNetworkPrinter::TextNetworkPrinter(UdpNetwork& network, Ipv4 own, Ipv4 broadcast, TextRecord record)
    : network_(network), own_(own), broadcast_(broadcast), record_(record) {}

int TextNetworkPrinter::start() {
    return openPair(network_, own_, kTextPort, wildcard_, direct_);
}

std::vector<UdpSocket*> TextNetworkPrinter::sockets() const {
    return {wildcard_.get(), direct_.get()};
}

void TextNetworkPrinter::service() {
    const auto handler = [this](std::span<const std::uint8_t> datagram) { handle(datagram); };
    drain(wildcard_.get(), handler);
    drain(direct_.get(), handler);
}

void TextNetworkPrinter::handle(std::span<const std::uint8_t> datagram) {
    const TextDatagram classified = classifyTextDatagram(datagram);
    if (classified.kind == TextDatagramKind::OwnSearch) {
        answer();
        return;
    }
    if (classified.kind != TextDatagramKind::OwnSave || datagram.size() < 8 + 14)
        return;
    // The save's record starts at byte 8; its MAC text is the record's bytes 2..13, in either case.
    const auto sameLetter = [](std::uint8_t a, std::uint8_t b) { return std::tolower(a) == std::tolower(b); };
    if (!std::equal(datagram.begin() + 10, datagram.begin() + 22, record_.begin() + 2, sameLetter))
        return;
    const std::size_t carried = std::min(datagram.size(), std::size_t{1021}) - 8;
    std::copy_n(datagram.begin() + 8, carried, record_.begin());
    ++saves_;
    answer();
}

void TextNetworkPrinter::answer() {
    TextFrame frame = buildSearchFrame();
    std::fill(frame.begin() + 1, frame.begin() + 1021, 0);
    std::copy(record_.begin(), record_.end(), frame.begin() + 1);
    direct_->sendTo(frame, {broadcast_, kTextPort});
}

void NetworkPrinterHost::add(NetworkService& service, std::vector<UdpSocket*> sockets) {
    services_.push_back(&service);
    sockets_.insert(sockets_.end(), sockets.begin(), sockets.end());
}

void NetworkPrinterHost::start() {
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void NetworkPrinterHost::stop() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

void NetworkPrinterHost::run() {
    while (!stopping_) {
        network_.waitAny(sockets_, 20);  // also the pace of late answers
        for (NetworkService* service : services_)
            service->service();
    }
}

bool NetworkPrinterFleet::start(int binary, int text, Ipv4 first, Ipv4 broadcast, const KeyConstant& key) {
    Ipv4 address = first;
    for (int i = 1; i <= binary; ++i, ++address) {
        auto printer = std::make_unique<BinaryNetworkPrinter>(network_, clock_, address, broadcast,
                                                              makeBinaryPrinter(i, address), key);
        if (const int error = printer->start(); error != 0) {
            error_ = "cannot open UDP port 50005 on " + ipv4Text(address) + ": " + std::strerror(error);
            return false;
        }
        host_.add(*printer, printer->sockets());
        binary_.push_back(std::move(printer));
    }
    for (int i = 1; i <= text; ++i, ++address) {
        auto printer = std::make_unique<TextNetworkPrinter>(network_, address, broadcast,
                                                            makeTextRecord(binary + i, address));
        if (const int error = printer->start(); error != 0) {
            error_ = "cannot open UDP port 61001 on " + ipv4Text(address) + ": " + std::strerror(error);
            return false;
        }
        host_.add(*printer, printer->sockets());
        text_.push_back(std::move(printer));
    }
    host_.start();
    return true;
}

}  // namespace hollin::sim
