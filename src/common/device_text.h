#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace hollin {

// Whether `bytes` are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::span<const std::uint8_t> bytes);

// A text a device sent, for showing: its bytes as they are when they are valid UTF-8, otherwise read
// as Latin-1 (each byte one character) and given as UTF-8.
std::string deviceText(std::span<const std::uint8_t> bytes);

}  // namespace hollin
