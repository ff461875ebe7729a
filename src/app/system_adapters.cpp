#include "app/system_adapters.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "link/serial_port.h"
#include "netcfg/exchange.h"
#include "netprinters/result_file.h"
#include "platform/private_file.h"
#include "platform/shared_progress.h"
#include "platform/udp_socket.h"

namespace hollin::app {
namespace {

// HOLLIN_BROADCAST, read once when the adapters are built (after the simulation has set it).
std::optional<std::string_view> broadcastEnvironment() {
    const char* value = std::getenv("HOLLIN_BROADCAST");
    return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
}

}  // namespace

SystemAdapters::SystemAdapters(const netcfg::KeyConstant& networkKey)
    : ports_(PortMap::system()),
      usbFinder_(makeUsbPrinterFinder()),
      spooler_(makeSystemSpooler()),
      printQueues_(makeSystemPrintQueues()),
      exportFile_(wifi::makeSystemSettingsFile()),
      networkKey_(networkKey),
      broadcast_(netcfg::broadcastSetting(std::nullopt, broadcastEnvironment())) {
    if (!broadcast_.error.empty())
        std::fprintf(stderr, "hollin: %s\n", broadcast_.error.c_str());
}

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
        .network = &systemUdpNetwork(),
        .broadcast = broadcast_,
        .networkKey = networkKey_,
        .resultFile = wifi::defaultResultFilePath(),
        .exportFile = exportFile_.get(),
        .printQueues = printQueues_.get(),
        // A file the operator chose to write: anyone may read it, as any document they save.
        .writeFile =
            [](const std::string& path, std::string_view text) {
                const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
                return replaceFile(path, {bytes, text.size()}, FileAccess::Shared) == FileWrite::Done;
            },
    };
}

}  // namespace hollin::app
