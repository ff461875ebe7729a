// The printer's answers to the advanced options' read all and to the Bluetooth module's reads, as the
// windows read them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/device_text.h"
#include "printer/advanced_options_codec.h"
#include "printer/bluetooth_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hollin::printer;
    const std::span<const std::uint8_t> reply(data, size);
    const bool complete = optionsReplyComplete(reply);
    for (bool zpl : {false, true}) {
        const auto parsed = parseOptionsReply(reply, zpl);
        if (parsed && !complete)
            __builtin_trap();
        if (parsed) {
            // The block is the reply's own bytes after the header, never beyond what was held or N.
            if (parsed->block.size() + kOptionsReplyHeader > size || (!zpl && !parsed->block.empty()))
                __builtin_trap();
            if (zpl && parsed->block.size() + kOptionsReplyHeader != static_cast<std::size_t>(data[7]) + 8)
                __builtin_trap();
            const auto d = parsed->values.direction;
            if (d < kDirectionNormal || d > kDirectionUnknown)
                __builtin_trap();
            if (zpl && !writeAllOptionsCommand(updatedOptionBlock(parsed->block, parsed->values)))
                __builtin_trap();
        }
    }
    const std::string text = btReplyText(reply);
    if (!hollin::isValidUtf8(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())))
        __builtin_trap();
    if (!text.empty() && (text.front() == '"' || text.back() == '"'))
        __builtin_trap();
    (void)btDiscoverableReplyOn(reply);
    return 0;
}
