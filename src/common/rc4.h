#pragma once

#include <cstdint>
#include <span>

namespace hollin {

// RC4 (ARC4) over `data` in place, with a fresh key schedule from `key` on every call; enciphering
// and deciphering are the same operation. Returns false, leaving `data` untouched, for an empty key.
bool rc4Apply(std::span<const std::uint8_t> key, std::span<std::uint8_t> data);

}  // namespace hollin
