#include "printer/bluetooth_codec.h"

#include <algorithm>

#include "common/device_text.h"

namespace hollin::printer {
namespace {

// Sized once and copied into: GCC 12 at -O2 sees a false out-of-bounds copy in a vector insert here.
Bytes bt(std::initializer_list<std::uint8_t> rest) {
    constexpr std::uint8_t kPrefix[] = {0x1B, 0x62, 0x74};
    Bytes out(std::size(kPrefix) + rest.size());
    std::copy(rest.begin(), rest.end(), std::copy(std::begin(kPrefix), std::end(kPrefix), out.begin()));
    return out;
}

Bytes btWithText(std::uint8_t subCommand, std::string_view text) {
    Bytes out = bt({static_cast<std::uint8_t>(text.size() + 1), subCommand});
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

}  // namespace

Bytes btReadAddressCommand() {
    return bt({0x01, 0x0E});
}
Bytes btReadDiscoverableCommand() {
    return bt({0x01, 0x56});
}
Bytes btReadNameCommand() {
    return bt({0x01, 0x80});
}

std::optional<Bytes> btWriteNameCommand(std::string_view name) {
    if (name.size() > kBtNameMaxBytes)
        return std::nullopt;
    return btWithText(0x81, name);
}

std::optional<Bytes> btWritePinCommand(std::string_view pin) {
    if (!btPinLengthOk(pin))
        return std::nullopt;
    return btWithText(0x90, pin);
}

Bytes btDiscoverableCommand(bool on) {
    return bt({0x01, static_cast<std::uint8_t>(on ? 0x05 : 0x06)});
}
Bytes btAutoConnectionCommand(bool on) {
    return bt({0x02, 0x0C, static_cast<std::uint8_t>(on ? 0x01 : 0x00)});
}
Bytes btNumericComparisonCommand(bool on) {
    return bt({0x02, 0x9A, static_cast<std::uint8_t>(on ? 'Y' : 'N')});
}

std::string btReplyText(std::span<const std::uint8_t> reply) {
    auto end = std::find(reply.begin(), reply.end(), std::uint8_t{0});
    auto begin = reply.begin();
    while (begin != end && *begin == '"')
        ++begin;
    while (end != begin && *(end - 1) == '"')
        --end;
    return deviceText(std::span<const std::uint8_t>(begin, end));
}

bool btDiscoverableReplyOn(std::span<const std::uint8_t> reply) {
    const std::uint8_t on[] = {'o', 'n'};
    const auto end = std::find(reply.begin(), reply.end(), std::uint8_t{0});
    return std::search(reply.begin(), end, std::begin(on), std::end(on)) != end;
}

bool btNameUnsupported(std::string_view trimmedName) {
    return trimmedName == kBtUnchangeableName;
}

std::size_t btCharacterCount(std::string_view text) {
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!isValidUtf8(bytes))
        return text.size();
    // Every byte but a continuation byte (10xxxxxx) starts a character.
    return static_cast<std::size_t>(
        std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return (b & 0xC0) != 0x80; }));
}

bool btPinLengthOk(std::string_view pin) {
    return btCharacterCount(pin) == kBtPinCharacters;
}

bool btPinDecimal(std::string_view pin) {
    return btPinLengthOk(pin) &&
           std::all_of(pin.begin(), pin.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace hollin::printer
