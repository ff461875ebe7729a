#include "common/device_text.h"

namespace hollin {
namespace {

// The length of the UTF-8 sequence starting at `i`, 0 when none starts there.
std::size_t sequenceLength(std::span<const std::uint8_t> b, std::size_t i) {
    const std::uint8_t lead = b[i];
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (b.size() - i < length)
        return 0;
    if (b[i + 1] < low || b[i + 1] > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (b[i + k] < 0x80 || b[i + k] > 0xBF)
            return 0;
    return length;
}

}  // namespace

bool isValidUtf8(std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = sequenceLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string deviceText(std::span<const std::uint8_t> bytes) {
    if (isValidUtf8(bytes))
        return std::string(bytes.begin(), bytes.end());
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        if (b < 0x80) {
            text.push_back(static_cast<char>(b));
        } else {
            text.push_back(static_cast<char>(0xC0 | (b >> 6)));
            text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return text;
}

}  // namespace hollin
