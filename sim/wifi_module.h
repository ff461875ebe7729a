#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "common/bytes.h"
#include "sim/json_writer.h"
#include "sim/virtual_printer.h"
#include "wificodec/wifi_record.h"

namespace hollin::sim {

// The printer's Wi-Fi module, reached through the printer's escapes: ISP mode on and off, the
// pass-through of Sollae text commands, the bulk record frame and the settings reset.
//
// How this module behaves where the protocol leaves it open:
// - Module commands are taken only in ISP mode; outside it they are taken in whole and ignored.
// - 1B 5B 44 53 is always the settings reset (it resets QUATECH and INC modules, other kinds ignore
//   it): no pass-through text is 83 bytes long.
// - A Sollae module answers each text command with "701" CR LF, a read with "701" CR LF, the record as
//   hexadecimal pairs with its CRC, CR LF; a refusal is "700" CR LF. A write needs the unlock first
//   and a record whose group, item, length and CRC are right; it changes the current settings, which
//   reads return; "f 7b3e" copies them into flash and locks again (the only command that changes
//   the flash; RefuseFlash answers it "700" and keeps the flash); "l 6f08" loads the defaults.
// - The version answer is a record 00 10, major, minor, four zero bytes, the MAC, CRC.
// - The bulk answer is 02, the five request characters, CR LF, the record, CR LF 03; a write frame's
//   record becomes the module's.
struct WifiModuleState {
    enum class Kind { None, Sollae, Quatech, Inc, Other };
    enum class Misbehaviour {
        None,
        Silent,
        Garbage,
        Truncated,
        WrongHeader,
        No03,
        RefuseParameter,
        RefuseFlash
    };

    Kind kind = Kind::Quatech;
    bool ispMode = false;
    // Sollae
    int versionMajor = 2;
    int versionMinor = 0;
    std::array<std::uint8_t, 6> mac{0x00, 0x30, 0xF9, 0x12, 0x34, 0x56};
    bool basicSet = false;  // no WPA pre-shared key parameter (09 05)
    bool unlocked = false;
    std::map<std::pair<int, int>, Bytes> current;  // (group, item) -> value bytes
    std::map<std::pair<int, int>, Bytes> flashed;
    int writes = 0;
    int flashes = 0;
    // the other kinds
    wifi::WifiSettingsRecord record;
    int resets = 0;
    int wpsPresses = 0;  // INC: ESC [ W P received in ISP mode

    Misbehaviour misbehaviour = Misbehaviour::None;
    std::pair<int, int> refusedParameter{0x09, 0x04};  // for RefuseParameter
};

// A kind by name (sollae, quatech, inc, other, none; any case).
std::optional<WifiModuleState::Kind> parseModuleKind(std::string_view name);
std::string_view moduleKindLabel(WifiModuleState::Kind kind);
// The settings a module of `kind` starts with, and after a factory reset.
void loadModuleDefaults(WifiModuleState& state);
// Adds "wifi_module" to the printer's state object; keys and pass phrases as "<hidden, N characters>".
void writeState(JsonObject& out, const WifiModuleState& state);

class WifiModule {
  public:
    WifiModule(VirtualPrinter& printer, WifiModuleState::Kind kind);
    WifiModule(const WifiModule&) = delete;
    WifiModule& operator=(const WifiModule&) = delete;

    // Read and changed only with the printer locked.
    WifiModuleState state;

  private:
    void onPassThrough(std::span<const std::uint8_t> text, CommandContext& printer);
    void runSollaeCommand(std::string_view command, CommandContext& printer, std::string& answer);
    void onBulk(std::span<const std::uint8_t> body, CommandContext& printer);
    // Applies the misbehaviour to a line answer.
    Bytes spoil(std::string answer) const;
};

}  // namespace hollin::sim
