// hollinctl's fleet commands over the printers on the network: net search as an inventory (text, JSON
// lines or CSV, every answer, sorted by IP) and net apply of a profile to many printers at once.
#include <algorithm>
#include <limits>

#include "cli/cli_internal.h"
#include "common/json_reader.h"
#include "netprinters/network_apply.h"
#include "netprinters/network_inventory.h"
#include "netprinters/network_save.h"

namespace hollin::cli {
namespace {

struct Search {
    wifi::NetworkSearchResult found;
    int kind = netcfg::kBroadcast;
    std::optional<Failure> failure;
};

// Every printer of either protocol that answers, without the window's list limits.
Search searchAll(const Request& request, netcfg::NetworkContext& context) {
    Search search;
    const NetworkTarget target = networkTarget(request, context);
    if (target.refused) {
        search.failure = target.refused;
        return search;
    }
    const std::optional<Ipv4>& directed = target.directed;
    search.kind = directed ? netcfg::kDirected : netcfg::kBroadcast;
    context.searchLimit = std::numeric_limits<std::size_t>::max();
    search.found = wifi::searchNetworkPrinters(context, search.kind, directed.value_or(0), 500, {},
                                               std::numeric_limits<std::size_t>::max());
    if (search.found.textFailure)
        search.failure = Failure{kExitNetwork, search.found.textFailure->message};
    else if (search.found.error != 0 && search.found.printers.empty())
        search.failure = Failure{
            kExitNetwork, "the network search failed (error " + std::to_string(search.found.error) + ")"};
    return search;
}

int refused(Output& output, const Failure& failure) {
    output.err += "hollinctl: " + failure.message + "\n";
    return failure.code;
}

Report inventoryReport(const wifi::InventoryRow& row) {
    Report report;
    const std::vector<std::string> values = wifi::inventoryValues(row);
    const auto& columns = wifi::inventoryColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string key(columns[i]);
        if (key == "dhcp")
            report.flag(key, row.dhcp);
        else if (key == "channel")
            report.number(key, row.channel);
        else if (key == "tcp-port")
            report.number(key, row.tcpPort);
        else
            report.text(key, values[i]);
    }
    return report;
}

// --- net apply: the profile

struct NetProfile {
    Pairs settings;                          // the keys of net save, and the secrets
    std::map<std::string, Pairs> addresses;  // by MAC (twelve digits): ip, netmask, gateway, dns
};

std::optional<std::string> valueText(const JsonValue& value) {
    if (const auto* text = value.string())
        return *text;
    if (const auto* number = value.number())
        return number->text;
    if (const auto* flag = value.boolean())
        return std::string(*flag ? "on" : "off");
    return std::nullopt;
}

constexpr std::string_view kAddressKeys[] = {"ip", "netmask", "gateway", "dns"};

// The profile, every value checked as net save checks it (with each printer's addresses too).
std::optional<NetProfile> readNetProfile(const std::string& path, const std::optional<Pairs>& secrets,
                                         Deps& deps, Failure& failure) {
    const auto bad = [&](std::string why) {
        failure = {kExitRefused, path + ": " + std::move(why) + ": nothing was sent"};
        return std::nullopt;
    };
    const auto text = deps.readFile(path);
    if (!text)
        return bad("cannot read the file");
    const JsonParse parsed = parseJson(*text);
    if (!parsed.value || !parsed.value->object())
        return bad(parsed.value ? "a network profile is a JSON object" : parsed.error);
    NetProfile profile;
    for (const auto& [key, value] : *parsed.value->object()) {
        if (key == "addresses")
            continue;
        const auto valueString = valueText(value);
        if (!valueString)
            return bad(key + ": a text, a number, true or false");
        profile.settings[key] = *valueString;
    }
    if (const auto refusal = checkNetworkPairs(profile.settings, secrets, "net apply"))
        return bad(refusal->message);
    if (secrets)
        profile.settings.insert(secrets->begin(), secrets->end());
    if (const JsonValue* addresses = parsed.value->member("addresses")) {
        if (!addresses->object())
            return bad("addresses: an object of MAC: {\"ip\": ..., \"netmask\": ..., \"gateway\": ...}");
        for (const auto& [macText, entry] : *addresses->object()) {
            const auto mac = wifi::macDigits(macText);
            if (!mac || !entry.object())
                return bad("addresses: " + macText +
                           ": a MAC (00:1A:2B:3C:4D:5E) with an object of addresses");
            Pairs own;
            for (const auto& [key, value] : *entry.object()) {
                const auto valueString = valueText(value);
                if (std::find(std::begin(kAddressKeys), std::end(kAddressKeys), key) ==
                        std::end(kAddressKeys) ||
                    !valueString)
                    return bad("addresses: " + macText + ": " + key +
                               " is none of ip, netmask, gateway, dns");
                own[key] = *valueString;
            }
            if (const auto refusal = checkNetworkPairs(own, std::nullopt, "net apply"))
                return bad("addresses: " + macText + ": " + refusal->message);
            profile.addresses[*mac] = std::move(own);
        }
    }
    if (profile.settings.empty() && profile.addresses.empty())
        return bad("no setting to apply");
    return profile;
}

// The pairs for one printer: the profile's, and its own addresses over them.
Pairs pairsFor(const NetProfile& profile, const std::string& mac12) {
    Pairs pairs = profile.settings;
    if (const auto own = profile.addresses.find(mac12); own != profile.addresses.end())
        for (const auto& [key, value] : own->second)
            pairs[key] = value;
    return pairs;
}

struct Selected {
    std::vector<const wifi::NetworkPrinter*> printers;
    std::vector<std::string> missing;  // MACs asked for that no printer answered (as given, normalised)
};

std::optional<Selected> selectPrinters(const Request& request, const wifi::NetworkSearchResult& found,
                                       Failure& failure) {
    Selected selected;
    if (request.allPrinters) {
        for (const auto& printer : found.printers)
            selected.printers.push_back(&printer);
        return selected;
    }
    for (const std::string& text : request.macs) {
        const auto mac = wifi::macDigits(text);
        if (!mac) {
            failure = {kExitRefused, "--mac: " + text + " is not six two-digit hexadecimal parts"};
            return std::nullopt;
        }
        if (const wifi::NetworkPrinter* printer = wifi::findPrinter(found, *mac))
            selected.printers.push_back(printer);
        else
            selected.missing.push_back(*mac);
    }
    return selected;
}

std::string macWithColons(const std::string& mac12) {
    std::string text;
    for (std::size_t i = 0; i < mac12.size(); i += 2)
        text += (i ? ":" : "") + mac12.substr(i, 2);
    return text;
}

struct Tally {
    std::map<std::string, int> counts;
    int printers = 0;
    int done = 0;
};

void resultLine(const Request& request, Output& output, Tally& tally, const std::string& mac,
                std::string_view protocol, const std::string& ip, std::string_view outcome, int attempts,
                const std::string& detail) {
    ++tally.printers;
    ++tally.counts[std::string(outcome)];
    tally.done += outcome == "done" ? 1 : 0;
    Report report;
    report.text("mac", mac);
    report.text("protocol", protocol);
    report.text("ip", ip);
    report.text("result", outcome);
    report.number("attempts", attempts);
    if (!detail.empty())
        report.text("error", detail);
    if (request.json) {
        output.out += report.json();
        return;
    }
    output.out += mac + " " + (ip.empty() ? "-" : ip) + " " + std::string(protocol) + ": " +
                  std::string(outcome) + (detail.empty() ? "" : " (" + detail + ")") + "\n";
}

int summary(const Request& request, Output& output, const Tally& tally) {
    if (request.json) {
        Report report;
        report.number("printers", tally.printers);
        for (const auto& [outcome, count] : tally.counts)
            report.number(outcome, count);
        output.out += report.json();
    } else {
        std::string text = std::to_string(tally.printers) + " printer(s):";
        bool first = true;
        for (const auto& [outcome, count] : tally.counts) {
            text += (first ? " " : ", ") + std::to_string(count) + " " + outcome;
            first = false;
        }
        output.out += text + "\n";
    }
    return tally.done == tally.printers ? kExitDone : kExitFailed;
}

void dryRunLines(const Request& request, Output& output, const wifi::NetworkPrinter& printer,
                 const wifi::InventoryRow& row, const std::vector<FieldChange>& changes) {
    Report report;
    report.text("mac", row.mac);
    report.text("protocol", row.protocol);
    report.text("ip", row.ip);
    for (const FieldChange& change : changes)
        report.text(change.key, change.before.empty() && change.after.empty()
                                    ? std::string("changed")
                                    : change.before + " -> " + change.after);
    if (request.json) {
        output.out += report.json();
        return;
    }
    output.out +=
        row.mac + " " + row.ip + " " + row.protocol + ":" + (changes.empty() ? " no change" : "") + "\n";
    for (std::size_t i = 3; i < report.fields().size(); ++i) {
        const std::string& value = report.fields()[i].second;
        output.out += "  " + report.fields()[i].first + ": " + value.substr(1, value.size() - 2) + "\n";
    }
    (void)printer;
}

}  // namespace

