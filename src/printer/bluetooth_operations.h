#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/bytes.h"
#include "common/text_twin.h"
#include "printer/printer_operations.h"
#include "transport/byte_channel.h"
#include "transport/printer_exchange.h"

// The Bluetooth actions, over either of the two ways the program reaches the module: the Bluetooth
// window's lent port, or the main window's own exchange (which checks first that the printer still
// answers).
namespace hollin::printer {

// --- the values the Bluetooth actions take, with the messages of a refusal
inline constexpr TextTwin kBtNameTooLongText = {"Bluetooth device name is up to 18 characters. !!!",
                                                "블루투스 장치 이름이 최대 18문자 입니다. !!!"};
inline constexpr TextTwin kBtPinLengthText = {"Bluetooth PIN Code is 4 characters. !!!",
                                              "블루투스 핀코드 길이는 4 문자 입니다. !!!"};
inline constexpr TextTwin kBtPinDecimalLengthText = {"Bluetooth PIN Code is 4-decimal characters. !!!",
                                                     "블루투스 핀코드 길이 4-decimal 문자 입니다. !!!"};
inline constexpr TextTwin kBtPinValueText = {
    "Invalid PIN Code value\nBluetooth PIN Code value is from 0000 to 9999 !!!",
    "핀코드 값 에러\n블루투스 핀코드 값은 0000 ~ 9999 입니다. !!!"};

// Which PINs Save Bluetooth PIN Code takes: any 4 characters (the Bluetooth window) or 4 decimal
// digits (the main window's group).
enum class PinRule { AnyFour, FourDigits };

// A name Set Bluetooth Information takes: at most 18 bytes. The refusal's message, nothing when taken.
const TextTwin* checkBluetoothName(std::string_view name);
// A PIN Save Bluetooth PIN Code takes under `rule`: the length first, then (four digits) the digits.
// The refusal's message, nothing when taken.
const TextTwin* checkBluetoothPin(std::string_view pin, PinRule rule);

// A reply wait: pauses of 50 ms, given up after about 3 s.
inline constexpr std::uint32_t kBtReplyPauseMs = 50;
inline constexpr std::uint32_t kBtReplyBoundMs = 3000;

class BluetoothTransport {
  public:
    virtual ~BluetoothTransport() = default;
    // Run before every action: whether the printer may be addressed (Done), and what was learnt.
    virtual PrinterResult prepare() = 0;
    // True when all the bytes reached the printer.
    virtual bool send(std::span<const std::uint8_t> bytes) = 0;
    // The reply: the first chunk that arrives, cut to `capacity`; nothing after about 3 s.
    virtual std::optional<Bytes> awaitReply(std::size_t capacity) = 0;
};

// Over a lent port: no check before an action.
class ChannelBluetoothTransport final : public BluetoothTransport {
  public:
    explicit ChannelBluetoothTransport(ByteChannel& channel) : channel_(channel) {}
    PrinterResult prepare() override { return {}; }
    bool send(std::span<const std::uint8_t> bytes) override { return channel_.send(bytes); }
    std::optional<Bytes> awaitReply(std::size_t capacity) override;

  private:
    ByteChannel& channel_;
};

// Over the main window's exchange: every action starts with the probe; replies are polled at 50 ms.
class ExchangeBluetoothTransport final : public BluetoothTransport {
  public:
    explicit ExchangeBluetoothTransport(PrinterExchange& exchange) : exchange_(exchange) {}
    PrinterResult prepare() override;
    bool send(std::span<const std::uint8_t> bytes) override { return exchange_.SendToPrinter(bytes); }
    std::optional<Bytes> awaitReply(std::size_t capacity) override;

  private:
    PrinterExchange& exchange_;
};

// What Get Bluetooth Information learnt; the fields read before a failure are kept.
struct BluetoothInfo {
    PrinterResult result;  // Done, or the failure that stopped the reads
    std::optional<std::string> address;
    std::optional<bool> discoverable;
    std::optional<std::string> name;  // trimmed; see btNameUnsupported
};

// The three reads in order: address, discoverable mode, device name; stops at the first command
// not sent or reply not received.
BluetoothInfo readBluetoothInfo(BluetoothTransport& transport);

// Every set action asks the transport first (the main window's probe) and then checks its value:
// Refused, with nothing sent, for a name over 18 bytes or a PIN outside its rule.
PrinterResult setBluetoothName(BluetoothTransport& transport, std::string_view name);
PrinterResult setBluetoothPin(BluetoothTransport& transport, std::string_view pin,
                              PinRule rule = PinRule::AnyFour);
PrinterResult setDiscoverable(BluetoothTransport& transport, bool on);
PrinterResult setAutoConnection(BluetoothTransport& transport, bool on);
PrinterResult setBle(BluetoothTransport& transport, bool on);
PrinterResult setNumericComparison(BluetoothTransport& transport, bool on);

}  // namespace hollin::printer
