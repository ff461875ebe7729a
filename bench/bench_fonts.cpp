// Fonts: wrapping the largest font against one copy of it, and a 512 KiB font sent by the download's
// slices to a virtual printer on a pseudo-terminal that takes in 115200 baud's worth a second,
// against the stream's time on such a line.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fonts/font_codec.h"
#include "fonts/font_operations.h"
#include "link/printer_link.h"
#include "link/serial_port.h"
#include "platform/clock.h"
#include "sim/fonts.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"

namespace hollin {
namespace {

Bytes fontOf(std::size_t n) {
    Bytes font(n);
    for (std::size_t i = 0; i < n; ++i)
        font[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return font;
}

void BM_WrapLargestFont(benchmark::State& state) {
    const Bytes font = fontOf(fonts::kMaxFontBytes);
    for (auto _ : state) {
        Bytes stream = fonts::fontDownloadStream(9, fonts::FontMemory::Flash, "Largest", font);
        benchmark::DoNotOptimize(stream.data());
    }
}
BENCHMARK(BM_WrapLargestFont)->Unit(benchmark::kMicrosecond);

// The baseline: one copy of the font into a fresh buffer.
void BM_CopyLargestFont(benchmark::State& state) {
    const Bytes font = fontOf(fonts::kMaxFontBytes);
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[font.size()]);
        std::memcpy(copy.get(), font.data(), font.size());
        benchmark::DoNotOptimize(copy.get());
    }
}
BENCHMARK(BM_CopyLargestFont)->Unit(benchmark::kMicrosecond);

// The download of a 512 KiB font at 115200 baud; "vs_line" is the time over the stream's line time.
void BM_Download512KiBAtLineRate(benchmark::State& state) {
    constexpr std::uint32_t kBaud = 115200;
    sim::VirtualPrinter printer(systemClock(), 1);
    sim::PtyPrinterServer server(printer);
    server.setLineRate(kBaud);
    if (!server.start()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const std::string device = server.slavePath();
    PrinterLink link(
        systemClock(), [] { return makeSystemSerialPort(systemClock()); },
        [device](std::string_view) { return std::optional<std::string>(device); });
    if (link.Open("COM1", kBaud, 0, 1, 0, 0) != 0) {
        state.SkipWithError("the link did not open");
        return;
    }
    const std::uint8_t first = 0;
    link.Write({&first, 1});  // the wake-up and its pause stay out of the timing
    const Bytes stream = fonts::fontDownloadStream(1, fonts::FontMemory::Flash, "Bench", fontOf(512 * 1024));
    const double lineSeconds = static_cast<double>(stream.size()) / (kBaud / 10.0);
    for (auto _ : state) {
        printer.setFonts({});
        const auto start = std::chrono::steady_clock::now();
        const bool sent = fonts::sendFontStream(
            [&link](std::span<const std::uint8_t> b) { return link.Write(b) == static_cast<int>(b.size()); },
            stream);
        // Until the printer has taken the whole stream in.
        for (int i = 0; i < 100000 && printer.fonts().fonts.empty(); ++i)
            systemClock().sleepMs(1);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!sent || printer.fonts().fonts.empty()) {
            state.SkipWithError("the font did not arrive");
            return;
        }
        state.SetIterationTime(seconds);
        state.counters["vs_line"] = seconds / lineSeconds;
    }
    link.Close();
    server.stop();
}
BENCHMARK(BM_Download512KiBAtLineRate)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

}  // namespace
}  // namespace hollin
