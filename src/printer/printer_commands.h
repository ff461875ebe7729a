#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "printer/option_lists.h"
#include "transport/emulation.h"

// The printer's command set as used by the main window: every command is built by a pure function
// here, and every reply is interpreted here, so that windows, tests and the virtual printer share them.
namespace hollin {

// --- emulation switch
struct EmulationSwitch {
    std::uint8_t target;  // code sent to the printer
    int newKind;          // what the window assumes afterwards
};
EmulationSwitch setCpclSwitch(int currentKind);
EmulationSwitch setEscPosSwitch(int currentKind);
Bytes emulationSwitchCommand(std::uint8_t target);  // FS "E" "S" target

// --- the printer's own serial line
// GS "S" "C" 01 and five ASCII codes (baud, data bits, parity, stop bits, flow control); a baud rate
// outside the list leaves its byte 0x00.
Bytes serialConfigCommand(int baud, int dataBitsPos, int parityPos, int stopBitsPos, int flowPos);
// The four variable commands a CPCL printer takes instead, in the order they are sent.
std::vector<std::string> cpclSerialConfigTexts(int baud, int parityPos, int stopBits);

// --- print settings
// The minutes text as a decimal integer: optional blanks and sign, then leading digits; no digits
// gives 0. Values beyond the int range are clamped.
int parseMinutes(std::string_view text);
// GS "S" "P", mode, minutes (low byte).
Bytes powerSaveCommand(int mode, int minutes);
// FS "E" "P" and the list position (EPL printers count from 1).
Bytes codePageCommand(int kind, int position);
// The 180-byte sample: 0x80..0xFF, sixteen to a line.
Bytes codePageSample();
// ESC "a" 01 followed by the sample.
Bytes printCodePageCommand();
// FS "##DENSITY" and the position + 1.
Bytes densityCommand(int position);
// Label media modes by emulation; empty when the emulation has no such command.
Bytes setGapCommand(int kind);
Bytes setBlackMarkCommand(int kind, int sensorPosition);
Bytes setContinuousCommand(int kind);
Bytes gapCalibrationCommand();        // FS "F"
Bytes blackMarkCalibrationCommand();  // FS "B"
// ESC "#" "tavik" 02 "C" flag; only ESC/POS and CPCL printers take it (empty otherwise).
Bytes compatibleModeCommand(int kind, int flag);

}  // namespace hollin
