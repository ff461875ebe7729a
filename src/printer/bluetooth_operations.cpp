#include "printer/bluetooth_operations.h"

#include <algorithm>

#include "printer/advanced_options_codec.h"
#include "printer/bluetooth_codec.h"

namespace hollin::printer {

const TextTwin* checkBluetoothName(std::string_view name) {
    return name.size() > kBtNameMaxBytes ? &kBtNameTooLongText : nullptr;
}

const TextTwin* checkBluetoothPin(std::string_view pin, PinRule rule) {
    if (rule == PinRule::AnyFour)
        return btPinLengthOk(pin) ? nullptr : &kBtPinLengthText;
    if (!btPinLengthOk(pin))
        return &kBtPinDecimalLengthText;
    if (!btPinDecimal(pin))
        return &kBtPinValueText;
    return nullptr;
}
namespace {

// Prepares, then sends `command`; nothing is sent for an empty one (a value refused).
PrinterResult prepareAndSend(BluetoothTransport& transport, const std::optional<Bytes>& command) {
    PrinterResult result = transport.prepare();
    if (result.outcome != Outcome::Done)
        return result;
    if (!command) {
        result.outcome = Outcome::Refused;
        return result;
    }
    if (!transport.send(*command))
        result.outcome = Outcome::NotSent;
    return result;
}

// Sends a read and waits for its reply; the failure is left in `result`.
std::optional<Bytes> ask(BluetoothTransport& transport, const Bytes& command, std::size_t capacity,
                         PrinterResult& result) {
    if (!transport.send(command)) {
        result.outcome = Outcome::NotSent;
        return std::nullopt;
    }
    std::optional<Bytes> reply = transport.awaitReply(capacity);
    if (!reply)
        result.outcome = Outcome::NoResponse;
    return reply;
}

}  // namespace

std::optional<Bytes> ChannelBluetoothTransport::awaitReply(std::size_t capacity) {
    return awaitFirstChunk(channel_, capacity, kBtReplyPauseMs, kBtReplyBoundMs);
}

PrinterResult ExchangeBluetoothTransport::prepare() {
    return probeEmulation(exchange_);
}

std::optional<Bytes> ExchangeBluetoothTransport::awaitReply(std::size_t capacity) {
    if (exchange_.PollReply(kBtReplyPauseMs) == 0)
        return std::nullopt;
    const std::span<const std::uint8_t> reply = exchange_.reply();
    return Bytes(reply.begin(), reply.begin() + std::min(reply.size(), capacity));
}

BluetoothInfo readBluetoothInfo(BluetoothTransport& transport) {
    BluetoothInfo info;
    info.result = transport.prepare();
    if (info.result.outcome != Outcome::Done)
        return info;
    if (auto reply = ask(transport, btReadAddressCommand(), kBtReplyBytes, info.result))
        info.address = btReplyText(*reply);
    else
        return info;
    if (auto reply = ask(transport, btReadDiscoverableCommand(), kBtReplyBytes, info.result))
        info.discoverable = btDiscoverableReplyOn(*reply);
    else
        return info;
    if (auto reply = ask(transport, btReadNameCommand(), kBtNameReplyBytes, info.result))
        info.name = btReplyText(*reply);
    return info;
}

PrinterResult setBluetoothName(BluetoothTransport& transport, std::string_view name) {
    return prepareAndSend(transport, btWriteNameCommand(name));
}

PrinterResult setBluetoothPin(BluetoothTransport& transport, std::string_view pin, PinRule rule) {
    return prepareAndSend(transport,
                          checkBluetoothPin(pin, rule) == nullptr ? btWritePinCommand(pin) : std::nullopt);
}

PrinterResult setDiscoverable(BluetoothTransport& transport, bool on) {
    return prepareAndSend(transport, btDiscoverableCommand(on));
}

PrinterResult setAutoConnection(BluetoothTransport& transport, bool on) {
    return prepareAndSend(transport, btAutoConnectionCommand(on));
}

PrinterResult setBle(BluetoothTransport& transport, bool on) {
    return prepareAndSend(transport, bleCommand(on));
}

PrinterResult setNumericComparison(BluetoothTransport& transport, bool on) {
    return prepareAndSend(transport, btNumericComparisonCommand(on));
}

}  // namespace hollin::printer
