#include "cli/cli_request.h"

#include <algorithm>
#include <charconv>

#include "common/text_case.h"
#include "printer/option_lists.h"

namespace hollin::cli {
namespace {

template <std::size_t N>
std::vector<std::string_view> names(const std::array<std::string_view, N>& list) {
    return {list.begin(), list.end()};
}

// Takes one line option's value; the error names the option and its choices.
bool takeLineOption(Request& request, const std::string& option, const std::string& value,
                    std::string& error) {
    auto choose = [&](const std::vector<std::string_view>& list, int& position) {
        const auto found = positionIn(list, value);
        if (!found) {
            error = option + ": " + value + " is none of";
            for (auto name : list)
                error += " " + std::string(name);
            return false;
        }
        position = *found;
        return true;
    };
    printer::SerialLineChoice& line = request.line;
    if (option == "--baud") {
        int position = 0;
        if (!choose(names(kBaudRates), position))
            return false;
        line.baud = *parseNumber(kBaudRates[static_cast<std::size_t>(position)]);
        return true;
    }
    if (option == "--parity")
        return choose(names(kParityNames), line.parityPosition);
    if (option == "--data-bits")
        return choose(names(kDataBitsNames), line.dataBitsPosition);
    if (option == "--flow")
        return choose(names(kFlowControlNames), line.flowPosition);
    if (!choose(names(kStopBitsNames), line.stopBitsPosition))
        return false;
    line.stopBits = line.stopBitsPosition + 1;
    return true;
}

// "COM1,COM2,USB": each a COMn, USB or a device path.
bool takePorts(Request& request, const std::string& value, std::string& error) {
    std::size_t start = 0;
    while (start <= value.size()) {
        const auto comma = std::min(value.find(',', start), value.size());
        const std::string port = value.substr(start, comma - start);
        const bool com = port.size() == 4 && sameIgnoringCase(port.substr(0, 3), "COM") && port[3] >= '1' &&
                         port[3] <= '9';
        if (!com && port != "USB" && !port.starts_with("/")) {
            error = "--ports: " + port + " is none of COM1..COM9, USB or a device path";
            return false;
        }
        request.ports.push_back(com ? "COM" + port.substr(3) : port);
        start = comma + 1;
    }
    return true;
}

constexpr std::string_view kValueOptions[] = {
    "--port",      "--baud",     "--parity", "--data-bits", "--stop-bits", "--flow",     "--secret-file",
    "--broadcast", "--directed", "--sensor", "--id",        "--memory",    "--save-tfd", "--ports"};

bool takesValue(std::string_view arg) {
    for (auto option : kValueOptions) {
        if (arg == option)
            return true;
    }
    return false;
}

}  // namespace

std::optional<int> positionIn(const std::vector<std::string_view>& list, std::string_view text) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (sameIgnoringCase(list[i], text))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<bool> parseSwitch(std::string_view text) {
    for (auto on : {"on", "1", "yes", "true"}) {
        if (sameIgnoringCase(text, on))
            return true;
    }
    for (auto off : {"off", "0", "no", "false"}) {
        if (sameIgnoringCase(text, off))
            return false;
    }
    return std::nullopt;
}

std::optional<int> parseNumber(std::string_view text) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (!text.empty() && text[0] == '+')
        ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

ParsedRequest parseArguments(std::vector<std::string> args) {
    ParsedRequest parsed;
    std::string error;
    const auto simulation = app::takeSimulationOptions(args, error);
    if (!simulation) {
        parsed.error = error;
        return parsed;
    }
    Request request;
    request.simulation = *simulation;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            request.json = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            request.help = true;
            continue;
        }
        if (arg == "--with-secrets" || arg == "--all-found") {
            (arg == "--all-found" ? request.allFound : request.withSecrets) = true;
            continue;
        }
        if (!takesValue(arg)) {
            if (arg.size() > 2 && arg.starts_with("--")) {
                parsed.error = "unknown option " + arg;
                return parsed;
            }
            request.words.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = arg + " needs a value";
            return parsed;
        }
        const std::string& value = args[++i];
        if (arg == "--port") {
            request.port = value;
        } else if (arg == "--secret-file") {
            request.secretFile = value;
        } else if (arg == "--broadcast") {
            request.broadcast = value;
        } else if (arg == "--directed") {
            request.directed = value;
        } else if (arg == "--id") {
            const auto id = parseNumber(value);
            if (!id || *id < 1 || *id > 9) {
                parsed.error = "--id: " + value + " is no font ID from 1 to 9";
                return parsed;
            }
            request.fontId = *id;
        } else if (arg == "--memory") {
            const auto memory = positionIn({"ram", "flash"}, value);
            if (!memory) {
                parsed.error = "--memory: " + value + " is none of flash ram";
                return parsed;
            }
            request.fontMemory = static_cast<fonts::FontMemory>(*memory);
        } else if (arg == "--save-tfd") {
            request.saveTfd = value;
        } else if (arg == "--ports") {
            if (!takePorts(request, value, parsed.error))
                return parsed;
        } else if (arg == "--sensor") {
            const auto position = positionIn(names(kSensorPositions), value);
            if (!position) {
                parsed.error = "--sensor: " + value + " is none of Lower Upper";
                return parsed;
            }
            request.sensorPosition = *position;
        } else if (!takeLineOption(request, arg, value, parsed.error)) {
            return parsed;
        }
    }
    // Printers take no 7-bit characters without parity, as the window refuses them.
    if (request.line.dataBitsPosition == 0 && request.line.parityPosition == 0) {
        parsed.error = "--data-bits/--parity: " + std::string(ui::kDataBitsParityText);
        return parsed;
    }
    if (request.words.empty() && !request.help) {
        parsed.error = "no command given (hollinctl --help lists them)";
        return parsed;
    }
    parsed.request = std::move(request);
    return parsed;
}

