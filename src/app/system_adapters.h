#pragma once

#include <memory>

#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/print_queues.h"
#include "link/usb_device.h"
#include "main_window/hollin_dlg.h"
#include "platform/clock.h"
#include "wifi/wifi_settings.h"

namespace hollin::app {

// The operating system's adapters the printer windows run on: serial ports, the COM port map, the USB
// printer finder and the print spooler. The program's main builds them once; nothing below it does.
class SystemAdapters {
  public:
    // `networkKey`: the site's key constant of the binary network protocol. The broadcast setting is
    // read here, once (a malformed one is reported on standard error and turns the network off).
    explicit SystemAdapters(const netcfg::KeyConstant& networkKey = netcfg::kDefaultKeyConstant);
    SystemAdapters(const SystemAdapters&) = delete;
    SystemAdapters& operator=(const SystemAdapters&) = delete;

    // The main window's dependencies on these adapters and the real clock; its Wi-Fi window runs on
    // the same adapters.
    printer::MainWindowDeps mainWindowDeps();
    wifi::WifiWindowDeps wifiWindowDeps();
    // Reads the COM port map again (a port came or went); the windows see it through their deps.
    void refreshDevices() { ports_ = PortMap::system(); }
    // The print server's queues ("Add print queue..." of the Wi-Fi window).
    PrintQueues& printQueues() { return *printQueues_; }

  private:
    PortMap ports_;
    std::unique_ptr<UsbPrinterFinder> usbFinder_;
    std::unique_ptr<Spooler> spooler_;
    std::unique_ptr<PrintQueues> printQueues_;
    // The settings export file the Wi-Fi window updates when it closes (only when it exists).
    std::unique_ptr<wifi::SettingsFile> exportFile_;
    // What one Wi-Fi window leaves to the next (the module kind found last).
    wifi::WifiProgramState wifi_;
    netcfg::KeyConstant networkKey_;
    netcfg::BroadcastSetting broadcast_;
};

}  // namespace hollin::app
