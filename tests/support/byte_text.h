#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace hollin::test {

// The device name COM1 leads to in window tests: the in-process printer's serial port.
inline constexpr char kCom1Device[] = "/dev/virtual-com1";

inline std::vector<std::uint8_t> bytesOf(std::string_view s) {
    return {s.begin(), s.end()};
}

inline std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace hollin::test
