// Open Port against a virtual printer that answers at once on a real pseudo-terminal: from the click
// to the window's final state, compared with the floor the protocol sets (the 350 ms wake-up pause,
// then the probe's and the model query's round trips). A serial read knows an answer has ended only
// once the line has been quiet for the read interval time-out (50 ms), so the floor with those two
// quiet gaps is reported as well.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_iterations.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "link/printer_link.h"
#include "link/serial_port.h"
#include "link/usb_device.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/printer_commands.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"

namespace hollin {
namespace {

using Ms = std::chrono::duration<double, std::milli>;
using SteadyClock = std::chrono::steady_clock;

// Just enough of a dialog for the main window to run: lists, texts and enabled states.
class BenchView final : public ui::DialogView {
  public:
    struct Control {
        bool enabled = true, visible = true;
        std::string text;
        std::vector<std::string> items;
        int selection = -1;
    };
    std::map<ui::ControlId, Control> c;
    bool ended = false;

    void setTitle(std::string_view) override {}
    std::string title() const override { return {}; }
    void setWindowVisible(bool) override {}
    bool isWindowVisible() const override { return true; }
    void endDialog(int) override { ended = true; }
    ui::Rect windowRect() const override { return {}; }
    void moveWindow(int, int) override {}
    void setWaitCursor(bool) override {}
    void repaint() override {}
    void enable(ui::ControlId id, bool on) override { c[id].enabled = on; }
    bool isEnabled(ui::ControlId id) const override { return at(id).enabled; }
    void show(ui::ControlId id, bool visible) override { c[id].visible = visible; }
    bool isVisible(ui::ControlId id) const override { return at(id).visible; }
    void setText(ui::ControlId id, std::string_view text) override { c[id].text = text; }
    std::string text(ui::ControlId id) const override { return at(id).text; }
    void setFocus(ui::ControlId) override {}
    ui::ControlId focusedControl() const override { return 0; }
    void setToolTip(ui::ControlId, std::string_view) override {}
    void setIcon(ui::ControlId, int) override {}
    int icon(ui::ControlId) const override { return 0; }
    void setTextLimit(ui::ControlId, int) override {}
    int textLimit(ui::ControlId) const override { return 0; }
    void clearItems(ui::ControlId id) override {
        c[id].items.clear();
        c[id].selection = -1;
    }
    int addItem(ui::ControlId id, std::string_view text) override {
        c[id].items.emplace_back(text);
        return static_cast<int>(c[id].items.size()) - 1;
    }
    int itemCount(ui::ControlId id) const override { return static_cast<int>(at(id).items.size()); }
    std::string itemText(ui::ControlId id, int i) const override {
        return at(id).items.at(static_cast<std::size_t>(i));
    }
    void setItemToolTip(ui::ControlId, int, std::string_view) override {}
    void setSelection(ui::ControlId id, int index) override { c[id].selection = index; }
    int selection(ui::ControlId id) const override { return at(id).selection; }
    void setChecked(ui::ControlId, bool) override {}
    bool isChecked(ui::ControlId) const override { return false; }
    void setAddress(ui::ControlId, const ui::Ipv4&) override {}
    void clearAddress(ui::ControlId) override {}
    std::optional<ui::Ipv4> address(ui::ControlId) const override { return std::nullopt; }
    void setProgressRange(ui::ControlId, int, int) override {}
    void setProgress(ui::ControlId, int) override {}
    int progress(ui::ControlId) const override { return 0; }
    void setGroupCaptionStyle(ui::ControlId, std::uint32_t, bool, bool) override {}
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    int messageBox(std::string_view text, std::string_view, ui::MessageButtons, ui::MessageIcon) override {
        messages.emplace_back(text);
        return ui::kResultOk;
    }
    std::vector<std::string> messages;

