#pragma once

#include <string>

#include "sim/json_writer.h"
#include "sim/virtual_printer.h"

// The printer's Bluetooth module: ESC "b" "t", a count byte N and N bytes (a sub-command and its
// data), and the BLE switch ESC "#" "tavik" 02 "B" v.
namespace hollin::sim {

struct BluetoothState {
    std::string address = "00:1B:35:4A:10:C7";
    std::string name = "Hollin-BT";
    std::string pin = "0000";
    bool discoverable = true;
    bool iosAutoConnection = false;
    bool ble = false;
    bool numericComparison = false;
    // A module whose name can be neither read nor changed: it answers "MOVON" and ignores name writes.
    bool fixedNameModule = false;
};

// Adds "bluetooth" to the printer's state object.
void writeState(JsonObject& out, const BluetoothState& state);

// How this module answers where the protocol leaves it open:
// - address and name come back in double quotes ("\"00:1B:35:4A:10:C7\""), the discoverable mode as
//   "discoverable on" / "discoverable off";
// - a name write takes the bytes as sent (a count of 1 empties the name); a PIN write takes exactly
//   four bytes, any other length is rejected and changes nothing;
// - a sub-command it does not know, or a value byte other than the two of its pair, changes nothing
//   and is logged "(rejected)".
class BluetoothModule {
  public:
    explicit BluetoothModule(VirtualPrinter& printer);

    BluetoothModule(const BluetoothModule&) = delete;
    BluetoothModule& operator=(const BluetoothModule&) = delete;

    // Read and changed only with the printer locked.
    BluetoothState state;

  private:
    void handle(std::span<const std::uint8_t> body, CommandContext& printer);
};

}  // namespace hollin::sim
