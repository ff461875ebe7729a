// hollinctl profile apply: a full profile (settings, Bluetooth, advanced options, Wi-Fi) written to 8
// virtual printers on pseudo-terminals in sequence, against the sum of the pauses and waits the
// protocol itself makes for those commands (every sleep on the clock the run uses). Goal: at most 1.10.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "app/simulation.h"
#include "cli/cli_request.h"
#include "cli/cli_runner.h"
#include "fonts/font_files.h"
#include "link/serial_port.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"
#include "sim/wifi_module.h"

namespace hollin {
namespace {

constexpr int kPrinters = 8;

// The real clock, adding up every pause asked of it.
class CountingClock final : public Clock {
  public:
    std::uint32_t tickMs() override { return real_.tickMs(); }
    void sleepMs(std::uint32_t ms) override {
        slept_ += ms;
        real_.sleepMs(ms);
    }
    std::uint64_t slept() const { return slept_.load(); }

  private:
    RealClock real_;
    std::atomic<std::uint64_t> slept_{0};
};

class NoSpooler final : public Spooler {
  public:
    SpoolerListing localPrinters() override { return {}; }
};

constexpr const char* kProfile = R"({
  "hollinctl-profile": 1,
  "settings": {"density": "+1", "power-save": "power-save 30", "code-page": "CP_850", "media": "gap",
               "compatible": "off"},
  "bluetooth": {"bt-name": "Fleet-Dock", "discoverable": false, "auto-connection": true, "ble": true,
                "numeric-comparison": false},
  "advanced": {"tone": 6, "left": 2, "top": 1, "direction": 1},
  "wifi": {"ssid": "Fleet", "dhcp": true, "tcp-port": 9100, "channel": 6, "encryption": "wpa",
           "wpa-auth": "wpa2-psk"},
  "wifi-secrets": {"wpa-key": "fleet-pass-phrase-2026"}
})";

void BM_ProfileApplyEightPrinters(benchmark::State& state) {
    RealClock printerClock;
    std::vector<std::unique_ptr<sim::VirtualPrinter>> printers;
    std::vector<std::unique_ptr<sim::PtyPrinterServer>> servers;
    std::map<std::string, std::string> devices;
    for (int i = 0; i < kPrinters; ++i) {
        printers.push_back(std::make_unique<sim::VirtualPrinter>(printerClock, kCpcl, "Alder"));
        printers.back()->setReplyDelay(app::EmbeddedPrinters::kReplyDelayMs);
        printers.back()->setWifiModuleKind(
            static_cast<int>(i % 2 ? sim::WifiModuleState::Kind::Sollae : sim::WifiModuleState::Kind::Quatech));
        servers.push_back(std::make_unique<sim::PtyPrinterServer>(*printers.back()));
        if (!servers.back()->start()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        devices["HOLLIN_COM" + std::to_string(i + 1)] = servers.back()->slavePath();
    }
    CountingClock clock;
    PortMap ports{{}, [&devices](const std::string& name) -> std::optional<std::string> {
                      const auto found = devices.find(name);
                      if (found == devices.end())
                          return std::nullopt;
                      return found->second;
                  }};
    const auto usbFinder = makeUsbPrinterFinder();
    NoSpooler spooler;
    fonts::SystemFontFiles fontFiles;
    cli::Deps deps{
        .clock = clock,
        .serialPorts = [&clock] { return makeSystemSerialPort(clock); },
        .ports = ports,
        .usbFinder = *usbFinder,
        .spooler = spooler,
        .network = systemUdpNetwork(),
        .usbNodes = [] { return std::vector<std::string>{}; },
        .readSecret = [](const std::string&) { return std::nullopt; },
        .broadcastEnvironment = std::nullopt,
        .fontFiles = fontFiles,
        .readFile = [](const std::string&) -> std::optional<std::string> { return std::string(kProfile); },
        .writeFile = [](const std::string&, const std::string&) { return false; },
    };
    const auto parsed = cli::parseArguments({"--all-found", "--json", "profile", "apply", "fleet.json"});
    std::uint64_t sleptTotal = 0;
    double wallTotalMs = 0;
    for (auto _ : state) {
        const std::uint64_t sleptBefore = clock.slept();
        const auto start = std::chrono::steady_clock::now();
        cli::Output output;
        const int code = cli::run(*parsed.request, deps, output);
        const auto end = std::chrono::steady_clock::now();
        if (code != cli::kExitDone) {
            state.SkipWithError(("profile apply failed: " + output.err).c_str());
            break;
        }
        wallTotalMs += std::chrono::duration<double, std::milli>(end - start).count();
        sleptTotal += clock.slept() - sleptBefore;
    }
    if (sleptTotal > 0) {
        state.counters["protocol_waits_ms"] = static_cast<double>(sleptTotal) / state.iterations();
        state.counters["wall_ms"] = wallTotalMs / static_cast<double>(state.iterations());
        state.counters["ratio"] = wallTotalMs / static_cast<double>(sleptTotal);
    }
    for (auto& server : servers)
        server->stop();
}
BENCHMARK(BM_ProfileApplyEightPrinters)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
}  // namespace hollin
