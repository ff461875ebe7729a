#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace hollin {

// Creates or replaces the file `path` with `bytes`, readable and writable by its owner only (mode
// 0600) from its first byte on, also when an older file was open to others; false when it could not
// be written whole.
bool writePrivateFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace hollin
