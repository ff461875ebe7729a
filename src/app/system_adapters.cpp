#include "app/system_adapters.h"

#include <cstdio>

#include "link/serial_port.h"
#include "platform/shared_progress.h"

namespace hollin::app {

SystemAdapters::SystemAdapters()
    : ports_(PortMap::system()),
      usbFinder_(makeUsbPrinterFinder()),
      spooler_(makeSystemSpooler()),
      exportFile_(wifi::makeSystemSettingsFile()) {}

printer::MainWindowDeps SystemAdapters::mainWindowDeps() {
    return printer::MainWindowDeps{
        .clock = systemClock(),
        .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
        .ports = ports_,
        .usbFinder = *usbFinder_,
        .spooler = *spooler_,
        .makeWifiWindow = [this]() -> std::unique_ptr<ui::Window> {
            return std::make_unique<wifi::CWiFiSettings>(wifiWindowDeps());
        },
    };
}

wifi::WifiWindowDeps SystemAdapters::wifiWindowDeps() {
    return wifi::WifiWindowDeps{
        .clock = systemClock(),
        .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
        .ports = ports_,
        .usbFinder = *usbFinder_,
        .spooler = *spooler_,
        .progress = SharedProgressBlock::program().progress(),
        .program = wifi_,
        // The debug stream: standard error, as the links' own traces.
        .debugOutput =
            [](std::string_view text) {
                std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
            },
        .exportFile = exportFile_.get(),
    };
}

}  // namespace hollin::app
