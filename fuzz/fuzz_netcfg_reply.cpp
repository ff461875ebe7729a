// A datagram on port 50005 as the search and write exchanges take it: header, cipher, items.
#include <cstddef>
#include <cstdint>
#include <span>

#include "netcfg/exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> datagram(data, size);
    const auto header = hollin::netcfg::parseHeader(datagram);
    if (header && hollin::netcfg::buildHeader(*header) != [&] {
            std::array<std::uint8_t, 32> first{};
            std::copy_n(data, 32, first.begin());
            return first;
        }())
        __builtin_trap();
    const auto reply = hollin::netcfg::acceptReply(datagram, 0x7F000002, hollin::netcfg::kDefaultKeyConstant);
    if (!reply)
        return 0;
    if (size < 32 || !reply->header.isReply() ||
        reply->payload.size() > hollin::netcfg::kReplyBufferSize - 32 ||
        reply->record.mac != reply->header.mac)
        __builtin_trap();
    return 0;
}
