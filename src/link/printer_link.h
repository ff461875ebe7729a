#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/link.h"
#include "link/open_failure.h"
#include "link/serial_port.h"
#include "platform/clock.h"

namespace hollin {

// Rates the port box offers; any other rate does not open.
bool acceptedBaud(std::uint32_t baud);

// The line settings of the window's codes: parity 0 none, 1 odd, 2 even; data bits 0 seven, 1 eight;
// stop bits 0 one, 1 two; flow control passed on. Nothing when a code is not accepted.
std::optional<LineSettings> lineSettingsFor(std::uint32_t baud, int parity, int dataBits, int stopBits,
                                            int flowControl);

// The port time-outs of the link: 50 ms between received bytes, 100 ms for a whole read, and
// 19200 / baud ms per written byte.
PortTimeouts linkTimeoutsFor(std::uint32_t baud);

// Writes one piece of at most a chunk's size whole on `port`, within `boundMs` on `clock`: a piece the
// port refuses at once, or takes only in part, is written on from where it stopped, pausing
// `retryPauseMs` before each new try. False when the port failed or the bound ran out (the caller
// purges).
bool writeBoundedPiece(SerialPort& port, Clock& clock, const std::uint8_t* data, std::size_t length,
                       std::uint32_t boundMs, std::uint32_t retryPauseMs);

// The byte channel to a printer on a serial port. Writes go out in chunks of at most 64 bytes, each
// bounded to 1000 ms, after a two-byte wake-up and a 350 ms pause when the printer may be asleep
// (first write after Open, or more than 60 s since the last write); every write ends by purging the
// port, so a reply is only seen by reads made after it. Reads never wait for bytes to arrive;
// waitReadable does.
//
// Used from one thread. Low-level results are plain integers, as the windows expect.
class PrinterLink final : public Link {
  public:
    static constexpr std::size_t kChunkBytes = 64;
    static constexpr std::uint32_t kChunkBoundMs = 1000;
    static constexpr std::uint32_t kWakeUpAfterMs = 60000;
    static constexpr std::uint32_t kWakeUpPauseMs = 350;
    // Pause before writing again a chunk the port refused at once.
    static constexpr std::uint32_t kRetryPauseMs = 10;

    using PortFactory = std::function<std::unique_ptr<SerialPort>()>;
    // The device a port name stands for ("COM3" -> "/dev/ttyUSB0"); nothing when none.
    using PortResolver = std::function<std::optional<std::string>(std::string_view portName)>;
    using TraceSink = std::function<void(std::string_view)>;

    // The serial ports the link opens and the devices the port names stand for come from the caller
    // (the program's main builds the platform's; tests their stand-ins). Throws std::invalid_argument
    // when either is missing. The clock must outlive the link.
    PrinterLink(Clock& clock, PortFactory factory, PortResolver resolver);
    ~PrinterLink();  // closes a port the link owns

    PrinterLink(const PrinterLink&) = delete;
    PrinterLink& operator=(const PrinterLink&) = delete;
    PrinterLink(PrinterLink&&) = default;
    PrinterLink& operator=(PrinterLink&&) = delete;

    // Opens and configures the port: 0 when open and configured, -1 otherwise. When the failure came
    // after the port was opened (a rate or code not accepted, settings rejected) the link stays open
    // and the caller's Close releases it. An open link is closed first.
    int Open(std::string_view portName, std::uint32_t baud, int parity, int dataBits, int stopBits,
             int flowControl);
    // The number of bytes written: all of them, or 0 when the link is closed or the write gave up.
    int Write(std::span<const std::uint8_t> data) override;
    // The bytes waiting, up to the buffer's size; 0 at once when none wait or the link is closed.
    int Read(std::span<std::uint8_t> buffer) override;
    // Waits up to `ms` for the printer's bytes, returning as soon as some wait; true when they do. A
    // closed link, or a port that cannot wait, pauses `ms` on the clock instead.
    bool waitReadable(std::uint32_t ms) override;
    void Close();
    void close() override { Close(); }

    bool isOpen() const override { return open_; }
    // Why the last Open failed: the device and the reason; reason None after an Open that succeeded.
    const OpenFailure& openFailure() const override { return openFailure_; }
    // Whether the last Write sent all its bytes (false after a time-out or on a closed link).
    bool lastWriteDelivered() const override { return delivered_; }
    // The open port, for windows that borrow it; nullptr when none is held.
    SerialPort* port() const { return port_.get(); }
    // The operating system's handle of the port (a file descriptor), -1 when none.
    long nativeHandle() const { return port_ ? port_->nativeHandle() : -1; }

    // A link on the same open port for a child window: it writes and reads like this one but its
    // Close never closes the port. This link must stay open while the copy is used.
    PrinterLink sharedCopy() const;

    // The lent port's write: 64-byte pieces straight on the port, no wake-up, the port purged at the
    // end or on failure; the bytes written, 0 when a piece gave up or no port is held.
    int writeLent(std::span<const std::uint8_t> data) override;
    static constexpr std::size_t kReplyPieceBytes = 256;
    std::size_t replyPieceBytes() const override { return kReplyPieceBytes; }
    // A shared copy (see sharedCopy).
    std::unique_ptr<Link> shareOpen() override;
    bool hasLineRate() const override { return true; }

    // Where diagnostic traces go (never to the operator); standard error by default.
    void setTraceSink(TraceSink sink) { trace_ = std::move(sink); }

  private:
    bool wakeUp();
    // Writes one chunk whole; false when the port failed or the chunk's bound ran out.
    bool writeChunk(const std::uint8_t* data, std::size_t length);

    Clock* clock_;
    PortFactory factory_;
    PortResolver resolver_;
    TraceSink trace_;
    std::shared_ptr<SerialPort> port_;
    bool ownsPort_ = true;
    bool open_ = false;
    std::uint32_t lastWriteMs_ = 0;
    // The printer may be asleep when the port was just opened, whatever the tick count says.
    bool wakeUpOwed_ = false;
    bool delivered_ = false;
    OpenFailure openFailure_;
};

}  // namespace hollin