std::string_view helpText() {
    return R"(usage: hollinctl [OPTIONS] COMMAND [ARGS]

Options:
  --port COM1..COM9|USB|DEVICE   the printer's port (default COM1)
  --baud N --parity NONE|ODD|EVEN --data-bits 7|8 --stop-bits 1|2 --flow DTR/DSR|Xon/Xoff
                                 the serial line (default 19200 NONE 8 1 DTR/DSR)
  --json                         one JSON object per printer on standard output
  --secret-file FILE|-           where a PIN (set bt-pin) or KEY=VALUE lines of keys (wifi set:
                                 wpa-key, wep-key; wifi enterprise: password) are read from
                                 (- for standard input); never on the command line
  --id 1..9 --memory flash|ram   font download: the font's ID and memory (default 1, flash)
  --save-tfd FILE                font download: also write the stream as FILE.tfd, then send that file
  --with-secrets                 profile save: keep the Wi-Fi keys in the profile (file mode 0600)
  --ports COM1,COM2,USB | --all-found
                                 profile apply: these printers, or every COMn mapped and the USB
                                 printer, one after the other (default: --port)
  --simulate [--emulation NAME|0..7] [--model TEXT] [--wifi-module KIND]
                                 run against embedded virtual printers (COM1 and USB)

Commands:
  ports                                  the COMn map and the USB printers, with device paths
  identify                               the printer's emulation and model
  get emulation|bluetooth|advanced       read from the printer
  set power-save off|power-off|power-save [MINUTES]
  set code-page NAME|POSITION            a name of the emulation's list (CP_437, ...) or its position
  set density -1|0|+1|+2|+3
  set media gap|black-mark|continuous [--sensor Lower|Upper]
  set emulation cpcl|escpos              the printer restarts
  set serial-line baud=N data-bits=7|8 parity=P stop-bits=1|2 flow=F   the printer's own line
  set compatible on|off
  set advanced KEY=VALUE...              language error-clear peeler left tof top tone direction
  set bt-name NAME
  set bt-pin --secret-file FILE|-        four digits, never on the command line
  set discoverable|auto-connection|ble|numeric-comparison on|off
  calibrate gap|black-mark
  print-code-page
  font list                              a CPCL or ZPL printer's TrueType fonts and memory
  font download FILE [--id N --memory flash|ram] [--save-tfd FILE]
  font delete NAME|ID                    a listed font, by name (CPCL) or ID (ZPL)
  wifi get | wifi reset                  the printer's Wi-Fi module (no key is shown)
  wifi set KEY=VALUE...                  ssid dhcp ip netmask gateway dns tcp-port mode channel
                                         encryption key-in-use key-type wpa-auth
  wifi enterprise KEY=VALUE...           eap id ca client private-key (password: --secret-file)
  net search [--broadcast ADDR] [--directed ADDR]
  net save ...                           not yet available (exit code 9)
  profile save FILE [--with-secrets]     settings, Bluetooth, advanced options, Wi-Fi into JSON
  profile apply FILE [--ports LIST | --all-found]
                                         each printer in turn; goes on after a failed one

Exit codes:
  0 done                      5 not sent
  1 bad reply                 6 device busy, not opened or held by a print queue
  2 refused input             7 network error
  3 no response               8 not supported by the printer's emulation
  4 unknown emulation         9 not yet available
)";
}

}  // namespace hollin::cli
