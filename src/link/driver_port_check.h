#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hollin {

// A printer the system's print spooler knows, with the port it prints to.
struct InstalledPrinter {
    std::string name;
    std::string port;
};

// What the spooler answered: Listed with the local printers (possibly none), or Unavailable when
// no spooler could be reached.
struct SpoolerListing {
    enum class Status { Listed, Unavailable };
    Status status = Status::Unavailable;
    std::vector<InstalledPrinter> printers;
};

class Spooler {
  public:
    virtual ~Spooler() = default;
    virtual SpoolerListing localPrinters() = 0;
};

// The two result buffers of the check: the conflicting printer's name and its port as the spooler
// reports it, each zero-terminated within 256 bytes.
struct DriverPortBuffers {
    std::array<char, 256> printerName{};
    std::array<char, 256> portName{};

    std::string_view printer() const { return printerName.data(); }
    std::string_view port() const { return portName.data(); }
};

struct DriverPortCheck {
    int conflict = 0;  // 1 when a printer uses the port; the buffers then name it
    // The spooler listed no printers: the window shows enumPrintersFailedMessage(), then goes on
    // as without a conflict.
    bool enumPrintersFailed = false;
};

// The port key of a port text: "COM3" -> "COM3:".
std::string driverPortKey(std::string_view portText);

// Whether a printer of the spooler is configured on exactly the port `portText` (ports are compared
// as whole strings with the key, so a list "COM3:,COM4:" matches neither). Clears the buffers first.
// A spooler that cannot be reached means no conflict, silently.
DriverPortCheck checkDriverPort(Spooler& spooler, std::string_view portText, DriverPortBuffers& buffers);

// A message box's text and caption.
struct MessageText {
    std::string text;
    std::string caption;
};

// The conflict message of Open Port for the check's buffers, in the window's message language,
// formatted in full whatever the names' lengths.
MessageText driverConflictMessage(const DriverPortBuffers& buffers, int messageLanguage);
// What the window shows when the spooler listed no printers.
MessageText enumPrintersFailedMessage();

// The spooler's port for a device URI: a serial: URI names the COM port mapped to its device
// ("COM2:"); any other URI, or a serial device no COM port maps to, stays the URI itself, which
// never equals a port key. `portForDevice` gives the port name of a device path.
std::string spoolerPortName(std::string_view deviceUri,
                            const std::function<std::optional<std::string>(std::string_view)>& portForDevice);

// The print spooler of this machine (CUPS on Linux).
std::unique_ptr<Spooler> makeSystemSpooler();

}  // namespace hollin
