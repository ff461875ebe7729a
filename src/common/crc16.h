#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace hollin {

// CRC-16 of the module parameter records and the UDP items: polynomial 0x1021, most significant bit
// first, register 0xFFFF with 16 zero bits appended after the message (CRC-16/AUG-CCITT). "123456789"
// gives 0xE5CC, an empty input 0x1D0F.
std::uint16_t itemCrc(std::span<const std::uint8_t> bytes);

// Appends the CRC of everything already in `bytes`, low byte first.
void appendItemCrc(std::vector<std::uint8_t>& bytes);

// True when the last two bytes hold, low byte first, the CRC of the bytes before them; false for
// fewer than two bytes.
bool itemCrcMatches(std::span<const std::uint8_t> bytesWithCrc);

}  // namespace hollin
