#include "transport/byte_channel.h"

#include <algorithm>
#include <memory>

namespace hollin::printer {

std::unique_ptr<LinkCopyChannel> LinkCopyChannel::of(PrinterSession& session) {
    Link& link = session.link() != nullptr ? *session.link() : session.serial;
    return std::make_unique<LinkCopyChannel>(link.shareOpen(), session.exchange.clock());
}

bool LinkCopyChannel::send(std::span<const std::uint8_t> bytes) {
    link_->Write(bytes);
    return link_->lastWriteDelivered();
}

int LinkCopyChannel::receive(std::span<std::uint8_t> buffer) {
    return link_->Read(buffer);
}

std::optional<Bytes> awaitFirstChunk(ByteChannel& channel, std::size_t capacity, std::uint32_t pauseMs,
                                     std::uint32_t boundMs) {
    Bytes buffer(capacity);
    const std::uint32_t pause = std::max<std::uint32_t>(pauseMs, 1);
    for (std::uint32_t waited = 0;; waited += pause) {
        const int n = channel.receive(buffer);
        if (n > 0) {
            buffer.resize(std::min<std::size_t>(static_cast<std::size_t>(n), capacity));
            return buffer;
        }
        if (waited >= boundMs)
            return std::nullopt;
        channel.clock().sleepMs(pause);
    }
}

}  // namespace hollin::printer
