#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "link/open_failure.h"

namespace hollin {

// A byte channel to a printer: the serial link and the USB link behind one face. Code above the links
// asks a link what it can do, never which kind it is; where the two behave differently by design, the
// difference is a member here.
class Link {
  public:
    virtual ~Link() = default;

    // Writes the bytes; what the number means is the link's own (PrinterLink: the bytes written,
    // UsbLink: 1 when every piece went through at the first try). lastWriteDelivered() tells whether
    // they all reached the printer.
    virtual int Write(std::span<const std::uint8_t> data) = 0;
    // The bytes waiting, up to the buffer's size; 0 at once when none wait or the link is closed.
    virtual int Read(std::span<std::uint8_t> buffer) = 0;
    // Waits up to `ms` for the printer's bytes, returning as soon as some wait; true when they do.
    virtual bool waitReadable(std::uint32_t ms) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual const OpenFailure& openFailure() const = 0;
    virtual bool lastWriteDelivered() const = 0;

    // --- where the links differ by design
    // A write by a child window on the lent port: the serial link writes 64-byte pieces straight on
    // the port (no wake-up), each bounded to 1000 ms, and purges the port; the number of bytes
    // written, 0 when a piece gave up. The USB link writes as ever: 1 when the bytes reached the
    // printer (also after a reconnection), 0 when they did not.
    virtual int writeLent(std::span<const std::uint8_t> data) = 0;
    // The size of one read while a long reply (a font directory) is collected: USB pieces are
    // smaller.
    virtual std::size_t replyPieceBytes() const = 0;
    // A link for a child window over this one's open port: the serial link gives a copy sharing the
    // port (whose close leaves it open, with its own wake-up state); the USB link, whose reconnect
    // thread is not copied, gives a view of itself. This link must stay open while the copy is used.
    virtual std::unique_ptr<Link> shareOpen() = 0;
    // Whether the bytes travel a serial line at the rate it was opened with, so that a device behind
    // it takes time to take them in and answer (the USB link has no such line).
    virtual bool hasLineRate() const = 0;
};

// Another link seen through this face, without owning it: its close leaves the link open.
class LinkView final : public Link {
  public:
    explicit LinkView(Link& link) : link_(link) {}
    int Write(std::span<const std::uint8_t> data) override { return link_.Write(data); }
    int Read(std::span<std::uint8_t> buffer) override { return link_.Read(buffer); }
    bool waitReadable(std::uint32_t ms) override { return link_.waitReadable(ms); }
    void close() override {}
    bool isOpen() const override { return link_.isOpen(); }
    const OpenFailure& openFailure() const override { return link_.openFailure(); }
    bool lastWriteDelivered() const override { return link_.lastWriteDelivered(); }
    int writeLent(std::span<const std::uint8_t> data) override { return link_.writeLent(data); }
    std::size_t replyPieceBytes() const override { return link_.replyPieceBytes(); }
    std::unique_ptr<Link> shareOpen() override { return std::make_unique<LinkView>(link_); }
    bool hasLineRate() const override { return link_.hasLineRate(); }

  private:
    Link& link_;
};

}  // namespace hollin
