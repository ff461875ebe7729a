#include "cli/cli_request.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "common/text_case.h"
#include "help/hollinctl_help.h"
#include "hollin_version.h"
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
    "--port",        "--baud",      "--parity",   "--data-bits", "--stop-bits", "--flow",
    "--secret-file", "--broadcast", "--directed", "--sensor",    "--id",        "--memory",
    "--save-tfd",    "--ports",     "--name",     "--for",       "--mac",       "--jobs"};

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
        if (arg == "--version") {
            request.version = true;
            continue;
        }
        if (arg == "--watch") {
            request.watch = true;
            continue;
        }
        if (arg == "--csv" || arg == "--all" || arg == "--dry-run") {
            (arg == "--csv" ? request.csv : arg == "--all" ? request.allPrinters : request.dryRun) = true;
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
        } else if (arg == "--name") {
            request.queueName = value;
        } else if (arg == "--for") {
            const auto seconds = parseNumber(value);
            if (!seconds || *seconds < 1) {
                parsed.error = "--for: " + value + " is no number of seconds from 1";
                return parsed;
            }
            request.watchSeconds = *seconds;
        } else if (arg == "--mac") {
            request.macs.push_back(value);
        } else if (arg == "--jobs") {
            const auto jobs = parseNumber(value);
            if (!jobs || *jobs < 1 || *jobs > 256) {
                parsed.error = "--jobs: " + value + " is no number from 1 to 256";
                return parsed;
            }
            request.jobs = *jobs;
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
    if (request.words.empty() && !request.help && !request.version) {
        parsed.error = "no command given (hollinctl --help lists them)";
        return parsed;
    }
    parsed.request = std::move(request);
    return parsed;
}

std::string_view helpText() {
    return kHollinctlHelp;
}

std::string versionText() {
    return "hollinctl " + std::string(kVersion) + "\n";
}

}  // namespace hollin::cli
