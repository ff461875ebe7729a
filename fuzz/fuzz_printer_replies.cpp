// The printer's answers to the probe and the model query, as the main window reads them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "printer/printer_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> reply(data, size);
    if (!reply.empty()) {
        const auto kind = hollin::emulationFromProbeByte(reply.back());
        if (kind && (*kind < 0 || *kind > 7))
            __builtin_trap();
        (void)hollin::namedEmulationFromByte(reply.back());
    }
    const int model = hollin::modelIndexFromReply(reply);
    if (model < 0 || model >= static_cast<int>(hollin::kModelNames.size()))
        __builtin_trap();
    return 0;
}
