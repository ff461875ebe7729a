// A datagram on port 61001 as the text socket classifies it, and the record it carries.
#include <cstddef>
#include <cstdint>
#include <span>

#include "netcfg/text_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> datagram(data, size);
    const auto classified = hollin::netcfg::classifyTextDatagram(datagram);
    if (classified.kind == hollin::netcfg::TextDatagramKind::Answer) {
        if (size != hollin::netcfg::kTextFrameSize)
            __builtin_trap();
        if (hollin::netcfg::macTextOf(classified.record).size() != 12)
            __builtin_trap();
        (void)hollin::netcfg::isSaveAnswerFor(datagram, hollin::netcfg::macTextOf(classified.record));
    }
    (void)hollin::netcfg::isSaveAnswerFor(datagram, "0030F9000001");
    return 0;
}
