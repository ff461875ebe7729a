#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/udp_socket.h"
#include "sim/network_printer.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"
#include "sim/wifi_module.h"

namespace hollin::app {

// What "hollin --simulate [--emulation NAME|0..7] [--model TEXT] [--wifi-module KIND]" asks for.
struct SimulationOptions {
    bool simulate = false;
    int emulation = 1;  // CPCL, as hollin-printer-sim starts
    std::string model = "Alder";
    // The Wi-Fi module of both printers (sollae, quatech, inc, other, none); unset: QUATECH behind
    // COM1 and Sollae behind USB, so that both module families can be tried at once.
    std::optional<sim::WifiModuleState::Kind> wifiModule;
    // The key constant the virtual network printers encipher with: the program's own (the site key).
    netcfg::KeyConstant networkKey = netcfg::kDefaultKeyConstant;
};

// Takes the simulation options out of the command line (the rest stays in `args` for the application).
// Nothing when an option is malformed; `error` then says why.
std::optional<SimulationOptions> takeSimulationOptions(std::vector<std::string>& args, std::string& error);

// An emulation by its shown name in any letter case ("ESC/POS", "ESCPOS", "CPCL", ...) or its code 0..7.
std::optional<int> emulationFromOption(std::string_view text);

// Two virtual printers with the same emulation and model, each on its own pseudo-terminal: one is
// the device of COM1 (HOLLIN_COM1), the other the USB printer (HOLLIN_USB). They live as long as
// this object; the environment variables are set for this process by start().
class EmbeddedPrinters {
  public:
    // `replyDelayMs`: how long a printer takes to answer; a real printer needs a moment too, and the
    // serial link purges its input when a write ends (an answer quicker than that purge, which a busy
    // machine can delay by several milliseconds, would be lost).
    explicit EmbeddedPrinters(const SimulationOptions& options, std::uint32_t replyDelayMs = kReplyDelayMs);
    ~EmbeddedPrinters();

    // Serves both printers and points HOLLIN_COM1 and HOLLIN_USB at them; then three binary-protocol
    // and one text-frame network printer on 127.0.0.2 to 127.0.0.5, answering to 127.255.255.255
    // (HOLLIN_BROADCAST is set to it unless already set). The network printers are a bonus: when
    // their ports cannot be had, networkError() says why and the serial and USB printers still run.
    bool start();
    std::string error() const { return error_; }
    std::string serialPath() const { return serialServer_.slavePath(); }
    std::string usbPath() const { return usbServer_.slavePath(); }
    const std::string& networkError() const { return network_.error(); }
    const sim::NetworkPrinterFleet& networkPrinters() const { return network_; }
    sim::VirtualPrinter& serialPrinter() { return serialPrinter_; }
    sim::VirtualPrinter& usbPrinter() { return usbPrinter_; }

    static constexpr std::uint32_t kReplyDelayMs = 20;

  private:
    netcfg::KeyConstant networkKey_;
    RealClock clock_;
    sim::VirtualPrinter serialPrinter_;
    sim::VirtualPrinter usbPrinter_;
    sim::PtyPrinterServer serialServer_{serialPrinter_};
    sim::PtyPrinterServer usbServer_{usbPrinter_};
    sim::NetworkPrinterFleet network_{systemUdpNetwork(), clock_};
    std::string error_;
};

}  // namespace hollin::app
