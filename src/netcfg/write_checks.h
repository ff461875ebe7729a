#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "netcfg/device_record.h"

// What a write must pass before anything is sent to a network printer.
namespace hollin::netcfg {

// Result codes of a write, as the window's error table shows them.
enum WriteCode : int {
    kWriteDone = 0,
    kPasswordMismatch = -100,
    kNoResponse = -200,
    kBadAddress = -300,
    kBadMacro = -400,
    kBadIoAddress = -500,
    kDuplicatePort = -600,
    kPort23 = -601,
    kModbusPortClash = -602,
    kWebPortClash = -603,
    kPort50005 = -604,
    kPort50006 = -605,
    kProductMismatch = -700,
    kUnknownError = -800,
    kNotFound = -900,
    // The broadcast setting is invalid: the network functions are off.
    kNetworkDisabled = -1000,
};

// The printer's own address under its netmask: not 0, not loopback or multicast and above, not the
// network or broadcast address of its class, and a host part under the mask neither all zeros nor all
// ones. Both as numbers, first octet most significant.
bool addressCheck(std::uint32_t ip, std::uint32_t mask);

// One entry per channel slot: its local port when present and its mode is neither 2 nor 4, else 0.
std::array<std::uint16_t, 4> portEntries(const DeviceRecord& record);

// A macro expression over inputs I0..I7; spaces and zero bytes are dropped; an empty macro passes.
bool macroSyntaxOk(std::span<const std::uint8_t> macro);

// 0 when the record may be written, else the first failing code: address, ports, macros, I/O.
// (The search-store check, -900, belongs to the exchange.)
int checkWrite(const DeviceRecord& record);

}  // namespace hollin::netcfg
