#include "cli/cli_runner.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <utility>

#include "link/open_failure.h"
#include "netcfg/exchange.h"
#include "printer/advanced_options_operations.h"
#include "printer/bluetooth_operations.h"
#include "printer/bluetooth_panel.h"
#include "printer/hollin_dlg.h"
#include "printer/option_lists.h"
#include "printer/printer_commands.h"
#include "printer/printer_operations.h"
#include "printer/printer_session.h"
#include "printer/result_messages.h"
#include "wifi/module_operations.h"

namespace hollin::cli {
namespace {

using printer::Outcome;
using printer::PrinterResult;
using printer::PrinterSession;

// What one printer (or one network device) reported: fields in order, shown as text or JSON.
class Report {
  public:
    void text(std::string key, std::string_view value) { fields_.push_back({std::move(key), quoted(value)}); }
    void number(std::string key, long value) { fields_.push_back({std::move(key), std::to_string(value)}); }
    void flag(std::string key, bool value) { fields_.push_back({std::move(key), value ? "true" : "false"}); }

    std::string json() const {
        std::string line = "{";
        for (std::size_t i = 0; i < fields_.size(); ++i)
            line += (i ? ", \"" : "\"") + fields_[i].first + "\": " + fields_[i].second;
        return line + "}\n";
    }
    std::string human() const {
        std::string lines;
        for (const auto& [key, value] : fields_) {
            const bool isText = !value.empty() && value[0] == '"';
            lines += key + ": " + (isText ? unquoted(value) : value) + "\n";
        }
        return lines;
    }

  private:
    static std::string quoted(std::string_view value) {
        std::string out = "\"";
        for (const char c : value) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                out += escape;
            } else {
                out += c;
            }
        }
        return out + "\"";
    }
    // The text form shows the value as it stands (JSON escapes of control bytes stay escaped).
    static std::string unquoted(const std::string& value) {
        std::string out;
        for (std::size_t i = 1; i + 1 < value.size(); ++i) {
            if (value[i] == '\\' && (value[i + 1] == '"' || value[i + 1] == '\\'))
                ++i;
            out += value[i];
        }
        return out;
    }
    std::vector<std::pair<std::string, std::string>> fields_;
};

struct Failure {
    int code;
    std::string message;
};

Failure outcomeFailure(Outcome outcome) {
    if (const TextTwin* text = printer::failureText(outcome)) {
        const int code = outcome == Outcome::NoResponse         ? kExitNoResponse
                         : outcome == Outcome::UnknownEmulation ? kExitUnknownEmulation
                                                                : kExitNotSent;
        return {code, std::string(text->english)};
    }
    switch (outcome) {
        case Outcome::Unsupported:
            return {kExitUnsupported, "the printer's emulation takes no such command: nothing was sent"};
        case Outcome::Refused:
            return {kExitRefused, "the value has no byte on the wire: nothing was sent"};
        case Outcome::BadReply:
            return {kExitFailed, "the printer's answer is too short"};
        default:
            return {kExitDone, ""};
    }
}

// An open connection to one printer, identified.
struct Connection {
    PrinterSession& session;
    Report& report;
    std::string refusal = {};  // why a value the printer's own lists decide was refused
};

// A command planned from its arguments, run once the printer is open and identified. It returns the
// operation's outcome; anything it learnt goes into the report.
using Action = std::function<Outcome(Connection&)>;
struct Plan {
    Action action;
    std::optional<Failure> refused = std::nullopt;  // a bad argument: nothing is opened or sent
};

Plan refuse(std::string message) {
    return {{}, Failure{kExitRefused, std::move(message)}};
}

template <std::size_t N>
std::vector<std::string_view> names(const std::array<std::string_view, N>& list) {
    return {list.begin(), list.end()};
}

// "KEY=VALUE" words into a map; nothing when a word has no '='.
std::optional<std::map<std::string, std::string>> keyValues(const std::vector<std::string>& words,
                                                            std::size_t from, std::string& bad) {
    std::map<std::string, std::string> pairs;
    for (std::size_t i = from; i < words.size(); ++i) {
        const auto equals = words[i].find('=');
        if (equals == std::string::npos || equals == 0) {
            bad = words[i];
            return std::nullopt;
        }
        pairs[words[i].substr(0, equals)] = words[i].substr(equals + 1);
    }
    return pairs;
}

