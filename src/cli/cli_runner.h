#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_request.h"
#include "fonts/font_files.h"
#include "link/device_watch.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/print_queues.h"
#include "link/printer_link.h"
#include "link/usb_device.h"
#include "netcfg/packet.h"
#include "platform/clock.h"
#include "platform/udp_socket.h"

// hollinctl's commands: each maps its arguments to one of the core's operations and the operation's
// result to a line of text (or a JSON object) and an exit code. Nothing here prompts.
namespace hollin::cli {

// The adapters a run needs, built by the program's main (or by a test, as stand-ins).
struct Deps {
    Clock& clock;
    PrinterLink::PortFactory serialPorts;
    PortMap& ports;
    UsbPrinterFinder& usbFinder;
    Spooler& spooler;
    UdpNetwork& network;
    // The USB printer device nodes present (for `ports`).
    std::function<std::vector<std::string>()> usbNodes;
    // The secret --secret-file names ("-": standard input); nothing when it cannot be read.
    std::function<std::optional<std::string>(const std::string&)> readSecret;
    std::optional<std::string> broadcastEnvironment;
    // The binary network protocol's key constant: the site's (HOLLIN_NETCFG_KEY) or the built-in one.
    netcfg::KeyConstant networkKey = netcfg::kDefaultKeyConstant;
    // The font files (font download reads TrueType files and writes ".tfd" files).
    fonts::FontFiles& fontFiles;
    // A whole file (a profile); nothing when it cannot be read.
    std::function<std::optional<std::string>(const std::string&)> readFile;
    // Writes a file whole, readable and writable by its owner only (mode 0600); false when it could not.
    std::function<bool(const std::string& path, const std::string& text)> writeFile;
    // Shows how far a long piece of work is (font download, Wi-Fi save); empty: nothing is shown.
    std::function<void(std::string_view what, int percent)> progress = {};
    // The print server's queues (cups add, cups list); none: those commands report it as down.
    PrintQueues* printQueues = nullptr;
    // The port watch (ports --watch); none: --watch is refused. `refreshPorts` reads the COMn map
    // again after a change; `emit` writes output at once (the watch's map after each change).
    DeviceWatch* deviceWatch = nullptr;
    std::function<void()> refreshPorts = {};
    std::function<void(const std::string&)> emit = {};
    // The network and clock may be used from several threads at once (net apply --jobs); otherwise
    // the saves run one after the other.
    bool threadSafeNetwork = false;
};

struct Output {
    std::string out;  // standard output
    std::string err;  // standard error
};

int run(const Request& request, Deps& deps, Output& output);

}  // namespace hollin::cli
