#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/open_failure.h"
#include "link/read_wait.h"

namespace hollin {

// An open USB printer-class device. Destroying it closes it.
class UsbPrinterDevice {
  public:
    virtual ~UsbPrinterDevice() = default;
    // Hands bytes to the printer: the count it took (possibly fewer than given), 0 when it took none
    // within the device's own bound, -1 on an error (the printer is gone).
    virtual long write(std::span<const std::uint8_t> data) = 0;
    // The bytes the printer has sent, without waiting: 0 when none wait, -1 on an error.
    virtual long readAvailable(std::span<std::uint8_t> buffer) = 0;
    // Waits up to `ms` for the printer's bytes: Readable as soon as some wait, TimedOut once `ms` have
    // passed without any; CannotWait at once when the device has nothing to wait on.
    virtual ReadWait waitReadable(std::uint32_t ms) {
        static_cast<void>(ms);
        return ReadWait::CannotWait;
    }
};

// Looks for an accepted printer among the USB printer devices present and opens it.
class UsbPrinterFinder {
  public:
    virtual ~UsbPrinterFinder() = default;
    // The first accepted device, in enumeration order, that opens; nothing when none does.
    virtual std::unique_ptr<UsbPrinterDevice> openPrinter() = 0;
    // Why the last openPrinter found nothing: the last device that did not open and why, or reason
    // Missing with no device when no accepted printer is present.
    virtual OpenFailure lastFailure() const { return {"", OpenFailureReason::Missing, 0}; }
};

// The two printers the utility drives: vendor 12ee product 9485, and vendor 0525 product a702.
bool isAcceptedUsbPrinter(std::uint16_t vendor, std::uint16_t product);
// A USB id as sysfs writes it: four hex digits, optionally followed by white space.
std::optional<std::uint16_t> parseUsbId(std::string_view text);
// N for a printer-class device name "lpN"; nothing for any other name.
std::optional<int> printerDeviceNumber(std::string_view name);

// --- Linux adapter (usb_device_linux.cpp)

// The device nodes (<devRoot>/usb/lpN) of the accepted printers under <sysRoot>/class/usbmisc, in
// enumeration order (ascending N).
std::vector<std::string> findUsbPrinterNodes(const std::string& sysRoot, const std::string& devRoot);

// A finder over a sysfs tree and a /dev tree. When `node` is given, that device node is the printer
// and the tree is not searched.
std::unique_ptr<UsbPrinterFinder> makeLinuxUsbPrinterFinder(std::string sysRoot, std::string devRoot,
                                                            std::optional<std::string> node = std::nullopt);
// The finder the program uses: /sys and /dev, or the node named by the HOLLIN_USB environment
// variable when it is set and not empty.
std::unique_ptr<UsbPrinterFinder> makeUsbPrinterFinder();

}  // namespace hollin
