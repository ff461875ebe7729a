#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/bytes.h"

// The Bluetooth module's commands and replies. Every command is ESC "b" "t", a count byte N and N
// bytes: a sub-command and its data (BLE on/off is an advanced-options command, bleCommand). Texts
// travel as UTF-8 and the count byte always matches what follows; the name's limit counts bytes, the
// PIN's characters, as its message says.
namespace hollin::printer {

inline constexpr std::size_t kBtNameMaxBytes = 18;
inline constexpr std::size_t kBtPinCharacters = 4;
// Reply capacities: the address and the discoverable mode, and the device name.
inline constexpr std::size_t kBtReplyBytes = 256;
inline constexpr std::size_t kBtNameReplyBytes = 64;
// The name a module answers with when its name can be neither read nor changed.
inline constexpr std::string_view kBtUnchangeableName = "MOVON";

Bytes btReadAddressCommand();       // ... 01 0E
Bytes btReadDiscoverableCommand();  // ... 01 56
Bytes btReadNameCommand();          // ... 01 80
// ... N+1 81 and the name; nothing for a name over 18 bytes.
std::optional<Bytes> btWriteNameCommand(std::string_view name);
// ... N+1 90 and the PIN as typed (05 90 and four bytes for an ASCII PIN); nothing unless the PIN is
// exactly 4 characters.
std::optional<Bytes> btWritePinCommand(std::string_view pin);
Bytes btDiscoverableCommand(bool on);       // ... 01 05 / 01 06
Bytes btAutoConnectionCommand(bool on);     // ... 02 0C 01 / 00
Bytes btNumericComparisonCommand(bool on);  // ... 02 9A "Y" / "N"

// A reply as text for showing: up to its first zero byte, every leading and trailing double quote
// removed, UTF-8 when valid, else read as Latin-1.
std::string btReplyText(std::span<const std::uint8_t> reply);
// The discoverable-mode reply means ON exactly when its text (up to a zero byte) contains "on" in
// lower case.
bool btDiscoverableReplyOn(std::span<const std::uint8_t> reply);
// The trimmed name reply is the module's "cannot be read or changed" answer.
bool btNameUnsupported(std::string_view trimmedName);
// The characters of a text: its UTF-8 sequences when it is valid UTF-8, else its bytes.
std::size_t btCharacterCount(std::string_view text);
// PIN rules: the window takes any 4 characters; the main window's group 4 decimal digits.
bool btPinLengthOk(std::string_view pin);
bool btPinDecimal(std::string_view pin);

}  // namespace hollin::printer
