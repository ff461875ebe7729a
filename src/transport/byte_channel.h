#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "common/bytes.h"
#include "platform/clock.h"
#include "transport/printer_session.h"

namespace hollin::printer {

// The bytes a child window exchanges with the printer over the main window's open port, whichever
// link that is. The window never opens or closes the port.
class ByteChannel {
  public:
    virtual ~ByteChannel() = default;
    // True when all the bytes reached the printer.
    virtual bool send(std::span<const std::uint8_t> bytes) = 0;
    // The bytes waiting, up to the buffer's size; 0 at once when none wait.
    virtual int receive(std::span<std::uint8_t> buffer) = 0;
    virtual Clock& clock() = 0;
    // The size of one read while a long reply is collected: the link's own (Link::replyPieceBytes),
    // the serial link's 256 bytes unless the channel says otherwise.
    virtual std::size_t replyPieceBytes() const { return PrinterLink::kReplyPieceBytes; }
};

// The lent port (Bluetooth and font windows).
class BorrowedChannel final : public ByteChannel {
  public:
    explicit BorrowedChannel(BorrowedLink link) : link_(link) {}
    bool send(std::span<const std::uint8_t> bytes) override { return link_.write(bytes) > 0; }
    int receive(std::span<std::uint8_t> buffer) override { return link_.read(buffer); }
    Clock& clock() override { return *link_.clock; }
    std::size_t replyPieceBytes() const override {
        return link_.valid() ? link_.link->replyPieceBytes() : ByteChannel::replyPieceBytes();
    }

  private:
    BorrowedLink link_;
};

// A copy of the main window's open link (advanced options): for a serial port a link sharing the
// open port (the copy's Close leaves it open), for USB the main window's own USB link, since a link
// with a reconnect thread is not copied.
class LinkCopyChannel final : public ByteChannel {
  public:
    // `shared` is what Link::shareOpen gave.
    LinkCopyChannel(std::unique_ptr<Link> shared, Clock& clock) : link_(std::move(shared)), clock_(clock) {}

    // The session's link (the serial link when none is in use), shared: a copy for serial, the link
    // itself for USB.
    static std::unique_ptr<LinkCopyChannel> of(PrinterSession& session);

    bool send(std::span<const std::uint8_t> bytes) override;
    int receive(std::span<std::uint8_t> buffer) override;
    Clock& clock() override { return clock_; }
    std::size_t replyPieceBytes() const override { return link_->replyPieceBytes(); }

  private:
    std::unique_ptr<Link> link_;
    Clock& clock_;
};

// Waits for a reply: reads until a read returns bytes, pausing `pauseMs` after each empty read, for
// at most about `boundMs`. The first chunk is the whole reply (cut to `capacity`); nothing when none
// came in time.
std::optional<Bytes> awaitFirstChunk(ByteChannel& channel, std::size_t capacity, std::uint32_t pauseMs,
                                     std::uint32_t boundMs);

}  // namespace hollin::printer
