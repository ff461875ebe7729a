#pragma once

#include <array>

#include "common/bytes.h"
#include "sim/json_writer.h"
#include "sim/virtual_printer.h"

// The advanced option block: ESC "#" "tavik", a count byte N and N bytes whose first is a command
// letter. The printer keeps one block per emulation code and answers "read all" with the block of the
// emulation it runs.
namespace hollin::sim {

// The block, 20 bytes:
//   0 message language (0 English ... 4 BIG5)    1 automatic error clear (0 off, 1 on)
//   2 peeler (0 used, 1 not used)                3 left margin   4 TOF margin   5 top margin
//   6, 7 not used (0)                            8 tone (print density)
//   9 print direction, "N" normal or "I" inverted (kept by every emulation; only ZPL shows it)
//   10..19 reserved (0)
// A value byte is kept as received: 0..127 offsets forward, 128..254 back (128 = -1).
inline constexpr std::size_t kOptionBlockBytes = 20;
Bytes defaultOptionBlock();

struct AdvancedOptionsState {
    std::array<Bytes, kEmulationCount> blocks;  // by emulation code
};

// Adds "advanced_options" (the block of each emulation as hexadecimal text) to the state object.
void writeState(JsonObject& out, const AdvancedOptionsState& state);

// Where the protocol leaves the printer open:
// - "R" answers with the prefix, N = block length + 1, "R" and the block of the current emulation;
// - "E", "L", "P", "T" set one byte, "M" the three margins (left, TOF, top); a command with the wrong
//   count is rejected and changes nothing;
// - "w" replaces the current emulation's block with the bytes sent (1 to 254 bytes);
// - a letter it does not know is logged "(rejected)".
class AdvancedOptions {
  public:
    // `emulation` is the printer's current emulation code, read with the printer locked.
    AdvancedOptions(VirtualPrinter& printer, const int& emulation);

    AdvancedOptions(const AdvancedOptions&) = delete;
    AdvancedOptions& operator=(const AdvancedOptions&) = delete;

    AdvancedOptionsState state;

  private:
    void handle(std::span<const std::uint8_t> body, CommandContext& printer);
    Bytes& current();

    const int& emulation_;
};

}  // namespace hollin::sim
