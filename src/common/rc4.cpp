#include "common/rc4.h"

#include <array>
#include <utility>

namespace hollin {

bool rc4Apply(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) {
    if (key.empty()) {
        return false;
    }
    std::array<std::uint8_t, 256> s;
    for (unsigned i = 0; i < 256; ++i) {
        s[i] = static_cast<std::uint8_t>(i);
    }
    std::uint8_t j = 0;
    for (unsigned i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % key.size()]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t i = 0;
    j = 0;
    for (std::uint8_t& byte : data) {
        ++i;
        j = static_cast<std::uint8_t>(j + s[i]);
        std::swap(s[i], s[j]);
        byte ^= s[static_cast<std::uint8_t>(s[i] + s[j])];
    }
    return true;
}

}  // namespace hollin
