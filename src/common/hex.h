#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hollin {

// 0 to 15 for '0'-'9', 'A'-'F', 'a'-'f'; -1 for any other character.
int hexDigitValue(char c);

// Each byte as two upper-case hexadecimal digits, with `separator` between pairs ("C0 A8" with " ").
std::string toHex(std::span<const std::uint8_t> bytes, std::string_view separator = {});

// The module's reply decoding: takes the hexadecimal digits of `text` in order, skips every other
// character, and pairs the digits into bytes, first digit high. A last digit without a partner is
// dropped; a text without digits gives no bytes.
std::vector<std::uint8_t> decodeHexLenient(std::string_view text);

}  // namespace hollin
