// hollin-printer-sim: a virtual printer on a pseudo-terminal. Point the utility (HOLLIN_COM1=<path>)
// or a terminal program at the printed path; stop with Ctrl-C. With --state FILE the printer's final
// state is written to FILE as JSON when the program ends.
#include <signal.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "help/hollin-printer-sim_help.h"
#include "hollin_version.h"
#include "netcfg/exchange.h"
#include "platform/clock.h"
#include "platform/private_file.h"
#include "platform/udp_socket.h"
#include "sim/bluetooth.h"
#include "sim/network_printer.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"
#include "sim/wifi_module.h"

namespace {

constexpr std::array<std::string_view, 6> kEmulationNames = {"ESC/POS", "CPCL", "MPCL", "ZPL", "EPL", "DPL"};

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// An emulation by name (any case, "ESCPOS" too) or by its code 0..7.
std::optional<int> parseEmulation(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '7')
        return text[0] - '0';
    if (sameLetters(text, "ESCPOS"))
        return 0;
    for (std::size_t i = 0; i < kEmulationNames.size(); ++i) {
        if (sameLetters(text, kEmulationNames[i]))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

// A bad command line: the help text on standard error, exit code 2.
int usage() {
    std::fputs(kSimHelp.data(), stderr);
    return 2;
}

// Writes `text` to `path` whole (a new file renamed over it); on failure says why on stderr.
bool writeFile(const std::string& path, const std::string& text) {
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (hollin::replaceFile(path, bytes, hollin::FileAccess::Shared) != hollin::FileWrite::Done) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

// Whether `path` can be written, so that a bad --state is reported before the session rather than
// after it. Leaves an existing file as it is.
bool canWrite(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    std::fclose(file);
    return true;
}

// Serves `printer` until a stop signal arrives; 0, or 1 when no pseudo-terminal could be had.
int serve(hollin::sim::VirtualPrinter& printer, sigset_t& stopSignals, std::uint32_t lineRate) {
    hollin::sim::PtyPrinterServer server(printer);
    server.setLineRate(lineRate);
    if (!server.start()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal: %s\n", server.error().c_str());
        return 1;
    }
    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    return 0;
}

struct NetOptions {
    int binary = 0;
    int text = 0;
    hollin::Ipv4 broadcast = hollin::ipv4(127, 255, 255, 255);
    hollin::Ipv4 first = hollin::ipv4(127, 0, 0, 2);
    bool wanted = false;
    hollin::netcfg::KeyConstant key = hollin::netcfg::kDefaultKeyConstant;
};

// Serves the virtual network printers until a stop signal arrives.
int serveNetwork(const NetOptions& options, sigset_t& stopSignals) {
    using namespace hollin;
    sim::NetworkPrinterFleet fleet(systemUdpNetwork(), systemClock());
    if (!fleet.start(options.binary, options.text, options.first, options.broadcast, options.key)) {
        std::fprintf(stderr, "%s\n", fleet.error().c_str());
        return 1;
    }
    for (const auto& printer : fleet.binary()) {
        const auto& mac = printer->state().mac;
        std::printf("net %s %02X:%02X:%02X:%02X:%02X:%02X\n", ipv4Text(printer->address()).c_str(), mac[0],
                    mac[1], mac[2], mac[3], mac[4], mac[5]);
    }
    for (const auto& printer : fleet.text())
        std::printf("text %s %.12s\n", ipv4Text(printer->address()).c_str(),
                    reinterpret_cast<const char*>(printer->record().data()) + 2);
    std::printf("ready\n");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    fleet.stop();
    for (const auto& printer : fleet.binary())
        std::fprintf(stderr, "%s: %d request(s), %d write(s) applied\n",
                     hollin::ipv4Text(printer->address()).c_str(), printer->state().requestsSeen,
                     printer->state().writesApplied);
    return 0;
}

bool parseCount(const char* text, int& count) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 4096)
        return false;
    count = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int emulation = 1;
    std::string model = "Alder";
    std::optional<std::string> statePath;
    NetOptions net;
    // The site's key constant (HOLLIN_NETCFG_KEY), read once; a malformed value is reported, never shown.
    const char* siteKey = std::getenv("HOLLIN_NETCFG_KEY");
    net.key = hollin::netcfg::keyConstantFromText(
        siteKey != nullptr ? std::optional<std::string_view>(siteKey) : std::nullopt,
        [](std::string_view note) {
            std::fprintf(stderr, "hollin-printer-sim: %.*s", static_cast<int>(note.size()), note.data());
        });
    auto wifiModule = hollin::sim::WifiModuleState::Kind::Quatech;
    bool fixedBtName = false;
    std::uint32_t lineRate = 0;
    // A real printer needs a moment to answer, and the serial link purges its input when a write ends:
    // an answer quicker than that purge (which a busy machine can delay) would be lost.
    std::uint32_t replyDelay = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kSimHelp.data(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("hollin-printer-sim %s\n", std::string(hollin::kVersion).c_str());
            return 0;
        }
        if (arg == "--fixed-bt-name") {
            fixedBtName = true;
            continue;
        }
        if (i + 1 >= argc)
            return usage();
        if (arg == "--emulation") {
            const auto code = parseEmulation(argv[++i]);
            if (!code) {
                std::fprintf(stderr, "unknown emulation: %s\n", argv[i]);
                return usage();
            }
            emulation = *code;
        } else if (arg == "--model") {
            model = argv[++i];
        } else if (arg == "--wifi-module") {
            const auto kind = hollin::sim::parseModuleKind(argv[++i]);
            if (!kind) {
                std::fprintf(stderr, "unknown Wi-Fi module: %s\n", argv[i]);
                return usage();
            }
            wifiModule = *kind;
        } else if (arg == "--line-rate" || arg == "--reply-delay") {
            const bool rate = arg == "--line-rate";
            std::uint32_t& value = rate ? lineRate : replyDelay;
            const std::string_view text = argv[++i];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size() || (rate && value == 0) ||
                value > 10000) {
                std::fprintf(stderr, rate ? "not a line rate: %s\n" : "not a reply delay: %s\n", argv[i]);
                return usage();
            }
        } else if (arg == "--state") {
            statePath = argv[++i];
        } else if (arg == "--net" || arg == "--text") {
            net.wanted = true;
            if (!parseCount(argv[++i], arg == "--net" ? net.binary : net.text)) {
                std::fprintf(stderr, "not a printer count: %s\n", argv[i]);
                return usage();
            }
        } else if (arg == "--broadcast" || arg == "--first-address") {
            const auto address = hollin::netcfg::parseIpv4(argv[++i]);
            if (!address) {
                std::fprintf(stderr, "not an IPv4 address: %s\n", argv[i]);
                return usage();
            }
            (arg == "--broadcast" ? net.broadcast : net.first) = *address;
        } else {
            return usage();
        }
    }

    if (statePath && !canWrite(*statePath))
        return 2;

    // The signals are taken synchronously in serve(); block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (net.wanted)
        return serveNetwork(net, stopSignals);

    hollin::sim::VirtualPrinter printer(hollin::systemClock(), emulation, model);
    printer.setWifiModuleKind(static_cast<int>(wifiModule));
    printer.setReplyDelay(replyDelay);
    if (fixedBtName) {
        hollin::sim::BluetoothState bluetooth = printer.bluetooth();
        bluetooth.fixedNameModule = true;
        printer.setBluetooth(bluetooth);
    }
    int status = serve(printer, stopSignals, lineRate);
    for (const std::string& command : printer.log())
        std::fprintf(stderr, "understood: %s\n", command.c_str());
    std::fprintf(stderr, "emulation: %s, model: %s\n%s",
                 hollin::sim::emulationLabel(printer.emulation()).c_str(), printer.model().c_str(),
                 hollin::sim::describe(printer.settings()).c_str());
    if (statePath && !writeFile(*statePath, printer.stateJson() + "\n"))
        status = 1;
    return status;
}
