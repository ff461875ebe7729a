// cups add and cups list: print queues for the printers a network search finds.
#include <charconv>

#include "cli/cli_internal.h"
#include "netprinters/print_queue.h"

namespace hollin::cli {
namespace {

Failure queueFailure(QueueOutcome outcome, const std::string& message) {
    switch (outcome) {
        case QueueOutcome::Done:
            return {kExitDone, ""};
        case QueueOutcome::ServerDown:
            return {kExitSpoolerDown, message};
        case QueueOutcome::NotAuthorised:
            return {kExitNotAuthorised, message};
        case QueueOutcome::NameTaken:
            return {kExitQueueExists, message};
        case QueueOutcome::Refused:
            break;
    }
    return {kExitSpoolerRefused, message};
}

// "A.B.C.D" or "A.B.C.D:PORT".
struct AddressArgument {
    Ipv4 ip = 0;
    std::optional<std::uint16_t> port;
};
std::optional<AddressArgument> addressArgument(std::string_view text) {
    const std::size_t colon = text.find(':');
    const auto ip = netcfg::parseIpv4(std::string(text.substr(0, colon)));
    if (!ip)
        return std::nullopt;
    AddressArgument argument{*ip, std::nullopt};
    if (colon != std::string_view::npos) {
        const std::string_view digits = text.substr(colon + 1);
        unsigned port = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (ec != std::errc{} || end != digits.data() + digits.size() || port == 0 || port > 65535)
            return std::nullopt;
        argument.port = static_cast<std::uint16_t>(port);
    }
    return argument;
}

std::string dottedIp(Ipv4 ip) {
    return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
           std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF);
}

struct FoundTarget {
    std::optional<wifi::QueueTarget> target;
    Failure failure{kExitDone, ""};
};

// One search over both protocols; a failure when it could not run.
std::optional<Failure> searchFailure(const wifi::NetworkSearchResult& found) {
    if (found.textFailure)
        return Failure{kExitNetwork, found.textFailure->message};
    if (found.error != 0 && found.printers.empty())
        return Failure{kExitNetwork, "the network search failed (error " + std::to_string(found.error) + ")"};
    return std::nullopt;
}

// The printer named by MAC or by IP address, of either protocol.
FoundTarget findTarget(std::string_view what, netcfg::NetworkContext& context, int kind, Ipv4 directed) {
    const auto mac12 = wifi::macDigits(what);
    const auto address = mac12 ? std::nullopt : addressArgument(what);
    if (!mac12 && !address)
        return {std::nullopt,
                {kExitRefused, "cups add: " + std::string(what) + " is neither a MAC nor IP[:PORT]"}};
    const wifi::NetworkSearchResult found =
        wifi::searchNetworkPrinters(context, kind, directed, 500, mac12 ? std::string_view(*mac12) : "");
    if (mac12) {
        if (const wifi::NetworkPrinter* printer = wifi::findPrinter(found, *mac12))
            return {wifi::queueTargetOf(*printer), {}};
    } else {
        const std::string ip = dottedIp(address->ip);
        for (wifi::QueueTarget& target : wifi::queueTargetsOf(found.printers)) {
            if (target.ip != ip)
                continue;
            if (address->port)
                target.port = *address->port;
            return {target, {}};
        }
    }
    if (const auto failure = searchFailure(found))
        return {std::nullopt, *failure};
    return {std::nullopt,
            {kExitNoResponse, mac12 ? "no printer with this MAC answered the search"
                                    : "no printer with this IP address answered the search"}};
}

std::string macWithColons(const std::string& mac12) {
    std::string text;
    for (std::size_t i = 0; i < mac12.size(); i += 2)
        text += (i ? ":" : "") + mac12.substr(i, 2);
    return text;
}

}  // namespace

int runCups(const Request& request, Deps& deps, Output& output) {
    const std::string_view sub = word(request.words, 1);
    const bool add = sub == "add" && request.words.size() == 3;
    const bool list = sub == "list" && request.words.size() == 2;
    std::optional<Failure> failure;
    if (!add && !list)
        failure = Failure{kExitRefused, "cups: add MAC|IP[:PORT] [--name NAME] or list"};
    else if (add && request.queueName && queueNameProblem(*request.queueName))
        failure = Failure{kExitRefused, "--name: " + *queueNameProblem(*request.queueName)};
    else if (deps.printQueues == nullptr)
        failure = Failure{kExitSpoolerDown, queueOutcomeText(QueueOutcome::ServerDown, "", "")};
    netcfg::PayloadStores stores;
    netcfg::NetworkContext context = networkContext(request, deps, stores);
    const NetworkTarget where = networkTarget(request, context);
    if (!failure && where.refused)
        failure = where.refused;
    if (failure) {
        output.err += "hollinctl: " + failure->message + "\n";
        return failure->code;
    }
    const int kind = where.directed ? netcfg::kDirected : netcfg::kBroadcast;
    const Ipv4 directed = where.directed.value_or(0);

    if (list) {
        const wifi::NetworkSearchResult found = wifi::searchNetworkPrinters(context, kind, directed);
        if (const auto f = searchFailure(found)) {
            output.err += "hollinctl: " + f->message + "\n";
            return f->code;
        }
        const wifi::QueuesOfPrinters queues =
            wifi::queuesOfPrinters(*deps.printQueues, wifi::queueTargetsOf(found.printers));
        if (queues.outcome != QueueOutcome::Done) {
            const Failure f = queueFailure(queues.outcome, queues.message);
            output.err += "hollinctl: " + f.message + "\n";
            return f.code;
        }
        for (const wifi::QueueOfPrinter& q : queues.queues) {
            Report report;
            report.text("queue", q.queue.name);
            report.text("device-uri", q.queue.deviceUri);
            report.text("mac", macWithColons(q.target.mac12));
            output.out += request.json ? report.json() : report.human() + "\n";
        }
        if (!request.json)
            output.out += std::to_string(queues.queues.size()) + " queue(s) for the printers found\n";
        return kExitDone;
    }

    Report report;
    const FoundTarget found = findTarget(word(request.words, 2), context, kind, directed);
    if (!found.target)
        return finish(request, report, found.failure, output);
    report.text("mac", macWithColons(found.target->mac12));
    const wifi::PrintQueueResult added =
        wifi::addPrintQueue(*deps.printQueues, *found.target, request.queueName.value_or(""));
    report.text("queue", added.name);
    report.text("device-uri", added.deviceUri);
    return finish(request, report, queueFailure(added.outcome, added.message), output);
}

}  // namespace hollin::cli
