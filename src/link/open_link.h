#pragma once

#include <cstdint>
#include <string_view>

#include "link/link.h"
#include "link/open_failure.h"
#include "link/printer_link.h"
#include "link/usb_link.h"

namespace hollin {

// The serial line as the port section's codes give it (see PrinterLink::Open).
struct LineCodes {
    std::uint32_t baud = 19200;
    int parity = 0;
    int dataBits = 1;
    int stopBits = 0;
    int flow = 0;
};

// The one way a face opens a printer: the serial link with the line's codes, or the USB link on the
// first accepted printer. Returns the link that was tried; when it did not open it is closed again
// (its openFailure() says why).
Link& openLink(PrinterLink& serial, UsbLink& usb, PortKind kind, std::string_view port,
               const LineCodes& line);

}  // namespace hollin
