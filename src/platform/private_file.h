#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace hollin {

// Writes all of `bytes` to the open descriptor `fd`, again after an interruption; false when it could
// not.
bool writeWhole(int fd, std::span<const std::uint8_t> bytes);

// Creates or replaces the file `path` with `bytes`, readable and writable by its owner only (mode
// 0600) from its first byte on, also when an older file was open to others: written to a temporary
// file beside it and renamed over it, so it is replaced whole or not at all; false when it could not
// be written whole (the older file then stays as it was).
bool writePrivateFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace hollin
