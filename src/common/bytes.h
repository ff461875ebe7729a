#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace hollin {

// The bytes of a text, as the printer and the network see them.
inline std::span<const std::uint8_t> asBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace hollin
