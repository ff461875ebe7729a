#include "common/crc16.h"

#include <array>

namespace hollin {
namespace {

constexpr std::uint16_t kPolynomial = 0x1021;

// Feeding 16 zero bits through a register started at 0xFFFF leaves 0x1D0F: the augmented form with
// start 0xFFFF is the direct (table) form with start 0x1D0F.
constexpr std::uint16_t kDirectStart = 0x1D0F;

constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        auto crc = static_cast<std::uint16_t>(n << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ kPolynomial : crc << 1);
        }
        table[n] = crc;
    }
    return table;
}

constexpr auto kTable = makeTable();

}  // namespace

std::uint16_t itemCrc(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = kDirectStart;
    for (std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ byte) & 0xFF]);
    }
    return crc;
}

void appendItemCrc(std::vector<std::uint8_t>& bytes) {
    const std::uint16_t crc = itemCrc(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool itemCrcMatches(std::span<const std::uint8_t> bytesWithCrc) {
    if (bytesWithCrc.size() < 2) {
        return false;
    }
    const std::size_t n = bytesWithCrc.size() - 2;
    const std::uint16_t crc = itemCrc(bytesWithCrc.first(n));
    return bytesWithCrc[n] == (crc & 0xFF) && bytesWithCrc[n + 1] == (crc >> 8);
}

}  // namespace hollin