int runNetSearch(const Request& request, Deps& deps, Output& output) {
    netcfg::PayloadStores stores;
    netcfg::NetworkContext context = networkContext(request, deps, stores);
    const Search search = searchAll(request, context);
    if (search.failure)
        return refused(output, *search.failure);
    const std::vector<wifi::InventoryRow> rows = wifi::inventoryRows(search.found.printers);
    if (request.csv) {
        output.out += wifi::inventoryCsv(rows);
        return kExitDone;
    }
    for (const wifi::InventoryRow& row : rows) {
        const Report report = inventoryReport(row);
        output.out += request.json ? report.json() : report.human() + "\n";
    }
    if (!request.json)
        output.out += std::to_string(rows.size()) + " device(s) found\n";
    return kExitDone;
}

int runNetApply(const Request& request, Deps& deps, Output& output) {
    if (request.words.size() != 3 || (request.allPrinters == !request.macs.empty()))
        return refused(output,
                       {kExitRefused, "net apply FILE (--all | --mac MAC...) [--dry-run] [--jobs N]"});
    std::optional<Failure> failure;
    std::optional<Pairs> secrets;
    if (request.secretFile) {
        const auto text = deps.readSecret(*request.secretFile);
        secrets = text ? keyValueLines(*text) : std::nullopt;
        if (!secrets)
            return refused(output,
                           {kExitRefused, text ? "--secret-file: each line is KEY=VALUE"
                                               : "--secret-file: cannot read " + *request.secretFile});
    }
    Failure bad{kExitRefused, ""};
    const auto profile = readNetProfile(request.words[2], secrets, deps, bad);
    if (!profile)
        return refused(output, bad);
    netcfg::PayloadStores stores;
    netcfg::NetworkContext context = networkContext(request, deps, stores);
    const Search search = searchAll(request, context);
    if (search.failure)
        return refused(output, *search.failure);
    const auto selected = selectPrinters(request, search.found, bad);
    if (!selected)
        return refused(output, bad);

    Tally tally;
    std::vector<wifi::ApplyTask> tasks;
    for (const wifi::NetworkPrinter* printer : selected->printers) {
        const wifi::InventoryRow row = wifi::inventoryRow(*printer);
        std::optional<Failure> refusal;
        const auto form = editedNetworkForm(*printer, pairsFor(*profile, printer->mac12()), refusal);
        if (!form) {
            resultLine(request, output, tally, row.mac, row.protocol, row.ip, "refused value", 0,
                       refusal->message);
            continue;
        }
        if (request.dryRun)
            dryRunLines(request, output, *printer, row,
                        networkFormChanges(shownNetworkForm(*printer), *form));
        else
            tasks.push_back({*printer, *form});
    }
    if (request.dryRun)
        return kExitDone;
    std::vector<wifi::InventoryRow> rows;
    for (const wifi::ApplyTask& task : tasks)
        rows.push_back(wifi::inventoryRow(task.printer));
    const int jobs = deps.threadSafeNetwork ? request.jobs : 1;
    const std::vector<wifi::ApplyResult> results = wifi::applyToPrinters(context, search.kind, tasks, jobs);
    for (std::size_t i = 0; i < results.size(); ++i) {
        const wifi::ApplyResult& result = results[i];
        const std::string detail = result.outcome == wifi::ApplyOutcome::Done
                                       ? std::string()
                                       : networkSaveFailure(result.save).message;
        resultLine(request, output, tally, rows[i].mac, rows[i].protocol, rows[i].ip,
                   wifi::applyOutcomeText(result.outcome), result.attempts, detail);
    }
    for (const std::string& mac : selected->missing)
        resultLine(request, output, tally, macWithColons(mac), "", "", "no answer", 0,
                   "no printer with this MAC answered the search");
    return summary(request, output, tally);
}

}  // namespace hollin::cli
