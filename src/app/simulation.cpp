#include "app/simulation.h"

#include <cstdlib>

#include "common/text_case.h"
#include "printer/printer_commands.h"

namespace hollin::app {
std::optional<int> emulationFromOption(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '7')
        return text[0] - '0';
    if (sameIgnoringCase(text, "ESCPOS"))
        return kEscPos;
    for (int kind = kEscPos; kind <= kDpl; ++kind) {
        if (sameIgnoringCase(text, emulationName(kind)))
            return kind;
    }
    return std::nullopt;
}

std::optional<SimulationOptions> takeSimulationOptions(std::vector<std::string>& args, std::string& error) {
    SimulationOptions options;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--simulate") {
            options.simulate = true;
            continue;
        }
        if (arg != "--emulation" && arg != "--model" && arg != "--wifi-module") {
            rest.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (arg == "--model") {
            options.model = value;
            continue;
        }
        if (arg == "--wifi-module") {
            options.wifiModule = sim::parseModuleKind(value);
            if (!options.wifiModule) {
                error = "unknown Wi-Fi module: " + value + " (sollae, quatech, inc, other or none)";
                return std::nullopt;
            }
            continue;
        }
        const auto emulation = emulationFromOption(value);
        if (!emulation) {
            error = "unknown emulation: " + value + " (ESC/POS, CPCL, MPCL, ZPL, EPL, DPL or 0..7)";
            return std::nullopt;
        }
        options.emulation = *emulation;
    }
    args = std::move(rest);
    return options;
}

EmbeddedPrinters::EmbeddedPrinters(const SimulationOptions& options, std::uint32_t replyDelayMs)
    : networkKey_(options.networkKey),
      serialPrinter_(clock_, options.emulation, options.model),
      usbPrinter_(clock_, options.emulation, options.model) {
    serialPrinter_.setReplyDelay(replyDelayMs);
    usbPrinter_.setReplyDelay(replyDelayMs);
    using Kind = sim::WifiModuleState::Kind;
    serialPrinter_.setWifiModuleKind(static_cast<int>(options.wifiModule.value_or(Kind::Quatech)));
    usbPrinter_.setWifiModuleKind(static_cast<int>(options.wifiModule.value_or(Kind::Sollae)));
}

EmbeddedPrinters::~EmbeddedPrinters() {
    network_.stop();
    serialServer_.stop();
    usbServer_.stop();
}

bool EmbeddedPrinters::start() {
    if (!serialServer_.start()) {
        error_ = "virtual printer on COM1: " + serialServer_.error();
        return false;
    }
    if (!usbServer_.start()) {
        error_ = "virtual USB printer: " + usbServer_.error();
        return false;
    }
    ::setenv("HOLLIN_COM1", serialServer_.slavePath().c_str(), 1);
    ::setenv("HOLLIN_USB", usbServer_.slavePath().c_str(), 1);
    if (network_.start(3, 1, ipv4(127, 0, 0, 2), ipv4(127, 255, 255, 255), networkKey_))
        ::setenv("HOLLIN_BROADCAST", "127.255.255.255", 0);
    else
        network_.stop();
    return true;
}

}  // namespace hollin::app
