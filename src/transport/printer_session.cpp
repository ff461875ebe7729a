#include "transport/printer_session.h"

#include <utility>

namespace hollin::printer {

PrinterSession::PrinterSession(Clock& clock, PrinterLink::PortFactory serialPorts,
                               PrinterLink::PortResolver portDevices, UsbPrinterFinder& usbFinder)
    : serial(clock, std::move(serialPorts), std::move(portDevices)), usb(usbFinder, clock), exchange(clock) {
    exchange.setLink(&serial);
}

bool PrinterSession::open(PortKind kind, std::string_view port, const LineCodes& line) {
    Link& tried = openLink(serial, usb, kind, port, line);
    exchange.setLink(&tried);
    return tried.isOpen();
}

int PrinterSession::linkKind() const {
    if (link() == &serial)
        return kLinkSerial;
    if (link() == &usb)
        return kLinkUsb;
    return kLinkNone;
}

void PrinterSession::closeLink() {
    if (link() != nullptr)
        link()->close();
}

bool PrinterSession::isOpen() const {
    return link() != nullptr && link()->isOpen();
}

BorrowedLink PrinterSession::lend() {
    BorrowedLink lent;
    if (!isOpen())
        return lent;
    lent.link = link();
    lent.emulationKind = emulationKind;
    lent.clock = &exchange.clock();
    return lent;
}

}  // namespace hollin::printer
