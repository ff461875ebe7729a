#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "printer/advanced_options_codec.h"
#include "printer/printer_operations.h"
#include "transport/byte_channel.h"

// The advanced options window's two actions, over a copy of the main window's link.
namespace hollin::printer {

inline constexpr std::uint32_t kOptionsReplyWaitMs = 100;  // after read all, before the first read
inline constexpr std::size_t kOptionsReadBytes = 256;      // one read
inline constexpr std::size_t kOptionsReplyBytes = 512;     // the whole reply; collection stops there
inline constexpr int kOptionsMaxReads = 62;
inline constexpr std::uint32_t kOptionsEmptyReadPauseMs = 50;

// Whether the printer's emulation takes the option commands (ESC/POS, CPCL, ZPL).
bool takesOptionCommands(int emulationKind);

struct OptionsReadResult {
    // Done: `reply` holds the values; NotSent: read all did not go out (nothing was awaited);
    // NoResponse: no complete reply within 62 reads; BadReply: the reply is too short for the values.
    Outcome outcome = Outcome::NoResponse;
    std::optional<OptionsReply> reply;
    int reads = 0;  // reads made
};

// Get Information: sends read all (only to the emulations that take it), waits 100 ms, then collects
// the reply with at most 62 reads of up to 256 bytes, pausing 50 ms after an empty one.
OptionsReadResult readAdvancedOptions(ByteChannel& channel, int emulationKind);

// Save Information: sends, in this order, the command of each value that differs from the printer's
// (error clear, language, peeler, the three margins together, tone), and for a ZPL printer whose
// direction changed, write all with the kept block updated. Refused, with nothing sent, while a
// margin or the tone is outside 0..254 or the kept block is too long for write all; NotSent at the
// first command that did not go out. Printers that take no option commands are sent nothing.
PrinterResult saveAdvancedOptions(ByteChannel& channel, int emulationKind, const OptionValues& read,
                                  const OptionValues& edited, std::span<const std::uint8_t> block);
// The three margins and the tone, the values the operator types, each fit a byte of the block.
bool optionValuesInRange(const OptionValues& values);

}  // namespace hollin::printer
