// hollinctl profile save | apply: one JSON file read from a printer and written to many.
//
// {
//   "hollinctl-profile": 1,
//   "emulation": "CPCL",                                  the printer it was read from (not applied)
//   "bluetooth": {"bt-name": "Dock-7", "discoverable": true},
//   "advanced": {"language": 0, "tone": 6, ...},           the advanced options
//   "wifi": {"ssid": "HollinLab", "dhcp": true, ...},      `wifi set` keys
//   "wifi-secrets": {"wpa-key": "...", "wep-key": "..."},  only with --with-secrets
//   "settings": {"density": "+1", "power-save": "power-save 30", "ble": "on"}
// }
//
// "settings" holds what the printer does not report (added by hand): each member is a `set` command
// and its words. A printer's own address (Bluetooth address, MAC, IP address) is never saved.
#include <algorithm>
#include <set>

#include "cli/cli_internal.h"
#include "common/json_reader.h"
#include "printer/advanced_options_operations.h"

namespace hollin::cli {
namespace {

constexpr int kProfileVersion = 1;
// Fields of the readings that belong to one printer only, never copied to another.
const std::set<std::string, std::less<>> kOwnFields = {"bt-address", "mac", "ip", "port", "module"};

// A section of the profile: fields of a reading, as JSON.
std::string section(const Report& reading) {
    std::string text = "{";
    for (const auto& [key, value] : reading.fields()) {
        if (kOwnFields.contains(key))
            continue;
        text += (text.size() > 1 ? ", " : "") + Report::quoted(key) + ": " + value;
    }
    return text + "}";
}

// Runs the planned reading of `words` with its own report; an emulation that has no such reading
// leaves the report empty.
Outcome readInto(Connection& c, const std::vector<std::string>& words, Report& reading) {
    Request request = c.request;
    request.words = words;
    const auto plan = planPrinterCommand(request, c.deps);
    Connection inner{c.session, reading, c.deps, c.request};
    const Outcome outcome = plan->action(inner);
    return outcome == Outcome::Unsupported ? Outcome::Done : outcome;
}

int saveProfile(const Request& request, Deps& deps, Output& output) {
    if (request.words.size() != 3) {
        output.err += "hollinctl: profile save FILE\n";
        return kExitRefused;
    }
    Report report;
    report.text("port", request.port);
    Report bluetooth, advanced, wifi;
    std::string emulation;
    const Plan readAll{[&](Connection& c) {
        emulation = emulationName(c.session.emulationKind);
        const Outcome outcome = readInto(c, {"get", "bluetooth"}, bluetooth);
        if (outcome != Outcome::Done || !printer::takesOptionCommands(c.session.emulationKind))
            return outcome;
        return readInto(c, {"get", "advanced"}, advanced);
    }};
    Failure failure = runPlans(request, deps, {readAll}, report);
    if (failure.code != kExitDone)
        return finish(request, report, failure, output);
    std::optional<WifiReading> keys;
    Report moduleReport;
    const Failure moduleRead = runOnModule(
        request, deps,
        [&](wifi::ModuleExchange& exchange, wifi::ModuleKind kind, Report&) {
            Failure read{kExitDone, ""};
            keys = readWifi(exchange, kind, wifi, read);
            return read;
        },
        moduleReport);
    // A printer without a Wi-Fi module (or one that does not answer) gives a profile without Wi-Fi.
    report.text("wifi", keys ? "read" : "not read: " + moduleRead.message);

    std::string text = "{\n  \"hollinctl-profile\": " + std::to_string(kProfileVersion) +
                       ",\n  \"emulation\": " + Report::quoted(emulation) +
                       ",\n  \"bluetooth\": " + section(bluetooth);
    if (!advanced.fields().empty())
        text += ",\n  \"advanced\": " + section(advanced);
    if (keys) {
        text += ",\n  \"wifi\": " + section(wifi);
        if (request.withSecrets) {
            Report secrets;
            if (!keys->wpaKey.empty())
                secrets.text("wpa-key", keys->wpaKey);
            if (!keys->wepKey.empty())
                secrets.text("wep-key", keys->wepKey);
            text += ",\n  \"wifi-secrets\": " + section(secrets);
        }
    }
    text += "\n}\n";
    if (!deps.writeFile(request.words[2], text))
        failure = {kExitRefused, "profile save: cannot write " + request.words[2]};
    else
        report.text("profile", request.words[2]);
    return finish(request, report, failure, output);
}

// --- apply

// A profile value as command-line words: text split at blanks, a number as written, on/off.
std::optional<std::vector<std::string>> valueWords(const JsonValue& value) {
    if (const auto* flag = value.boolean())
        return std::vector<std::string>{*flag ? "on" : "off"};
    if (const auto* number = value.number())
        return std::vector<std::string>{number->text};
    const auto* text = value.string();
    if (text == nullptr)
        return std::nullopt;
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < text->size()) {
        const auto end = std::min(text->find(' ', start), text->size());
        if (end > start)
            words.push_back(text->substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// One value as a single word (a name keeps its blanks).
std::optional<std::string> valueWord(const JsonValue& value) {
    if (const auto* text = value.string())
        return *text;
    const auto words = valueWords(value);
    if (!words || words->size() != 1)
        return std::nullopt;
    return words->front();
}

// Everything a profile asks for, checked before any printer is touched.
struct ProfilePlans {
    std::vector<Plan> printer;
    std::optional<ModulePlan> module;
    std::string error;  // names the member and why, when something is refused
};

bool addPlan(ProfilePlans& plans, const Request& base, Deps& deps, std::vector<std::string> words,
             const std::string& member) {
    Request request = base;
    request.words = std::move(words);
    auto plan = planPrinterCommand(request, deps);
    if (!plan || plan->refused) {
        plans.error = member + ": " + (plan ? plan->refused->message : "no such setting");
        return false;
    }
    plans.printer.push_back(std::move(*plan));
    return true;
}

bool planSettings(ProfilePlans& plans, const JsonValue& settings, const Request& base, Deps& deps) {
    for (const auto& [key, value] : *settings.object()) {
        auto words = valueWords(value);
        if (!words) {
            plans.error = "settings." + key + ": a text, number or true/false";
            return false;
        }
        words->insert(words->begin(), {"set", key});
        if (!addPlan(plans, base, deps, std::move(*words), "settings." + key))
            return false;
    }
    return true;
}

bool planBluetooth(ProfilePlans& plans, const JsonValue& bluetooth, const Request& base, Deps& deps) {
    for (const auto& [key, value] : *bluetooth.object()) {
        if (kOwnFields.contains(key))
            continue;
        const auto text = valueWord(value);
        if (!text) {
            plans.error = "bluetooth." + key + ": a text or true/false";
            return false;
        }
        if (!addPlan(plans, base, deps, {"set", key, *text}, "bluetooth." + key))
            return false;
    }
    return true;
}

// "KEY=VALUE" words of an object's members.
std::optional<std::vector<std::string>> pairWords(const JsonValue& members, const std::string& name,
                                                  std::string& error) {
    std::vector<std::string> words;
    for (const auto& [key, value] : *members.object()) {
        if (kOwnFields.contains(key))
            continue;
        const auto text = valueWord(value);
        if (!text) {
            error = name + "." + key + ": a text, number or true/false";
            return std::nullopt;
        }
        words.push_back(key + "=" + *text);
    }
    return words;
}

ProfilePlans planProfile(const JsonValue& profile, const Request& base, Deps& deps) {
    ProfilePlans plans;
    const JsonValue* version = profile.member("hollinctl-profile");
    if (version == nullptr || !version->number() || version->number()->text != "1") {
        plans.error = "hollinctl-profile: this is no profile of version 1";
        return plans;
    }
    for (const auto& [key, value] : *profile.object()) {
        const bool known = key == "hollinctl-profile" || key == "emulation" || key == "settings" ||
                           key == "bluetooth" || key == "advanced" || key == "wifi" || key == "wifi-secrets";
        if (!known) {
            plans.error = key + ": no such part of a profile";
            return plans;
        }
        if (key != "hollinctl-profile" && key != "emulation" && !value.object()) {
            plans.error = key + ": an object of settings";
            return plans;
        }
    }
    if (const JsonValue* settings = profile.member("settings");
        settings && !planSettings(plans, *settings, base, deps))
        return plans;
    if (const JsonValue* bt = profile.member("bluetooth"); bt && !planBluetooth(plans, *bt, base, deps))
        return plans;
    if (const JsonValue* advanced = profile.member("advanced"); advanced && !advanced->object()->empty()) {
        auto words = pairWords(*advanced, "advanced", plans.error);
        if (!words)
            return plans;
        words->insert(words->begin(), {"set", "advanced"});
        if (!addPlan(plans, base, deps, std::move(*words), "advanced"))
            return plans;
    }
    const JsonValue* wifi = profile.member("wifi");
    const JsonValue* secrets = profile.member("wifi-secrets");
    if (wifi || secrets) {
        std::vector<std::string> words = {"wifi", "set"};
        if (wifi) {
            auto pairs = pairWords(*wifi, "wifi", plans.error);
            if (!pairs)
                return plans;
            words.insert(words.end(), pairs->begin(), pairs->end());
        }
        std::optional<std::map<std::string, std::string>> secretPairs;
        if (secrets) {
            std::string bad;
            auto lines = pairWords(*secrets, "wifi-secrets", plans.error);
            if (!lines)
                return plans;
            secretPairs = keyValues(*lines, 0, bad);
        }
        ModulePlan module = planWifi(words, secretPairs, deps);
        if (module.refused) {
            plans.error = "wifi: " + module.refused->message;
            return plans;
        }
        plans.module = std::move(module);
    }
    return plans;
}

// The printers to write to: --ports, --all-found (every COMn mapped, then USB when a USB printer is
// present), else --port.
std::vector<std::string> targetPorts(const Request& request, Deps& deps) {
    if (!request.ports.empty())
        return request.ports;
    if (!request.allFound)
        return {request.port};
    std::vector<std::string> ports;
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (deps.ports.deviceFor(name))
            ports.push_back(name);
    }
    if (!deps.usbNodes().empty())
        ports.push_back("USB");
    return ports;
}

int applyProfile(const Request& request, Deps& deps, Output& output) {
    if (request.words.size() != 3) {
        output.err += "hollinctl: profile apply FILE [--ports COM1,COM2,USB | --all-found]\n";
        return kExitRefused;
    }
    const std::string& path = request.words[2];
    const auto text = deps.readFile(path);
    if (!text) {
        output.err += "hollinctl: profile apply: cannot read " + path + "\n";
        return kExitRefused;
    }
    const JsonParse parsed = parseJson(*text);
    if (!parsed.value || !parsed.value->object()) {
        output.err +=
            "hollinctl: " + path + ": " + (parsed.value ? "a profile is a JSON object" : parsed.error) + "\n";
        return kExitRefused;
    }
    const ProfilePlans plans = planProfile(*parsed.value, request, deps);
    if (!plans.error.empty()) {
        output.err += "hollinctl: " + path + ": " + plans.error + "\n";
        return kExitRefused;
    }
    const std::vector<std::string> ports = targetPorts(request, deps);
    if (ports.empty()) {
        output.err += "hollinctl: profile apply: no printer found\n";
        return kExitDeviceBusy;
    }
    int code = kExitDone;
    std::size_t done = 0;
    for (const std::string& port : ports) {
        Request one = request;
        one.port = port;
        Report report;
        report.text("port", port);
        Failure failure = runPlans(one, deps, plans.printer, report);
        if (failure.code == kExitDone && plans.module)
            failure = runOnModule(one, deps, plans.module->action, report);
        // Each printer is reported; a failed one does not stop the others.
        const int result = finish(one, report, failure, output);
        if (result == kExitDone)
            ++done;
        else if (code == kExitDone)
            code = result;
    }
    if (!request.json)
        output.out += std::to_string(done) + " of " + std::to_string(ports.size()) + " printer(s) done\n";
    return code;
}

}  // namespace

int runProfile(const Request& request, Deps& deps, Output& output) {
    const std::string_view sub = word(request.words, 1);
    if (sub == "save")
        return saveProfile(request, deps, output);
    if (sub == "apply")
        return applyProfile(request, deps, output);
    output.err += "hollinctl: profile save FILE | profile apply FILE\n";
    return kExitRefused;
}

}  // namespace hollin::cli