std::string_view word(const std::vector<std::string>& words, std::size_t i) {
    return i < words.size() ? std::string_view(words[i]) : std::string_view();
}

Plan planPowerSave(const std::vector<std::string>& words) {
    static const std::vector<std::string_view> kShort = {"off", "power-off", "power-save"};
    auto mode = positionIn(kShort, word(words, 2));
    if (!mode)
        mode = positionIn(names(kPowerSaveModes), word(words, 2));
    if (!mode)
        return refuse("set power-save: the mode is off, power-off or power-save");
    int minutes = 0;
    if (words.size() > 3) {
        const auto number = parseNumber(words[3]);
        if (!number || *number < 0 || *number > 255)
            return refuse("MINUTES: " + std::string(printer::kMinutesOutOfRangeText.english));
        minutes = *number;
    }
    return {[mode = *mode, minutes](Connection& c) {
        c.report.number("power-save-mode", mode);
        c.report.number("minutes", minutes);
        return printer::setPowerSave(c.session.exchange, mode, minutes).outcome;
    }};
}

Plan planCodePage(const std::vector<std::string>& words) {
    const std::string text(word(words, 2));
    if (text.empty())
        return refuse("set code-page: a code page name or position is needed");
    return {[text](Connection& c) {
        const int kind = c.session.emulationKind;
        const auto list = kind == kEpl ? names(kEplCodePages) : names(kGeneralCodePages);
        auto position = positionIn(list, text);
        if (!position) {
            const auto number = parseNumber(text);
            if (number && *number >= 0 && *number < static_cast<int>(list.size()))
                position = number;
        }
        if (!position) {
            c.refusal =
                "set code-page: " + text + " is not in the code page list of this printer's emulation";
            return Outcome::Refused;
        }
        c.report.text("code-page", list[static_cast<std::size_t>(*position)]);
        return printer::setCodePage(c.session.exchange, kind, *position).outcome;
    }};
}

Plan planDensity(const std::vector<std::string>& words) {
    static const std::vector<std::string_view> kShort = {"-1", "0", "+1", "+2", "+3"};
    auto position = positionIn(kShort, word(words, 2));
    if (!position)
        position = positionIn(names(kDensityNames), word(words, 2));
    if (!position)
        return refuse("set density: the density is -1, 0, +1, +2 or +3");
    return {[position = *position](Connection& c) {
        c.report.text("density", kDensityNames[static_cast<std::size_t>(position)]);
        return printer::setDensity(c.session.exchange, position).outcome;
    }};
}

Plan planMedia(const std::vector<std::string>& words, int sensor) {
    static const std::vector<std::string_view> kKinds = {"gap", "black-mark", "continuous"};
    const auto kind = positionIn(kKinds, word(words, 2));
    if (!kind)
        return refuse("set media: the media is gap, black-mark or continuous");
    return {[kind = *kind, sensor](Connection& c) {
        c.report.text("media", kKinds[static_cast<std::size_t>(kind)]);
        return printer::setMedia(c.session.exchange, static_cast<printer::MediaKind>(kind), sensor).outcome;
    }};
}

Plan planCalibrate(const std::vector<std::string>& words) {
    static const std::vector<std::string_view> kKinds = {"gap", "black-mark"};
    const auto kind = positionIn(kKinds, word(words, 1));
    if (!kind)
        return refuse("calibrate: gap or black-mark");
    return {[kind = *kind](Connection& c) {
        return printer::calibrate(c.session.exchange, static_cast<printer::Calibration>(kind)).outcome;
    }};
}

Plan planEmulationSwitch(const std::vector<std::string>& words) {
    static const std::vector<std::string_view> kTargets = {"cpcl", "escpos"};
    auto target = positionIn(kTargets, word(words, 2));
    if (!target && word(words, 2) == "ESC/POS")
        target = 1;
    if (!target)
        return refuse("set emulation: cpcl or escpos");
    return {[target = *target](Connection& c) {
        const PrinterResult result = printer::switchEmulation(c.session.exchange, c.session.emulationKind,
                                                              static_cast<printer::SwitchTarget>(target));
        if (result.emulation)
            c.report.text("emulation", emulationName(*result.emulation));
        return result.outcome;
    }};
}

