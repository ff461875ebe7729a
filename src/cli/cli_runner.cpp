#include "cli/cli_runner.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "cli/cli_internal.h"
#include "link/device_watch.h"
#include "link/open_failure.h"
#include "link/open_link.h"
#include "netcfg/exchange.h"
#include "netprinters/network_printers.h"
#include "printer/printer_commands.h"

namespace hollin::cli {
namespace {

using printer::PrinterResult;
using printer::PrinterSession;

// The text form shows the value as it stands (JSON escapes of control bytes stay escaped).
std::string unquoted(const std::string& value) {
    std::string out;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && (value[i + 1] == '"' || value[i + 1] == '\\'))
            ++i;
        out += value[i];
    }
    return out;
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
Failure openFailed(const Request& request, const OpenFailure& why, PortKind kind) {
    return {kExitDeviceBusy, openFailureMessage("cannot open " + request.port, why, kind, kLanguageEnglish)};
}

// A port a print queue prints to is not opened, as the windows refuse it.
std::optional<Failure> heldByPrintQueue(const Request& request, Deps& deps) {
    DriverPortBuffers held;
    if (checkDriverPort(deps.spooler, request.port, held).conflict != 1)
        return std::nullopt;
    return Failure{kExitDeviceBusy, driverConflictMessage(held, 0).text};
}

// The port kind the command line's --port names: "USB", or a serial port by any other name.
PortKind portKindOf(const Request& request) {
    return request.port == "USB" ? PortKind::Usb : PortKind::Serial;
}

LineCodes lineCodesOf(const Request& request) {
    const auto& line = request.line;
    return {static_cast<std::uint32_t>(line.baud), line.parityPosition, line.dataBitsPosition,
            line.stopBitsPosition, line.flowPosition};
}

// The COMn map and the USB printers, one line (or JSON object) each.
std::string portsText(const Request& request, Deps& deps) {
    std::string text;
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "COM" + std::to_string(n);
        const auto device = deps.ports.deviceFor(name);
        if (!device)
            continue;
        Report report;
        report.text("port", name);
        report.text("device", *device);
        text += request.json ? report.json() : name + " " + *device + "\n";
    }
    for (const auto& node : deps.usbNodes()) {
        Report report;
        report.text("port", "USB");
        report.text("device", node);
        text += request.json ? report.json() : "USB " + node + "\n";
    }
    return text;
}

// ports --watch: the map again after each settled change, until --for runs out (or the program is
// stopped). Each wait for the monitor lasts at most kWatchSliceMs.
int watchPorts(const Request& request, Deps& deps, Output& output) {
    constexpr std::uint32_t kWatchSliceMs = 200;
    const auto emit = [&](const std::string& text) {
        if (deps.emit)
            deps.emit(text);
        else
            output.out += text;
    };
    emit(portsText(request, deps));
    const std::uint32_t start = deps.clock.tickMs();
    // Without --for the watch ends only when the program is stopped.
    const bool limited = request.watchSeconds.has_value();
    const std::uint32_t limitMs = static_cast<std::uint32_t>(request.watchSeconds.value_or(0)) * 1000u;
    DeviceSettle settle;
    for (;;) {
        const std::uint32_t now = deps.clock.tickMs();
        const std::uint32_t elapsed = elapsedMs(start, now);
        if (limited && elapsed >= limitMs)
            return kExitDone;
        std::uint32_t slice = std::min(kWatchSliceMs, settle.remainingMs(now).value_or(kWatchSliceMs));
        if (limited)
            slice = std::min(slice, limitMs - elapsed);
        // A slice of 0: the change is due now (the limit returned above).
        if (slice > 0 && deps.deviceWatch->waitForEvents(slice) && deps.deviceWatch->takeEvents())
            settle.noteEvent(deps.clock.tickMs());
        if (settle.takeDue(deps.clock.tickMs())) {
            if (deps.refreshPorts)
                deps.refreshPorts();
            emit(request.json ? portsText(request, deps) : "--\n" + portsText(request, deps));
        }
    }
}

