// hollinctl: the printer utility's commands for scripts and fleets. Every adapter to the operating
// system is built here and handed down.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

#include "app/simulation.h"
#include "cli/cli_os.h"
#include "cli/cli_request.h"
#include "cli/cli_runner.h"
#include "fonts/font_files.h"
#include "link/device_watch.h"
#include "link/print_queues.h"
#include "link/serial_port.h"

namespace {

std::optional<std::string> readSecret(const std::string& path) {
    if (path == "-")
        return std::string(std::istreambuf_iterator<char>(std::cin), {});
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

std::vector<std::string> usbNodes() {
    if (const auto node = environment("HOLLIN_USB"); node && !node->empty())
        return {*node};
    return hollin::findUsbPrinterNodes("/sys", "/dev");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace hollin;
    const cli::ParsedRequest parsed = cli::parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.request) {
        std::fprintf(stderr, "hollinctl: %s\n", parsed.error.c_str());
        return cli::kExitRefused;
    }
    const cli::Request& request = *parsed.request;
    // The site's key constant, read once; a malformed value is reported, never shown.
    const netcfg::KeyConstant networkKey =
        netcfg::keyConstantFromText(environment("HOLLIN_NETCFG_KEY"), [](std::string_view note) {
            std::fprintf(stderr, "hollinctl: %.*s", static_cast<int>(note.size()), note.data());
        });
    std::unique_ptr<app::EmbeddedPrinters> printers;
    if (request.simulation.simulate) {
        app::SimulationOptions simulation = request.simulation;
        simulation.networkKey = networkKey;
        printers = std::make_unique<app::EmbeddedPrinters>(simulation);
        if (!printers->start()) {
            std::fprintf(stderr, "hollinctl: %s\n", printers->error().c_str());
            return cli::kExitDeviceBusy;
        }
    }
    // Built after the simulation has pointed HOLLIN_COM1 and HOLLIN_USB at its printers.
    PortMap ports = PortMap::system();
    const auto usbFinder = makeUsbPrinterFinder();
    const auto spooler = makeSystemSpooler();
    const auto printQueues = makeSystemPrintQueues();
    // The device monitor only for ports --watch.
    const auto deviceWatch = request.watch ? makeUdevDeviceWatch() : nullptr;
    fonts::SystemFontFiles fontFiles;
    cli::Deps deps{
        .clock = systemClock(),
        .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
        .ports = ports,
        .usbFinder = *usbFinder,
        .spooler = *spooler,
        .network = systemUdpNetwork(),
        .usbNodes = usbNodes,
        .readSecret = readSecret,
        .broadcastEnvironment = environment("HOLLIN_BROADCAST"),
        .networkKey = networkKey,
        .fontFiles = fontFiles,
        .readFile = cli::readWholeFile,
        .writeFile = cli::writePrivateFile,
        // A progress line only where someone watches it.
        .progress = cli::standardErrorIsTerminal()
                        ? std::function<void(std::string_view, int)>(cli::progressLine)
                        : nullptr,
        .printQueues = printQueues.get(),
        .deviceWatch = deviceWatch.get(),
        .refreshPorts = [&ports] { ports = PortMap::system(); },
        .emit =
            [](const std::string& text) {
                std::fputs(text.c_str(), stdout);
                std::fflush(stdout);
            },
        .threadSafeNetwork = true,
    };
    cli::Output output;
    const int code = cli::run(request, deps, output);
    std::fputs(output.out.c_str(), stdout);
    std::fputs(output.err.c_str(), stderr);
    return code;
}