Plan planSerialLine(const std::vector<std::string>& words) {
    std::string bad;
    const auto pairs = keyValues(words, 2, bad);
    if (!pairs)
        return refuse("set serial-line: " + bad + " is not KEY=VALUE");
    // The same checks as the command line's own line options.
    std::vector<std::string> args = {"ignored"};
    for (const auto& [key, value] : *pairs) {
        if (key != "baud" && key != "data-bits" && key != "parity" && key != "stop-bits" && key != "flow")
            return refuse("set serial-line: unknown key " + key);
        args.push_back("--" + key);
        args.push_back(value);
    }
    const ParsedRequest parsed = parseArguments(args);
    if (!parsed.request)
        return refuse("set serial-line " + parsed.error.substr(2));
    return {[line = parsed.request->line](Connection& c) {
        c.report.number("baud", line.baud);
        return printer::saveSerialLine(c.session.exchange, c.session.emulationKind, line).outcome;
    }};
}

Plan planCompatible(const std::vector<std::string>& words) {
    const auto on = parseSwitch(word(words, 2));
    if (!on)
        return refuse("set compatible: on or off");
    return {[on = *on](Connection& c) {
        return printer::setCompatibleMode(c.session.exchange, c.session.emulationKind, on ? 1 : 0).outcome;
    }};
}

// The advanced options by name, as OptionValues holds them.
int* optionField(printer::OptionValues& values, std::string_view key) {
    if (key == "language")
        return &values.language;
    if (key == "error-clear")
        return &values.errorClear;
    if (key == "peeler")
        return &values.peeler;
    if (key == "left")
        return &values.left;
    if (key == "tof")
        return &values.tof;
    if (key == "top")
        return &values.top;
    if (key == "tone")
        return &values.tone;
    if (key == "direction")
        return &values.direction;
    return nullptr;
}

constexpr std::string_view kOptionKeys[] = {"language", "error-clear", "peeler", "left",
                                            "tof",      "top",         "tone",   "direction"};

void reportOptions(Report& report, printer::OptionValues values) {
    for (const auto key : kOptionKeys)
        report.number(std::string(key), *optionField(values, key));
}

// Reads the options; Done with `reply` set, or the failure.
Outcome readOptions(Connection& c, std::optional<printer::OptionsReply>& reply) {
    if (!printer::takesOptionCommands(c.session.emulationKind))
        return Outcome::Unsupported;
    const auto channel = printer::LinkCopyChannel::of(c.session);
    const printer::OptionsReadResult read = printer::readAdvancedOptions(*channel, c.session.emulationKind);
    reply = read.reply;
    return read.outcome;
}

Plan planGetAdvanced() {
    return {[](Connection& c) {
        std::optional<printer::OptionsReply> reply;
        const Outcome outcome = readOptions(c, reply);
        if (outcome == Outcome::Done && reply)
            reportOptions(c.report, reply->values);
        return outcome;
    }};
}

Plan planSetAdvanced(const std::vector<std::string>& words) {
    std::string bad;
    const auto pairs = keyValues(words, 2, bad);
    if (!pairs || pairs->empty())
        return refuse("set advanced: " +
                      (bad.empty() ? std::string("KEY=VALUE needed") : bad + " is not KEY=VALUE"));
    std::map<std::string, int> edits;
    for (const auto& [key, value] : *pairs) {
        printer::OptionValues probe;
        if (!optionField(probe, key))
            return refuse("set advanced: unknown key " + key);
        const auto number = parseNumber(value);
        if (!number || *number < 0 || *number > 254)
            return refuse(key + ": the value must be a number from 0 to 254");
        edits[key] = *number;
    }
    return {[edits](Connection& c) {
        std::optional<printer::OptionsReply> reply;
        const Outcome outcome = readOptions(c, reply);
        if (outcome != Outcome::Done || !reply)
            return outcome;
        printer::OptionValues edited = reply->values;
        for (const auto& [key, value] : edits)
            *optionField(edited, key) = value;
        const auto channel = printer::LinkCopyChannel::of(c.session);
        const PrinterResult saved = printer::saveAdvancedOptions(*channel, c.session.emulationKind,
                                                                 reply->values, edited, reply->block);
        if (saved.outcome == Outcome::Done)
            reportOptions(c.report, edited);
        return saved.outcome;
    }};
}