int runPorts(const Request& request, Deps& deps, Output& output) {
    if (!request.watch) {
        output.out += portsText(request, deps);
        return kExitDone;
    }
    if (deps.deviceWatch == nullptr) {
        output.err += "hollinctl: ports --watch: no device monitor (udev) on this system\n";
        return kExitDeviceBusy;
    }
    return watchPorts(request, deps, output);
}

// Secrets from --secret-file as KEY=VALUE lines; nothing when none was named. `failure` is set when
// the file cannot be read or holds another form.
std::optional<std::map<std::string, std::string>> secretPairs(const Request& request, Deps& deps,
                                                              std::optional<Failure>& failure) {
    if (!request.secretFile)
        return std::nullopt;
    const auto text = deps.readSecret(*request.secretFile);
    if (!text) {
        failure = Failure{kExitRefused, "--secret-file: cannot read " + *request.secretFile};
        return std::nullopt;
    }
    auto pairs = keyValueLines(*text);
    if (!pairs)
        failure = Failure{kExitRefused, "--secret-file: each line is KEY=VALUE"};
    return pairs;
}

int runWifi(const Request& request, Deps& deps, Output& output) {
    std::optional<Failure> failure;
    const auto secrets = secretPairs(request, deps, failure);
    if (failure) {
        output.err += "hollinctl: " + failure->message + "\n";
        return failure->code;
    }
    const ModulePlan plan = planWifi(request.words, secrets, deps);
    if (plan.refused) {
        output.err += "hollinctl: " + plan.refused->message + "\n";
        return plan.refused->code;
    }
    Report report;
    report.text("port", request.port);
    return finish(request, report, runOnModule(request, deps, plan.action, report), output);
}

int runNetSave(const Request& request, Deps& deps, Output& output) {
    std::optional<Failure> failure;
    const auto secrets = secretPairs(request, deps, failure);
    netcfg::PayloadStores stores;
    netcfg::NetworkContext context = networkContext(request, deps, stores);
    if (!failure)
        failure = networkTarget(request, context).refused;
    if (failure) {
        output.err += "hollinctl: " + failure->message + "\n";
        return failure->code;
    }
    const std::optional<Ipv4> directed = networkTarget(request, context).directed;
    Report report;
    const Failure saved =
        saveOnNetwork(request.words, secrets, context, directed ? netcfg::kDirected : netcfg::kBroadcast,
                      directed.value_or(0), report);
    return finish(request, report, saved, output);
}

}  // namespace

NetworkTarget networkTarget(const Request& request, const netcfg::NetworkContext& context) {
    NetworkTarget target;
    if (request.directed) {
        target.directed = netcfg::parseIpv4(*request.directed);
        if (!target.directed)
            target.refused =
                Failure{kExitRefused, "--directed: " + *request.directed + " is no IPv4 address"};
    }
    if (!target.refused && !context.broadcast.address && !target.directed)
        target.refused = Failure{kExitRefused, context.broadcast.error};
    return target;
}

netcfg::NetworkContext networkContext(const Request& request, Deps& deps, netcfg::PayloadStores& stores) {
    return netcfg::NetworkContext{
        .network = deps.network,
        .clock = deps.clock,
        .stores = stores,
        .broadcast = netcfg::broadcastSetting(request.broadcast, deps.broadcastEnvironment),
        .keyConstant = deps.networkKey,
    };
}

std::string Report::quoted(std::string_view value) {
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
std::string Report::json() const {
    std::string line = "{";
    for (std::size_t i = 0; i < fields_.size(); ++i)
        line += (i ? ", \"" : "\"") + fields_[i].first + "\": " + fields_[i].second;
    return line + "}\n";
}

std::string Report::human() const {
    std::string lines;
    for (const auto& [key, value] : fields_) {
        const bool isText = !value.empty() && value[0] == '"';
        lines += key + ": " + (isText ? unquoted(value) : value) + "\n";
    }
    return lines;
}

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

Failure moduleFailure(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done:
            return {kExitDone, ""};
        case Outcome::NotSent:
            return {kExitNotSent, "Sending ERROR"};
        case Outcome::NoResponse:
            return {kExitNoResponse, "the Wi-Fi module did not answer"};
        case Outcome::BadReply:
            return {kExitFailed, "the Wi-Fi module's answer failed its check"};
        case Outcome::Unsupported:
        case Outcome::UnknownEmulation:
        case Outcome::Refused:
            break;
    }
    return {kExitUnsupported, "this Wi-Fi module takes no such command: nothing was sent"};
}
Plan refuse(std::string message) {
    return {{}, Failure{kExitRefused, std::move(message)}};
}

