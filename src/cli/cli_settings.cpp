// hollinctl's printer settings: get, set, calibrate and print-code-page, each planned from its
// arguments and every value checked before the port opens.
#include <map>

#include "cli/cli_internal.h"
#include "printer/advanced_options_operations.h"
#include "printer/bluetooth_operations.h"
#include "printer/option_lists.h"
#include "printer/printer_commands.h"
#include "transport/byte_channel.h"

namespace hollin::cli {
namespace {

using printer::PrinterResult;

template <std::size_t N>
std::vector<std::string_view> names(const std::array<std::string_view, N>& list) {
    return {list.begin(), list.end()};
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
        if (!number || !printer::powerSaveMinutesAccepted(*number))
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
    if (const TextTwin* refusal = printer::checkBluetoothName(name))
        return refuse("NAME: " + std::string(refusal->english));
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
    if (const TextTwin* refusal = printer::checkBluetoothPin(*secret, printer::PinRule::FourDigits))
        return refuse("--secret-file: " + std::string(refusal->english));
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

}  // namespace

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
    if (command == "font")
        return planFont(request, deps);
    if (command == "print-code-page")
        return Plan{[](Connection& c) { return printer::printCodePageSample(c.session.exchange).outcome; }};
    return std::nullopt;
}

}  // namespace hollin::cli