Plan planGetBluetooth() {
    return {[](Connection& c) {
        printer::ExchangeBluetoothTransport transport(c.session.exchange);
        const printer::BluetoothInfo info = printer::readBluetoothInfo(transport);
        if (info.address)
            c.report.text("bt-address", *info.address);
        if (info.discoverable)
            c.report.flag("discoverable", *info.discoverable);
        if (info.name)
            c.report.text("bt-name", *info.name);
        return info.result.outcome;
    }};
}

Plan planBluetoothName(const std::vector<std::string>& words) {
    if (words.size() < 3)
        return refuse("set bt-name: a name is needed");
    const std::string name = words[2];
    if (name.size() > 18)
        return refuse("NAME: " + std::string(printer::kBtNameTooLongText.english));
    return {[name](Connection& c) {
        printer::ExchangeBluetoothTransport transport(c.session.exchange);
        c.report.text("bt-name", name);
        return printer::setBluetoothName(transport, name).outcome;
    }};
}

// The PIN, from --secret-file only; four decimal digits as the main window takes them.
Plan planBluetoothPin(const Request& request, Deps& deps) {
    if (!request.secretFile)
        return refuse("set bt-pin: the PIN comes from --secret-file FILE or - (standard input)");
    auto secret = deps.readSecret(*request.secretFile);
    if (!secret)
        return refuse("--secret-file: cannot read " + *request.secretFile);
    while (!secret->empty() && (secret->back() == '\n' || secret->back() == '\r'))
        secret->pop_back();
    if (secret->size() != 4)
        return refuse("--secret-file: " + std::string(printer::kBtPinDecimalLengthText.english));
    for (const char c : *secret) {
        if (c < '0' || c > '9')
            return refuse("--secret-file: " + std::string(printer::kBtPinValueText.english));
    }
    return {[pin = *secret](Connection& c) {
        printer::ExchangeBluetoothTransport transport(c.session.exchange);
        return printer::setBluetoothPin(transport, pin).outcome;
    }};
}

Plan planBluetoothSwitch(const std::vector<std::string>& words) {
    using Setter = PrinterResult (*)(printer::BluetoothTransport&, bool);
    static const std::map<std::string_view, Setter> kSetters = {
        {"discoverable", &printer::setDiscoverable},
        {"auto-connection", &printer::setAutoConnection},
        {"ble", &printer::setBle},
        {"numeric-comparison", &printer::setNumericComparison},
    };
    const Setter setter = kSetters.at(words[1]);
    const auto on = parseSwitch(word(words, 2));
    if (!on)
        return refuse("set " + words[1] + ": on or off");
    return {[setter, on = *on, key = words[1]](Connection& c) {
        printer::ExchangeBluetoothTransport transport(c.session.exchange);
        c.report.flag(key, on);
        return setter(transport, on).outcome;
    }};
}

Plan planGet(const std::vector<std::string>& words) {
    const std::string_view what = word(words, 1);
    if (what == "emulation") {
        return {[](Connection& c) {
            const PrinterResult result = printer::readEmulation(c.session.exchange);
            if (result.emulation)
                c.report.text("emulation", emulationName(*result.emulation));
            return result.outcome;
        }};
    }
    if (what == "bluetooth")
        return planGetBluetooth();
    if (what == "advanced")
        return planGetAdvanced();
    return refuse("get: emulation, bluetooth or advanced");
}

Plan planSet(const Request& request, Deps& deps) {
    const auto& words = request.words;
    const std::string_view what = word(words, 1);
    if (what == "power-save")
        return planPowerSave(words);
    if (what == "code-page")
        return planCodePage(words);
    if (what == "density")
        return planDensity(words);
    if (what == "media")
        return planMedia(words, request.sensorPosition);
    if (what == "emulation")
        return planEmulationSwitch(words);
    if (what == "serial-line")
        return planSerialLine(words);
    if (what == "compatible")
        return planCompatible(words);
    if (what == "advanced")
        return planSetAdvanced(words);
    if (what == "bt-name")
        return planBluetoothName(words);
    if (what == "bt-pin")
        return planBluetoothPin(request, deps);
    if (what == "discoverable" || what == "auto-connection" || what == "ble" || what == "numeric-comparison")
        return planBluetoothSwitch(words);
    return refuse("set: unknown setting " + std::string(what));
}

