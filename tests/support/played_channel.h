#pragma once

#include <algorithm>
#include <deque>
#include <span>
#include <vector>

#include "common/bytes.h"
#include "platform/clock.h"
#include "transport/byte_channel.h"

namespace hollin::test {

// Each receive gives the next played chunk (an empty one: nothing waiting); after them, nothing.
class PlayedChannel final : public printer::ByteChannel {
  public:
    VirtualClock time;
    std::vector<Bytes> sent;
    bool refuse = false;
    std::deque<Bytes> chunks;
    int receives = 0;
    std::size_t piece = PrinterLink::kReplyPieceBytes;

    bool send(std::span<const std::uint8_t> bytes) override {
        if (refuse)
            return false;
        sent.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    int receive(std::span<std::uint8_t> buffer) override {
        ++receives;
        if (chunks.empty())
            return 0;
        Bytes& c = chunks.front();
        const std::size_t n = std::min(c.size(), buffer.size());
        std::copy_n(c.begin(), n, buffer.begin());
        c.erase(c.begin(), c.begin() + static_cast<long>(n));
        if (c.empty())
            chunks.pop_front();
        return static_cast<int>(n);
    }
    Clock& clock() override { return time; }
    std::size_t replyPieceBytes() const override { return piece; }
};

}  // namespace hollin::test
