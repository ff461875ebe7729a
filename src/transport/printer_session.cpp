#include "transport/printer_session.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace hollin::printer {

PrinterSession::PrinterSession(Clock& clock, PrinterLink::PortFactory serialPorts,
                               PrinterLink::PortResolver portDevices, UsbPrinterFinder& usbFinder)
    : serial(clock, std::move(serialPorts), std::move(portDevices)),
      usb(usbFinder, clock),
      exchange(serial, usb, clock) {}

bool PrinterSession::openSerial(std::string_view port, std::uint32_t baud, int parity, int dataBits,
                                int stopBits, int flow) {
    exchange.setLinkKind(kLinkSerial);
    if (serial.Open(port, baud, parity, dataBits, stopBits, flow) == 0)
        return true;
    serial.Close();
    return false;
}

bool PrinterSession::openUsb(std::string_view port) {
    exchange.setLinkKind(kLinkUsb);
    if (usb.Open(port) == 0)
        return true;
    usb.Close();
    return false;
}

void PrinterSession::closeLink() {
    if (linkKind() == kLinkSerial)
        serial.Close();
    else if (linkKind() == kLinkUsb)
        usb.Close();
}

bool PrinterSession::isOpen() const {
    if (linkKind() == kLinkSerial)
        return serial.isOpen();
    if (linkKind() == kLinkUsb)
        return usb.isOpen();
    return false;
}

BorrowedLink PrinterSession::lend() {
    BorrowedLink link;
    if (!isOpen())
        return link;
    link.linkKind = linkKind();
    link.emulationKind = emulationKind;
    link.clock = &exchange.clock();
    if (link.linkKind == kLinkSerial)
        link.serialPort = serial.port();
    else
        link.usb = &usb;
    return link;
}

int BorrowedLink::write(std::span<const std::uint8_t> data) const {
    if (!valid())
        return 0;
    if (linkKind == kLinkUsb) {
        usb->Write(data);
        return usb->lastWriteDelivered() ? 1 : 0;
    }
    for (std::size_t sent = 0; sent < data.size(); sent += kSerialPieceBytes) {
        const std::size_t piece = std::min(kSerialPieceBytes, data.size() - sent);
        if (!writeBoundedPiece(*serialPort, *clock, data.data() + sent, piece, kSerialPieceBoundMs,
                               kSerialRetryPauseMs)) {
            serialPort->purge();
            return 0;
        }
    }
    serialPort->purge();
    return static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX));
}

int BorrowedLink::read(std::span<std::uint8_t> buffer) const {
    if (!valid() || buffer.empty())
        return 0;
    if (linkKind == kLinkUsb)
        return usb->Read(buffer);
    if (serialPort->bytesWaiting() == 0)
        return 0;
    const long n = serialPort->read(buffer.data(), std::min<std::size_t>(buffer.size(), INT_MAX));
    return n > 0 ? static_cast<int>(n) : 0;
}

}  // namespace hollin::printer