std::optional<Plan> planPrinterCommand(const Request& request, Deps& deps) {
    const std::string_view command = word(request.words, 0);
    if (command == "identify")
        return Plan{[](Connection&) { return Outcome::Done; }};
    if (command == "get")
        return planGet(request.words);
    if (command == "set")
        return planSet(request, deps);
    if (command == "calibrate")
        return planCalibrate(request.words);
    if (command == "print-code-page")
        return Plan{[](Connection& c) { return printer::printCodePageSample(c.session.exchange).outcome; }};
    return std::nullopt;
}

// Writes the report and a failure's message; the exit code.
int finish(const Request& request, Report& report, const Failure& failure, Output& output) {
    report.text("result", failure.code == kExitDone ? "done" : "failed");
    if (failure.code != kExitDone) {
        report.number("exit-code", failure.code);
        report.text("error", failure.message);
        output.err += "hollinctl: " + failure.message + "\n";
    }
    // A failure prints no success line: the text form shows nothing on standard output then.
    if (request.json)
        output.out += report.json();
    else if (failure.code == kExitDone)
        output.out += report.human();
    return failure.code;
}

// A port given as a device path is that device; COMn goes through the port map.
PrinterLink::PortResolver portResolver(Deps& deps) {
    return [&deps](std::string_view port) -> std::optional<std::string> {
        if (port.starts_with("/"))
            return std::string(port);
        return deps.ports.deviceFor(port);
    };
}

// A port that did not open: "cannot open PORT", then the device and the reason (with the remedy for a
// refusal) on a second line, as the windows say it.
Failure openFailed(const Request& request, const OpenFailure& why, bool usb) {
    return {kExitDeviceBusy, openFailureMessage("cannot open " + request.port, why,
                                                usb ? PortKind::Usb : PortKind::Serial, kLanguageEnglish)};
}

// A port a print queue prints to is not opened, as the windows refuse it.
std::optional<Failure> heldByPrintQueue(const Request& request, Deps& deps) {
    DriverPortBuffers held;
    if (checkDriverPort(deps.spooler, request.port, held).conflict != 1)
        return std::nullopt;
    return Failure{kExitDeviceBusy, driverConflictMessage(held, 0).text};
}

int runOnPrinter(const Request& request, Deps& deps, const Plan& plan, Output& output) {
    Report report;
    report.text("port", request.port);
    PrinterSession session(deps.clock, deps.serialPorts, portResolver(deps), deps.usbFinder);
    if (const auto held = heldByPrintQueue(request, deps))
        return finish(request, report, *held, output);
    const bool usb = request.port == "USB";
    const auto& line = request.line;
    const bool opened =
        usb ? session.openUsb(request.port)
            : session.openSerial(request.port, static_cast<std::uint32_t>(line.baud), line.parityPosition,
                                 line.dataBitsPosition, line.stopBitsPosition, line.flowPosition);
    if (!opened)
        return finish(
            request, report,
            openFailed(request, usb ? session.usb.openFailure() : session.serial.openFailure(), usb), output);

    const PrinterResult identity = printer::identifyPrinter(session.exchange);
    Failure failure = outcomeFailure(identity.outcome);
    if (failure.code == kExitDone) {
        session.emulationKind = *identity.emulation;
        session.modelIndex = identity.model.value_or(0);
        report.text("emulation", emulationName(session.emulationKind));
        if (identity.model)
            report.number("model", *identity.model);
        Connection connection{session, report};
        failure = outcomeFailure(plan.action(connection));
        if (!connection.refusal.empty())
            failure.message = connection.refusal;
    }
    session.closeLink();
    return finish(request, report, failure, output);
}

std::string macText(const netcfg::Mac& mac) {
    std::string text;
    for (std::size_t i = 0; i < mac.size(); ++i) {
        char part[4];
        std::snprintf(part, sizeof part, i ? ":%02X" : "%02X", mac[i]);
        text += part;
    }
    return text;
}