std::string_view word(const std::vector<std::string>& words, std::size_t i) {
    return i < words.size() ? std::string_view(words[i]) : std::string_view();
}

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

std::optional<std::map<std::string, std::string>> keyValueLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = std::min(text.find('\n', start), text.size());
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
        start = end + 1;
    }
    std::string bad;
    return keyValues(lines, 0, bad);
}

void showProgress(Deps& deps, std::string_view what, int percent) {
    if (deps.progress)
        deps.progress(what, percent);
}

std::function<void(int)> progressUntilDone(Deps& deps, std::string what) {
    return [&deps, what = std::move(what)](int percent) {
        if (percent < 100)
            showProgress(deps, what, percent);
    };
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

Failure runPlans(const Request& request, Deps& deps, const std::vector<Plan>& plans, Report& report) {
    if (const auto held = heldByPrintQueue(request, deps))
        return *held;
    PrinterSession session(deps.clock, deps.serialPorts, portResolver(deps), deps.usbFinder);
    if (!session.open(portKindOf(request), request.port, lineCodesOf(request)))
        return openFailed(request, session.link()->openFailure(), portKindOf(request));
    const PrinterResult identity = printer::identifyPrinter(session.exchange);
    Failure failure = outcomeFailure(identity.outcome);
    if (failure.code == kExitDone) {
        session.emulationKind = *identity.emulation;
        session.modelIndex = identity.model.value_or(0);
        report.text("emulation", emulationName(session.emulationKind));
        if (identity.model)
            report.number("model", *identity.model);
        for (const Plan& plan : plans) {
            Connection connection{session, report, deps, request};
            failure = outcomeFailure(plan.action(connection));
            if (!connection.refusal.empty())
                failure.message = connection.refusal;
            if (failure.code != kExitDone)
                break;
        }
    }
    session.closeLink();
    return failure;
}

Failure runOnModule(const Request& request, Deps& deps, const ModuleAction& action, Report& report) {
    if (const auto held = heldByPrintQueue(request, deps))
        return *held;
    PrinterLink serial(deps.clock, deps.serialPorts, portResolver(deps));
    UsbLink usb(deps.usbFinder, deps.clock);
    wifi::ModuleExchange exchange(deps.clock);
    const PortKind kind = portKindOf(request);
    exchange.setLineRate(static_cast<std::uint32_t>(request.line.baud));
    Link& link = openLink(serial, usb, kind, request.port, lineCodesOf(request));
    exchange.setLink(&link);
    if (!link.isOpen())
        return openFailed(request, link.openFailure(), kind);
    auto close = [&link] { link.close(); };
    const wifi::OpenModuleResult module = wifi::openModule(exchange, deps.clock);
    if (module.outcome != Outcome::Done) {
        close();
        return {kExitNoResponse, "the Wi-Fi module did not enter ISP mode"};
    }
    report.text("module", wifi::moduleKindName(module.kind));
    const Failure failure = action(exchange, module.kind, report);
    exchange.leaveIspMode();
    close();
    return failure;
}

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
    if (command == "net" && word(request.words, 1) == "save")
        return runNetSave(request, deps, output);
    if (command == "net" && word(request.words, 1) == "apply")
        return runNetApply(request, deps, output);
    if (command == "cups")
        return runCups(request, deps, output);
    if (command == "wifi")
        return runWifi(request, deps, output);
    if (command == "profile")
        return runProfile(request, deps, output);
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
    Report report;
    report.text("port", request.port);
    return finish(request, report, runPlans(request, deps, {*plan}, report), output);
}

}  // namespace hollin::cli
