#pragma once

#include <optional>
#include <string>

#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "main_window/hollin_dlg.h"
#include "platform/clock.h"
#include "printer/printer_commands.h"
#include "sim/virtual_printer.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"

namespace hollin::test {

// Everything a main window needs from outside, in-process: a virtual clock, one ESC/POS printer as the
// device of COM1 and as the USB printer, a port map that looks at no real device, and no spooler.
// For tests that do not care about the printer; nothing reaches /dev, /sys or CUPS.
struct MainWindowFakes {
    static constexpr const char* kCom1Device = "/dev/hollin-test-com1";

    VirtualClock clock{100000};
    sim::VirtualPrinter printer{clock, kEscPos, "Alder"};
    VirtualSerialPort port{printer, clock, kCom1Device};
    VirtualUsbFinder usb{printer};
    PortMap ports{{}, [](const std::string& name) -> std::optional<std::string> {
                      if (name == "HOLLIN_COM1")
                          return std::string(kCom1Device);
                      return std::nullopt;
                  }};
    NoSpooler spooler;

    printer::MainWindowDeps deps() {
        return {.clock = clock,
                .serialPorts = VirtualSerialPort::factoryFor(port),
                .ports = ports,
                .usbFinder = usb,
                .spooler = spooler};
    }
};

}  // namespace hollin::test
