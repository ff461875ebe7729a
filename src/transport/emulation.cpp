#include "transport/emulation.h"

#include <algorithm>
#include <string>

namespace hollin {

Bytes probeCommand() {
    return {0x1C, 0x45, 0x43};
}

Bytes modelQueryCommand() {
    return {0x1B, 0x76};
}

std::optional<int> emulationFromProbeByte(std::uint8_t last) {
    int code;
    if (last <= 7) {
        code = last;
    } else if (last >= '0' && last <= '7') {
        code = last - '0';
    } else {
        return std::nullopt;
    }
    if (code == 0)
        return kCpcl;
    if (code == 1)
        return kEscPos;
    return code;
}

std::optional<int> namedEmulationFromByte(std::uint8_t last) {
    const auto kind = emulationFromProbeByte(last);
    if (!kind || *kind > kDpl)
        return std::nullopt;
    return kind;
}

std::string_view emulationName(int kind) {
    static constexpr std::array<std::string_view, 6> names = {"ESC/POS", "CPCL", "MPCL", "ZPL", "EPL", "DPL"};
    if (kind < 0 || kind >= static_cast<int>(names.size()))
        return {};
    return names[static_cast<std::size_t>(kind)];
}

int modelIndexFromReply(std::span<const std::uint8_t> reply) {
    const auto end = std::find(reply.begin(), reply.end(), std::uint8_t{0});
    const std::string text(reply.begin(), end);
    for (std::size_t i = 0; i < kModelNames.size(); ++i) {
        if (text.find(kModelNames[i]) != std::string::npos)
            return static_cast<int>(i);
    }
    return 0;
}

}  // namespace hollin
