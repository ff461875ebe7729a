#include "link/open_link.h"

namespace hollin {

Link& openLink(PrinterLink& serial, UsbLink& usb, PortKind kind, std::string_view port,
               const LineCodes& line) {
    if (kind == PortKind::Usb) {
        if (usb.Open(port) != 0)
            usb.Close();
        return usb;
    }
    if (serial.Open(port, line.baud, line.parity, line.dataBits, line.stopBits, line.flow) != 0)
        serial.Close();
    return serial;
}

}  // namespace hollin
