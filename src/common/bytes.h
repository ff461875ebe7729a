#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace hollin {

// A byte string as the printer, a module or the network sees it.
using Bytes = std::vector<std::uint8_t>;

// The bytes of a text, as the printer and the network see them.
inline std::span<const std::uint8_t> asBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace hollin