std::string dotted(const std::array<std::uint8_t, 4>& address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) +
           "." + std::to_string(address[3]);
}

int runNetSearch(const Request& request, Deps& deps, Output& output) {
    std::optional<Ipv4> directed;
    if (request.directed) {
        directed = netcfg::parseIpv4(*request.directed);
        if (!directed) {
            output.err += "hollinctl: --directed: " + *request.directed + " is no IPv4 address\n";
            return kExitRefused;
        }
    }
    netcfg::PayloadStores stores;
    netcfg::NetworkContext context{
        .network = deps.network,
        .clock = deps.clock,
        .stores = stores,
        .broadcast = netcfg::broadcastSetting(request.broadcast, deps.broadcastEnvironment),
    };
    if (!context.broadcast.address && !directed) {
        output.err += "hollinctl: " + context.broadcast.error + "\n";
        return kExitRefused;
    }
    const netcfg::SearchResult found = netcfg::searchDevices(
        context, directed ? netcfg::kDirected : netcfg::kBroadcast, directed.value_or(0));
    if (found.error != 0) {
        output.err += "hollinctl: the network search failed (error " + std::to_string(found.error) + ")\n";
        return kExitNetwork;
    }
    for (const auto& record : found.records) {
        Report report;
        report.text("mac", macText(record.mac));
        report.text("ip", dotted(record.ipAddress));
        report.text("netmask", dotted(record.netmask));
        report.text("gateway", dotted(record.gateway));
        output.out += request.json ? report.json() : report.human() + "\n";
    }
    if (!request.json)
        output.out += std::to_string(found.records.size()) + " device(s) found\n";
    return kExitDone;
}

int runPorts(const Request& request, Deps& deps, Output& output) {
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "COM" + std::to_string(n);
        const auto device = deps.ports.deviceFor(name);
        if (!device)
            continue;
        Report report;
        report.text("port", name);
        report.text("device", *device);
        output.out += request.json ? report.json() : name + " " + *device + "\n";
    }
    for (const auto& node : deps.usbNodes()) {
        Report report;
        report.text("port", "USB");
        report.text("device", node);
        output.out += request.json ? report.json() : "USB " + node + "\n";
    }
    return kExitDone;
}

bool notYet(std::string_view command, std::string_view sub) {
    return command == "font" || command == "profile" ||
           (command == "wifi" && sub != "get" && sub != "reset") || (command == "net" && sub == "save");
}

Failure moduleFailure(wifi::ModuleOutcome outcome) {
    switch (outcome) {
        case wifi::ModuleOutcome::Done:
            return {kExitDone, ""};
        case wifi::ModuleOutcome::NotSent:
            return {kExitNotSent, "Sending ERROR"};
        case wifi::ModuleOutcome::NoResponse:
            return {kExitNoResponse, "the Wi-Fi module did not answer"};
        case wifi::ModuleOutcome::BadReply:
            return {kExitFailed, "the Wi-Fi module's answer failed its check"};
        case wifi::ModuleOutcome::Unsupported:
            break;
    }
    return {kExitUnsupported, "this Wi-Fi module takes no such command: nothing was sent"};
}

// "C0A80001" (first octet first) as "192.168.0.1"; the text itself when it is no such form.
std::string dottedHex(const std::string& hex) {
    if (hex.size() != 8)
        return hex;
    std::array<std::uint8_t, 4> octets{};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto [end, ec] = std::from_chars(hex.data() + 2 * i, hex.data() + 2 * i + 2, octets[i], 16);
        if (ec != std::errc() || end != hex.data() + 2 * i + 2)
            return hex;
    }
    return dotted(octets);
}

// What Get Wi-Fi Information shows, without any key or pass phrase.
void reportSollae(wifi::ModuleExchange& exchange, Report& report, wifi::ModuleOutcome& outcome) {
    wifi::SollaeSettings settings;
    outcome = wifi::readSollaeSettings(exchange, settings).outcome;
    if (outcome == wifi::ModuleOutcome::Done) {
        report.text("mac", settings.mac);
        report.text("ssid", settings.ssid);
        report.flag("dhcp", settings.dhcp);
        report.text("ip", dotted(settings.ip));
        report.text("netmask", dotted(settings.netmask));
        report.text("gateway", dotted(settings.gateway));
        report.number("tcp-port", settings.tcpPort);
    }
}

