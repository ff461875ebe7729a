#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "common/bytes.h"

// What every printer exchange needs to know of the printer at the other end: its command-language
// emulation and its model, as the probe and the model query report them.
namespace hollin {

// The printer's command-language emulation. 6 and 7 are codes printers report without a name.
enum EmulationKind : std::int32_t {
    kEscPos = 0,
    kCpcl = 1,
    kMpcl = 2,
    kZpl = 3,
    kEpl = 4,
    kDpl = 5,
};

Bytes probeCommand();       // FS "E" "C"
Bytes modelQueryCommand();  // ESC "v"

// The emulation a probe reply's last byte names: 0x00/"0" CPCL and 0x01/"1" ESC/POS (the two are
// crossed), 2..7 (raw or as a digit) map to themselves; anything else is unknown.
std::optional<int> emulationFromProbeByte(std::uint8_t last);
// The same mapping as Get Emulation reads it: only the six named emulations are accepted.
std::optional<int> namedEmulationFromByte(std::uint8_t last);
// "ESC/POS" ... "DPL"; empty for 6, 7 and anything else.
std::string_view emulationName(int kind);

inline constexpr std::array<std::string_view, 5> kModelNames = {"Alder", "Birch", "Cedar", "Hazel", "Larch"};
// The model index a model-query reply names: the reply is text up to its first zero byte; the first
// model name (in list order) contained in it wins; 0 when none is.
int modelIndexFromReply(std::span<const std::uint8_t> reply);

}  // namespace hollin
