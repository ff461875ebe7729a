#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/printer_link.h"
#include "link/usb_link.h"
#include "platform/clock.h"
#include "transport/emulation.h"
#include "transport/printer_exchange.h"

namespace hollin::printer {

// The main window's open port lent to a child window (Bluetooth settings, the font windows), which
// writes and reads it with its own routines and never opens or closes it. Valid only while the main
// window's port stays open, which a modal child guarantees.
struct BorrowedLink {
    static constexpr std::size_t kSerialPieceBytes = 64;
    static constexpr std::uint32_t kSerialPieceBoundMs = 1000;
    static constexpr std::uint32_t kSerialRetryPauseMs = 10;

    int linkKind = kLinkNone;
    SerialPort* serialPort = nullptr;  // link kind 0: the open serial port
    UsbLink* usb = nullptr;            // link kind 2: the open USB link
    Clock* clock = nullptr;            // bounds the serial pieces
    int emulationKind = kEscPos;       // the printer's emulation when the port was lent

    bool valid() const {
        return (linkKind == kLinkSerial && serialPort != nullptr && clock != nullptr) ||
               (linkKind == kLinkUsb && usb != nullptr);
    }

    // Serial: pieces of at most 64 bytes straight on the port (no wake-up), each bounded to 1000 ms
    // (a piece refused at once is tried again within that bound), the port purged both ways at the
    // end or on failure; the number of bytes written, 0 when a piece gave up. USB: through the USB
    // link (1024-byte pieces, its 30 s bound while the printer is away); 1 when the bytes reached
    // the printer, also after a reconnection, 0 when they did not. 0 on an invalid link.
    int write(std::span<const std::uint8_t> data) const;
    // The bytes waiting, one read of the whole buffer; 0 at once when none wait.
    int read(std::span<std::uint8_t> buffer) const;
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

    int linkKind() const { return exchange.linkKind(); }
    // Opens the serial link (link kind 0) with the window's codes; false when it did not open, the
    // link then closed again.
    bool openSerial(std::string_view port, std::uint32_t baud, int parity, int dataBits, int stopBits,
                    int flow);
    // Opens the USB link (link kind 2); false when it did not open, the link then closed again.
    bool openUsb(std::string_view port);
    // Closes the link named by the link kind.
    void closeLink();
    bool isOpen() const;

    // The open link for a child window; an invalid one when no port is open.
    BorrowedLink lend();
};

}  // namespace hollin::printer
