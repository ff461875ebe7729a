// The write's merge of a stored payload with a built one: the first input byte splits the data.
#include <cstddef>
#include <cstdint>
#include <span>

#include "netcfg/device_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t split = std::min<std::size_t>(size - 1, data[0] * 8u);
    const std::span<const std::uint8_t> stored(data + 1, split);
    const std::span<const std::uint8_t> built(data + 1 + split, size - 1 - split);
    const hollin::Bytes merged = hollin::netcfg::mergePayload(stored, built);
    const bool storedOk = hollin::netcfg::walkItems(stored, {}) == hollin::netcfg::ItemFault::None;
    const bool builtOk = hollin::netcfg::walkItems(built, {}) == hollin::netcfg::ItemFault::None;
    if (storedOk && builtOk && hollin::netcfg::walkItems(merged, {}) != hollin::netcfg::ItemFault::None)
        __builtin_trap();
    if (!merged.empty() && merged.size() != built.size() && merged.size() % 256 == 0)
        __builtin_trap();  // a merged payload on a multiple of 256 must end with the empty item
    return 0;
}
