#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"

namespace hollin::sim {

// A throw-away sysfs and /dev tree in a temporary folder with USB printer-class devices in it, laid
// out as the kernel does:
//   <sys>/devices/usb1/1-K/idVendor, idProduct             the USB device
//   <sys>/devices/usb1/1-K/1-K:1.0/usbmisc/lpN/device      -> ../../../1-K:1.0 (its interface)
//   <sys>/class/usbmisc/lpN                                 -> ../../devices/usb1/1-K/1-K:1.0/usbmisc/lpN
//   <dev>/usb/lpN                                           -> the pseudo-terminal serving a VirtualPrinter
// so that the USB printer finder and the USB link run against it unchanged.
class FakeUsbTree {
  public:
    FakeUsbTree();   // creates the folder; ok() tells whether that worked
    ~FakeUsbTree();  // stops every device and removes the folder

    FakeUsbTree(const FakeUsbTree&) = delete;
    FakeUsbTree& operator=(const FakeUsbTree&) = delete;

    bool ok() const { return !root_.empty(); }
    std::string sysRoot() const;
    std::string devRoot() const;
    // <dev>/usb/lp<number>
    std::string nodePath(int number) const;

    // Plugs in the printer-class device lp<number> with the given USB ids, served by `printer` on a
    // pseudo-terminal. False when the number is taken or the device cannot be made.
    bool addPrinter(int number, std::uint16_t vendor, std::uint16_t product, VirtualPrinter& printer);
    // The device leaves: its sysfs entries and node go, and its pseudo-terminal hangs up, so an open
    // descriptor of it fails from now on.
    void unplug(int number);
    // The device comes back on a fresh pseudo-terminal. False when unknown or it cannot be made.
    bool plugIn(int number);

  private:
    struct Device {
        std::uint16_t vendor;
        std::uint16_t product;
        std::unique_ptr<PtyPrinterServer> server;
    };
    bool attach(int number, Device& device);  // mutex_ held
    void detach(int number, Device& device);  // mutex_ held

    mutable std::mutex mutex_;
    std::string root_;
    std::map<int, Device> devices_;
};

}  // namespace hollin::sim
