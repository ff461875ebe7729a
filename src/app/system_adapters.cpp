#include "app/system_adapters.h"

#include "link/serial_port.h"

namespace hollin::app {

SystemAdapters::SystemAdapters()
    : ports_(PortMap::system()), usbFinder_(makeUsbPrinterFinder()), spooler_(makeSystemSpooler()) {}

printer::MainWindowDeps SystemAdapters::mainWindowDeps() {
    return printer::MainWindowDeps{
        .clock = systemClock(),
        .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
        .ports = ports_,
        .usbFinder = *usbFinder_,
        .spooler = *spooler_,
    };
}

}  // namespace hollin::app
