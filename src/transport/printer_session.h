#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/link.h"
#include "link/open_link.h"
#include "link/printer_link.h"
#include "link/usb_link.h"
#include "platform/clock.h"
#include "transport/emulation.h"
#include "transport/printer_exchange.h"

namespace hollin::printer {

// Which of the session's two links is in use, as tests and the windows' reports name it: 0 the
// serial link, 2 the USB link; any other value is no link.
enum LinkKind : std::int32_t {
    kLinkSerial = 0,
    kLinkNone = 1,
    kLinkUsb = 2,
};

// The main window's open port lent to a child window (Bluetooth settings, the font windows), which
// writes and reads it with its own routines and never opens or closes it. Valid only while the main
// window's port stays open, which a modal child guarantees.
struct BorrowedLink {
    static constexpr std::size_t kSerialPieceBytes = PrinterLink::kChunkBytes;
    static constexpr std::uint32_t kSerialPieceBoundMs = PrinterLink::kChunkBoundMs;
    static constexpr std::uint32_t kSerialRetryPauseMs = PrinterLink::kRetryPauseMs;

    Link* link = nullptr;         // the open link
    Clock* clock = nullptr;       // the session's clock
    int emulationKind = kEscPos;  // the printer's emulation when the port was lent

    bool valid() const { return link != nullptr; }

    // The link's lent write (Link::writeLent): serial, pieces of at most 64 bytes straight on the
    // port (no wake-up), each bounded to 1000 ms, the port purged at the end or on failure, the number
    // of bytes written, 0 when a piece gave up; USB, 1 when the bytes reached the printer, also after
    // a reconnection, 0 when they did not. 0 on an invalid link.
    int write(std::span<const std::uint8_t> data) const { return valid() ? link->writeLent(data) : 0; }
    // The bytes waiting, one read of the whole buffer; 0 at once when none wait.
    int read(std::span<std::uint8_t> buffer) const {
        return valid() && !buffer.empty() ? link->Read(buffer) : 0;
    }
};

// The main window's connection: its two links, which one is in use, and what is known of the printer
// at the other end.
class PrinterSession {
  public:
    // The finder and the clock must outlive the session.
    PrinterSession(Clock& clock, PrinterLink::PortFactory serialPorts, PrinterLink::PortResolver portDevices,
                   UsbPrinterFinder& usbFinder);

    PrinterLink serial;
    UsbLink usb;
    PrinterExchange exchange;
    int emulationKind = kEscPos;
    int modelIndex = 0;

    // Opens the link of `kind` (see openLink) and makes it the exchange's; false when it did not
    // open, the link then closed again.
    bool open(PortKind kind, std::string_view port, const LineCodes& line);
    // The link in use (open or not); nullptr when none.
    Link* link() const { return exchange.link(); }
    int linkKind() const;
    // Closes the link in use.
    void closeLink();
    bool isOpen() const;

    // The open link for a child window; an invalid one when no port is open.
    BorrowedLink lend();
};

}  // namespace hollin::printer
