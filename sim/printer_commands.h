#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "sim/json_writer.h"
#include "sim/printer_settings.h"
#include "sim/virtual_printer.h"

// The printer's own commands: identification (probe and model query), the emulation switch, the
// serial line (GS "S" "C" and the CPCL "comm.*" variables) and the print settings (power save, code
// page and its printed sample, density, media sensing, calibrations, compatible mode).
namespace hollin::sim {

struct PrinterState {
    int emulation = 1;  // 0..7, see kEmulationCount
    std::string model = "Alder";
    PrinterSettings settings;
};

// Adds "emulation" ({"code","name"}), "model" and "settings" to the printer's state object.
void writeState(JsonObject& out, const PrinterState& state);

// How this printer behaves where the protocol leaves it open:
// - The binary commands (FS, GS and ESC sequences) are understood in every emulation. Text commands
//   belong to one language: "! U1" lines to CPCL (and to kind 6, which the utility drives with the
//   CPCL variables), "^MN" to ZPL, brace frames to MPCL. In another emulation a text command is taken
//   in whole, counted as ignored bytes and logged as ignored, as a printer would print it as text.
// - A value byte is kept as received (see PrinterSettings). A serial command with a code outside its
//   table and an emulation switch to a target outside 0..7 change nothing and are logged "(rejected)".
// - The emulation switch takes effect at once: the next probe answers with the new emulation. It
//   stands for a restart, so pending CPCL "comm.*" values are dropped.
// - Line settings are recorded only: the line the printer is reached on (a pseudo-terminal or the
//   in-process stream) does not change speed or framing.
// - Media sensing is one mode: a CPCL sense mode ("gap" or "bar") selects label media sensed that way,
//   leaving journal media; media.type "journal" is continuous media and "label" goes back to gap
//   sensing from continuous. Black mark lower/upper also sets the sensor position; a CPCL
//   "media.BM_sense_pos" sets only the position.
// - A text command waits for its terminator at most kMaxTextCommand bytes and gives up at a control
//   byte, so bytes that belong to no command never hold back a command that follows them.
class PrinterCommands {
  public:
    // Registers the commands with `printer`. An emulation outside 0..7 starts as CPCL.
    PrinterCommands(VirtualPrinter& printer, int emulation, std::string model);

    PrinterCommands(const PrinterCommands&) = delete;
    PrinterCommands& operator=(const PrinterCommands&) = delete;

    // Read and changed only with the printer locked (handlers, VirtualPrinter's accessors).
    PrinterState state;

  private:
    // A CPCL variable or action: gets the value (empty for an action without one) and says whether
    // it was acceptable.
    using TextSetting = std::function<bool(const std::string& value)>;
    using TextSettings = std::vector<std::pair<std::string, TextSetting>>;

    void installIdentification(VirtualPrinter& printer);
    void installSerialCommands(VirtualPrinter& printer);
    void installPrintSettings(VirtualPrinter& printer);
    void installMediaCommands(VirtualPrinter& printer);
    void installCpclVariables(VirtualPrinter& printer);

    void refuse(CommandContext& printer, std::size_t bytes) const;
    bool speaksCpcl() const;
    void setMedia(MediaMode mode, std::optional<SensorPosition> sensor);
    void handleCpclLine(CommandContext& printer, std::span<const std::uint8_t> body, std::size_t prefixSize);
    void runCpcl(CommandContext& printer, const std::string& verb, const TextSettings& table,
                 const std::string& name, const std::string& value);

    TextSettings cpclVariables_;
    TextSettings cpclActions_;
};

}  // namespace hollin::sim
