// hollinctl profile apply: a full profile (settings, Bluetooth, advanced options, Wi-Fi) written to 8
// virtual printers on pseudo-terminals in sequence, against the sum of the pauses and waits the
// protocol itself makes for those commands: every sleep on the clock the run uses, and the time spent
// waiting on the line (for a reply, within the protocol's bounds, and in the port's reads and writes).
// "ratio" is wall time over that sum; goal: at most 1.10. "work_ms" is what remains: hollinctl's own
// work; "late_wakeups_ms" what the machine added to the sleeps.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "app/simulation.h"
#include "bench/bench_iterations.h"
#include "cli/cli_request.h"
#include "cli/cli_runner.h"
#include "fonts/font_files.h"
#include "link/serial_port.h"
#include "printer/printer_commands.h"
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
        ++sleeps_;
        const auto start = std::chrono::steady_clock::now();
        real_.sleepMs(ms);
        spentUs_ += static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::uint64_t slept() const { return slept_.load(); }
    std::uint64_t sleeps() const { return sleeps_.load(); }
    // The time the sleeps really took (a loaded machine wakes a sleeper late).
    std::uint64_t spentUs() const { return spentUs_.load(); }

  private:
    RealClock real_;
    std::atomic<std::uint64_t> slept_{0};
    std::atomic<std::uint64_t> sleeps_{0};
    std::atomic<std::uint64_t> spentUs_{0};
};

// Runs `f`, adding the time it took to `waitedUs`.
template <typename F>
auto timed(std::atomic<std::uint64_t>& waitedUs, F&& f) {
    const auto start = std::chrono::steady_clock::now();
    auto result = f();
    waitedUs += static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count());
    return result;
}

// The system's serial port, adding up the time spent waiting on the line: for a reply to arrive
// (waitReadable, bounded by the protocol's pauses), and in reads and writes, which the port's own
// time-outs bound.
class TimedPort final : public SerialPort {
  public:
    TimedPort(std::unique_ptr<SerialPort> port, std::atomic<std::uint64_t>& waitedUs)
        : port_(std::move(port)), waitedUs_(waitedUs) {}
    bool open(const std::string& device) override { return port_->open(device); }
    bool isOpen() const override { return port_->isOpen(); }
    bool configure(const LineSettings& line) override { return port_->configure(line); }
    bool setTimeouts(const PortTimeouts& timeouts) override { return port_->setTimeouts(timeouts); }
    WriteOutcome write(const std::uint8_t* data, std::size_t length, std::uint32_t waitMs) override {
        return timed(waitedUs_, [&] { return port_->write(data, length, waitMs); });
    }
    std::size_t bytesWaiting() override { return port_->bytesWaiting(); }
    ReadWait waitReadable(std::uint32_t ms) override {
        return timed(waitedUs_, [&] { return port_->waitReadable(ms); });
    }
    long read(std::uint8_t* buffer, std::size_t capacity) override {
        return timed(waitedUs_, [&] { return port_->read(buffer, capacity); });
    }
    void purge() override { port_->purge(); }
    void close() override { port_->close(); }
    long nativeHandle() const override { return port_->nativeHandle(); }

  private:
    std::unique_ptr<SerialPort> port_;
    std::atomic<std::uint64_t>& waitedUs_;
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
        printers.back()->setWifiModuleKind(static_cast<int>(i % 2 ? sim::WifiModuleState::Kind::Sollae
                                                                  : sim::WifiModuleState::Kind::Quatech));
        servers.push_back(std::make_unique<sim::PtyPrinterServer>(*printers.back()));
        if (!servers.back()->start()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        devices["HOLLIN_COM" + std::to_string(i + 1)] = servers.back()->slavePath();
    }
    CountingClock clock;
    std::atomic<std::uint64_t> lineWaitUs{0};
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
        .serialPorts = [&clock, &lineWaitUs]() -> std::unique_ptr<SerialPort> {
            return std::make_unique<TimedPort>(makeSystemSerialPort(clock), lineWaitUs);
        },
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
    const std::uint64_t sleepsBefore = clock.sleeps();
    const std::uint64_t spentBefore = clock.spentUs();
    const std::uint64_t lineBefore = lineWaitUs.load();
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
        const double iterations = static_cast<double>(state.iterations());
        const double lineMs = static_cast<double>(lineWaitUs.load() - lineBefore) / 1000.0;
        state.counters["line_waits_ms"] = lineMs / iterations;
        // The baseline: the pauses the protocol makes plus the time spent waiting on the line.
        state.counters["ratio"] = wallTotalMs / (static_cast<double>(sleptTotal) + lineMs);
        state.counters["sleeps"] = static_cast<double>(clock.sleeps() - sleepsBefore) / iterations;
        // Wall time left once the sleeps' real length is taken out: hollinctl's own work and the bytes.
        const double spentMs = static_cast<double>(clock.spentUs() - spentBefore) / 1000.0;
        state.counters["late_wakeups_ms"] = (spentMs - static_cast<double>(sleptTotal)) / iterations;
        state.counters["work_ms"] = (wallTotalMs - spentMs - lineMs) / iterations;
    }
    for (auto& server : servers)
        server->stop();
}
BENCHMARK(BM_ProfileApplyEightPrinters)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(hollin::bench::iterations(2))
    ->UseRealTime();

}  // namespace
}  // namespace hollin
