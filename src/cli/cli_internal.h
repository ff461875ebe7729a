#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_request.h"
#include "cli/cli_runner.h"
#include "netcfg/exchange.h"
#include "netprinters/network_printers.h"
#include "printer/printer_operations.h"
#include "transport/printer_session.h"
#include "wifi/module_operations.h"
#include "wificodec/record_save.h"

// What hollinctl's commands share: the report of one printer, failures and their exit codes, and a
// command planned from its arguments before any port opens.
namespace hollin::cli {

// What one printer (or one network device) reported: fields in order, shown as text or JSON.
class Report {
  public:
    void text(std::string key, std::string_view value) { fields_.push_back({std::move(key), quoted(value)}); }
    void number(std::string key, long value) { fields_.push_back({std::move(key), std::to_string(value)}); }
    void flag(std::string key, bool value) { fields_.push_back({std::move(key), value ? "true" : "false"}); }

    std::string json() const;
    std::string human() const;

    static std::string quoted(std::string_view value);
    // Each field as key and JSON value.
    const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

  private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

struct Failure {
    int code;
    std::string message;
};

Failure outcomeFailure(Outcome outcome);
Failure moduleFailure(Outcome outcome);

// An open connection to one printer, identified.
struct Connection {
    printer::PrinterSession& session;
    Report& report;
    Deps& deps;
    const Request& request;
    std::string refusal = {};  // why a value the printer's own lists decide was refused
};

// A command planned from its arguments, run once the printer is open and identified. It returns the
// operation's outcome; anything it learnt goes into the report.
using Action = std::function<Outcome(Connection&)>;
struct Plan {
    Action action;
    std::optional<Failure> refused = std::nullopt;  // a bad argument: nothing is opened or sent
};
Plan refuse(std::string message);

// What is done with the printer's Wi-Fi module once it is in ISP mode.
using ModuleAction =
    std::function<Failure(wifi::ModuleExchange& exchange, wifi::ModuleKind kind, Report& report)>;

std::string_view word(const std::vector<std::string>& words, std::size_t i);
// "KEY=VALUE" words from `from` on into a map; nothing when a word has no '=' (`bad` names it).
std::optional<std::map<std::string, std::string>> keyValues(const std::vector<std::string>& words,
                                                            std::size_t from, std::string& bad);
// "KEY=VALUE" lines (a secret file); blank lines are skipped, a line without '=' makes it nothing.
std::optional<std::map<std::string, std::string>> keyValueLines(std::string_view text);

// Opens the printer of `request.port`, identifies it and runs the plans in turn, stopping at the
// first that fails; the port is closed again.
Failure runPlans(const Request& request, Deps& deps, const std::vector<Plan>& plans, Report& report);
// Opens the port as the Wi-Fi window does, puts the module in ISP mode and runs the action.
Failure runOnModule(const Request& request, Deps& deps, const ModuleAction& action, Report& report);
// Writes the report and a failure's message; the exit code.
int finish(const Request& request, Report& report, const Failure& failure, Output& output);

// --- the commands of each family (cli_settings.cpp, cli_fonts.cpp, cli_wifi.cpp, cli_profile.cpp)
std::optional<Plan> planPrinterCommand(const Request& request, Deps& deps);
Plan planFont(const Request& request, Deps& deps);
// wifi get | reset | set | enterprise, checked before anything opens.
struct ModulePlan {
    ModuleAction action;
    std::optional<Failure> refused = std::nullopt;
};
ModulePlan planWifi(const std::vector<std::string>& words,
                    const std::optional<std::map<std::string, std::string>>& secrets, Deps& deps);
// Reads the module's settings into the report (never a key); the keys come back apart.
struct WifiReading {
    std::string wpaKey, wepKey;
};
std::optional<WifiReading> readWifi(wifi::ModuleExchange& exchange, wifi::ModuleKind kind, Report& report,
                                    Failure& failure);
int runProfile(const Request& request, Deps& deps, Output& output);
// net save MAC KEY=VALUE...: every value checked, then the printer searched for by its MAC (both
// protocols) and the form over what it answered written to it.
Failure saveOnNetwork(const std::vector<std::string>& words,
                      const std::optional<std::map<std::string, std::string>>& secrets,
                      netcfg::NetworkContext& context, int kind, Ipv4 directed, Report& report);

// --- the network form (cli_wifi.cpp), shared by net save and net apply
using Pairs = std::map<std::string, std::string>;
// The keys and values net save takes (arguments and secrets), each checked; the refusal or nothing.
std::optional<Failure> checkNetworkPairs(const Pairs& args, const std::optional<Pairs>& secrets,
                                         const std::string& command);
// The form a found printer gives, as the window shows it.
wifi::RecordForm shownNetworkForm(const wifi::NetworkPrinter& printer);
// That form with checked pairs over it; nothing, and `refused` set, when its final values break a rule.
std::optional<wifi::RecordForm> editedNetworkForm(const wifi::NetworkPrinter& printer, const Pairs& all,
                                                  std::optional<Failure>& refused);
// What a save's result means for the command line.
Failure networkSaveFailure(const wifi::NetworkSaveResult& result);
// The fields that differ between two forms; keys have empty texts (they are only "changed").
struct FieldChange {
    std::string key, before, after;
};
std::vector<FieldChange> networkFormChanges(const wifi::RecordForm& before, const wifi::RecordForm& after);
// net search (every answer, sorted by IP; text, --json or --csv) and net apply (cli_net.cpp).
int runNetSearch(const Request& request, Deps& deps, Output& output);
int runNetApply(const Request& request, Deps& deps, Output& output);

// Where a network command sends: --directed ADDR, else the broadcast setting. A failure when neither
// is usable.
struct NetworkTarget {
    std::optional<Ipv4> directed;
    std::optional<Failure> refused;
};
NetworkTarget networkTarget(const Request& request, const netcfg::NetworkContext& context);
netcfg::NetworkContext networkContext(const Request& request, Deps& deps, netcfg::PayloadStores& stores);
// cups add MAC|IP[:PORT] [--name NAME] and cups list: print queues for network printers.
int runCups(const Request& request, Deps& deps, Output& output);

// Shows a progress line (only when the program has a terminal for it).
void showProgress(Deps& deps, std::string_view what, int percent);
// An operation's progress below 100 shown as `what`; the caller shows 100 once the work is done.
std::function<void(int)> progressUntilDone(Deps& deps, std::string what);

}  // namespace hollin::cli
