// A reply's payload read into a device record; a payload it accepts builds again without fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "netcfg/device_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hollin::netcfg::DeviceRecord record;
    if (!hollin::netcfg::parsePayload(std::span(data, size), record))
        return 0;
    for (const auto& channel : record.channels) {
        if (channel.valid > 1)
            __builtin_trap();
    }
    record.productCode = 0;  // no key derivation: keep each run short
    record.productVariant = 0;
    const hollin::Bytes built = hollin::netcfg::buildPayload(record);
    hollin::netcfg::DeviceRecord again;
    if (!hollin::netcfg::parsePayload(built, again))
        __builtin_trap();
    return 0;
}