  private:
    const Control& at(ui::ControlId id) const {
        static const Control none;
        const auto it = c.find(id);
        return it == c.end() ? none : it->second;
    }
};

class NoDesktop final : public ui::Desktop {
  public:
    int runModal(ui::Window&, ui::Window*) override { return ui::kResultCancel; }
    void openModeless(ui::Window&, ui::Window*) override {}
    int messageBox(std::string_view, std::string_view, ui::MessageButtons, ui::MessageIcon) override {
        return ui::kResultOk;
    }
    std::optional<std::string> browseFolder(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
};

class NoSpooler final : public Spooler {
  public:
    SpoolerListing localPrinters() override { return {}; }
};

// A CPCL printer that answers after 1 ms, served on a pseudo-terminal. (One that answers within
// microseconds now and then sees its answer discarded by the purge that ends the link's write, which
// on a pseudo-terminal can come after the answer; the probe then waits out its 2 s.)
struct PtyPrinter {
    RealClock clock;
    sim::VirtualPrinter printer{clock, kCpcl, "Alder"};
    sim::PtyPrinterServer server{printer};
    std::optional<PortMap> ports;

    bool start() {
        printer.setReplyDelay(1);
        if (!server.start())
            return false;
        const std::string path = server.slavePath();
        ports.emplace(std::vector<std::string>{},
                      [path](const std::string& name) -> std::optional<std::string> {
                          if (name == "HOLLIN_COM1")
                              return path;
                          return std::nullopt;
                      });
        return true;
    }
};

// One command's round trip on the printer's terminal: write, then wait in poll() (no pauses) for the
// whole answer.
double roundTripMs(int fd, const std::vector<std::uint8_t>& command, std::size_t answerBytes) {
    const auto start = SteadyClock::now();
    if (::write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size()))
        return 0;
    std::uint8_t reply[256];
    std::size_t got = 0;
    pollfd p{fd, POLLIN, 0};
    while (got<answerBytes&& ::poll(&p, 1, 1000)> 0) {
        const ssize_t n = ::read(fd, reply, sizeof reply);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return Ms(SteadyClock::now() - start).count();
}

// The floor: the wake-up pause plus the probe's and the model query's round trips, measured on the
// same kind of terminal in raw mode, without the link's pauses.
double protocolFloorMs(PtyPrinter& pty) {
    const int fd = ::open(pty.server.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    constexpr int kSamples = 20;
    const std::size_t modelBytes = pty.printer.model().size();
    double total = 0;
    for (int i = 0; i < kSamples; ++i)
        total += roundTripMs(fd, probeCommand(), 1) + roundTripMs(fd, modelQueryCommand(), modelBytes);
    ::close(fd);
    return PrinterLink::kWakeUpPauseMs + total / kSamples;
}

void BM_OpenPortOnPty(benchmark::State& state) {
    PtyPrinter pty;
    if (!pty.start()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const double floorMs = protocolFloorMs(pty);
    NoSpooler spooler;
    const auto usb = makeLinuxUsbPrinterFinder("/nonexistent", "/nonexistent");
    printer::CHollinDlg window({.clock = systemClock(),
                                .serialPorts = [] { return makeSystemSerialPort(systemClock()); },
                                .ports = *pty.ports,
                                .usbFinder = *usb,
                                .spooler = spooler});
    BenchView view;
    NoDesktop desktop;
    window.attach(&view, &desktop);
    window.onInit();

    double totalMs = 0;
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        window.dispatch(printer::ids::kOpenPort, ui::Notification::Clicked);
        const double ms = Ms(SteadyClock::now() - start).count();
        state.SetIterationTime(ms / 1000.0);
        totalMs += ms;
        if (view.text(printer::ids::kEmulationText) != "CPCL" || !view.messages.empty()) {
            state.SkipWithError("the printer was not identified");
            break;
        }
        window.closePort();
    }
    const double meanMs = totalMs / static_cast<double>(state.iterations());
    state.counters["floor_ms"] = floorMs;
    state.counters["open_ms"] = meanMs;
    state.counters["over_floor_pct"] = floorMs > 0 ? 100.0 * (meanMs - floorMs) / floorMs : 0;
    const double withGapsMs = floorMs > 0 ? floorMs + 2.0 * linkTimeoutsFor(19200).readIntervalMs : 0;
    state.counters["floor_with_gaps_ms"] = withGapsMs;
    state.counters["over_floor_with_gaps_pct"] =
        withGapsMs > 0 ? 100.0 * (meanMs - withGapsMs) / withGapsMs : 0;
    window.detach();
}
BENCHMARK(BM_OpenPortOnPty)
    ->UseManualTime()
    ->Iterations(hollin::bench::iterations(10))
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hollin