void reportRecord(wifi::ModuleExchange& exchange, Report& report, wifi::ModuleOutcome& outcome) {
    const wifi::RecordReadResult read = wifi::readModuleRecord(exchange);
    outcome = read.outcome;
    if (outcome != wifi::ModuleOutcome::Done || !read.record)
        return;
    const wifi::WifiSettingsRecord& record = *read.record;
    report.text("mac", record.macText());
    report.text("ssid", record.line(wifi::field::kSsid));
    report.flag("dhcp", record.text(wifi::field::kDhcp) == "1");
    report.text("ip", dottedHex(record.text(wifi::field::kIp)));
    report.text("netmask", dottedHex(record.text(wifi::field::kSubnet)));
    report.text("gateway", dottedHex(record.text(wifi::field::kGateway)));
}

// wifi get / wifi reset over the printer's Wi-Fi module, on a link of its own as the Wi-Fi window opens.
int runWifi(const Request& request, Deps& deps, Output& output) {
    Report report;
    report.text("port", request.port);
    if (const auto held = heldByPrintQueue(request, deps))
        return finish(request, report, *held, output);
    PrinterLink serial(deps.clock, deps.serialPorts, portResolver(deps));
    UsbLink usb(deps.usbFinder, deps.clock);
    wifi::ModuleExchange exchange(serial, usb, deps.clock);
    const bool isUsb = request.port == "USB";
    const auto& line = request.line;
    exchange.setLinkKind(isUsb ? wifi::kWifiLinkUsb : wifi::kWifiLinkSerial);
    exchange.setLineRate(static_cast<std::uint32_t>(line.baud));
    const bool opened =
        isUsb ? usb.Open(request.port) == 0
              : serial.Open(request.port, static_cast<std::uint32_t>(line.baud), line.parityPosition,
                            line.dataBitsPosition, line.stopBitsPosition, line.flowPosition) == 0;
    auto close = [&] { isUsb ? static_cast<void>(usb.Close()) : serial.Close(); };
    if (!opened) {
        close();
        return finish(request, report,
                      openFailed(request, isUsb ? usb.openFailure() : serial.openFailure(), isUsb), output);
    }
    const wifi::OpenModuleResult module = wifi::openModule(exchange, deps.clock);
    if (module.outcome != wifi::ModuleOutcome::Done) {
        close();
        return finish(request, report, {kExitNoResponse, "the Wi-Fi module did not enter ISP mode"}, output);
    }
    report.text("module", wifi::moduleKindName(module.kind));
    wifi::ModuleOutcome outcome = wifi::ModuleOutcome::Done;
    if (word(request.words, 1) == "reset")
        outcome = wifi::resetModule(exchange, module.kind, deps.clock);
    else if (module.kind == wifi::kModuleSollae)
        reportSollae(exchange, report, outcome);
    else
        reportRecord(exchange, report, outcome);
    exchange.leaveIspMode();
    close();
    return finish(request, report, moduleFailure(outcome), output);
}

}  // namespace

int run(const Request& request, Deps& deps, Output& output) {
    if (request.help) {
        output.out += helpText();
        return kExitDone;
    }
    if (request.version) {
        output.out += versionText();
        return kExitDone;
    }
    const std::string_view command = word(request.words, 0);
    if (command == "ports")
        return runPorts(request, deps, output);
    if (command == "net" && word(request.words, 1) == "search")
        return runNetSearch(request, deps, output);
    if (command == "wifi" && !notYet(command, word(request.words, 1)))
        return runWifi(request, deps, output);
    if (notYet(command, word(request.words, 1))) {
        output.err += "hollinctl: " + std::string(command) + ": not yet available on the command line\n";
        return kExitNotYet;
    }
    const auto plan = planPrinterCommand(request, deps);
    if (!plan) {
        output.err +=
            "hollinctl: unknown command " + std::string(command) + " (hollinctl --help lists them)\n";
        return kExitRefused;
    }
    if (plan->refused) {
        output.err += "hollinctl: " + plan->refused->message + "\n";
        return plan->refused->code;
    }
    return runOnPrinter(request, deps, *plan, output);
}

}  // namespace hollin::cli
