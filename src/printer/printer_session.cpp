#include "printer/printer_session.h"

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
    if (link.linkKind == kLinkSerial)
        link.serialPort = serial.port();
    else
        link.usb = &usb;
    return link;
}

}  // namespace hollin::printer
