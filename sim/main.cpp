// hollin-printer-sim: a virtual printer on a pseudo-terminal. Point the utility (HOLLIN_COM1=<path>)
// or a terminal program at the printed path; stop with Ctrl-C. With --state FILE the printer's final
// state is written to FILE as JSON when the program ends.
#include <signal.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "sim/bluetooth.h"
#include "sim/pty_printer_server.h"
#include "sim/virtual_printer.h"

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

int usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--emulation ESC/POS|CPCL|MPCL|ZPL|EPL|DPL|0..7] [--model TEXT] [--state FILE]\n"
                 "       [--fixed-bt-name]\n"
                 "Serves a virtual printer on a pseudo-terminal and prints its path; runs until stopped\n"
                 "(SIGINT, SIGTERM or SIGHUP). --state FILE: on exit, write the printer's state (emulation,\n"
                 "model, settings, Bluetooth, option blocks, bytes and commands received) to FILE as one\n"
                 "JSON object. --fixed-bt-name: a Bluetooth module that answers \"MOVON\" for its name and\n"
                 "ignores name writes.\n",
                 program);
    return 2;
}

// Writes `text` to `path` whole; on failure says why on stderr.
bool writeFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(),
                     std::strerror(written ? errno : writeError));
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
int serve(hollin::sim::VirtualPrinter& printer, sigset_t& stopSignals) {
    hollin::sim::PtyPrinterServer server(printer);
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

}  // namespace

int main(int argc, char** argv) {
    int emulation = 1;
    std::string model = "Alder";
    std::optional<std::string> statePath;
    bool fixedBtName = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(argv[0]);
            return 0;
        }
        if (arg == "--fixed-bt-name") {
            fixedBtName = true;
            continue;
        }
        if (i + 1 >= argc)
            return usage(argv[0]);
        if (arg == "--emulation") {
            const auto code = parseEmulation(argv[++i]);
            if (!code) {
                std::fprintf(stderr, "unknown emulation: %s\n", argv[i]);
                return usage(argv[0]);
            }
            emulation = *code;
        } else if (arg == "--model") {
            model = argv[++i];
        } else if (arg == "--state") {
            statePath = argv[++i];
        } else {
            return usage(argv[0]);
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

    hollin::sim::VirtualPrinter printer(hollin::systemClock(), emulation, model);
    if (fixedBtName) {
        hollin::sim::BluetoothState bluetooth = printer.bluetooth();
        bluetooth.fixedNameModule = true;
        printer.setBluetooth(bluetooth);
    }
    int status = serve(printer, stopSignals);
    for (const std::string& command : printer.log())
        std::fprintf(stderr, "understood: %s\n", command.c_str());
    std::fprintf(stderr, "emulation: %s, model: %s\n%s",
                 hollin::sim::emulationLabel(printer.emulation()).c_str(), printer.model().c_str(),
                 hollin::sim::describe(printer.settings()).c_str());
    if (statePath && !writeFile(*statePath, printer.stateJson() + "\n"))
        status = 1;
    return status;
}
