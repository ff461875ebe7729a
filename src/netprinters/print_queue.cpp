#include "netprinters/print_queue.h"

#include <span>

#include "common/hex.h"

namespace hollin::wifi {
namespace {

std::string dotted(const std::array<std::uint8_t, 4>& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

}  // namespace

QueueTarget queueTargetOf(const netcfg::DeviceRecord& record) {
    return {macDigits(toHex(std::span(record.mac))).value_or(""), dotted(record.ipAddress),
            record.channels[0].localPort()};
}

QueueTarget queueTargetOf(const WifiSettingsRecord& r) {
    const unsigned port = r.hexNumber(field::kTcpPort).value_or(0);
    return QueueTarget{macDigits(r.raw(field::kMacAddress)).value_or(""),
                       dotted(r.address(field::kIp).value_or(Octets{})),
                       static_cast<std::uint16_t>(port > 0xFFFF ? 0 : port)};
}

QueueTarget queueTargetOf(const NetworkPrinter& printer) {
    if (const netcfg::DeviceRecord* binary = printer.binary())
        return queueTargetOf(*binary);
    return queueTargetOf(*printer.text());
}

std::vector<QueueTarget> queueTargetsOf(const std::vector<NetworkPrinter>& printers) {
    std::vector<QueueTarget> targets;
    for (const NetworkPrinter& printer : printers)
        targets.push_back(queueTargetOf(printer));
    return targets;
}

std::string defaultQueueName(std::string_view mac12) {
    return "Hollin-" + std::string(mac12);
}

PrintQueueResult addPrintQueue(PrintQueues& queues, const QueueTarget& target, std::string_view name) {
    PrintQueueResult result;
    result.name = name.empty() ? defaultQueueName(target.mac12) : std::string(name);
    if (const auto problem = queueNameProblem(result.name)) {
        result.outcome = QueueOutcome::Refused;
        result.message = *problem;
        return result;
    }
    if (target.port == 0 || target.ip.empty() || target.ip == "0.0.0.0") {
        result.outcome = QueueOutcome::Refused;
        result.message = "the printer has no address or TCP port to print to";
        return result;
    }
    result.deviceUri = socketDeviceUri(target.ip, target.port);
    const QueueChange change = queues.addRaw(result.name, result.deviceUri);
    result.outcome = change.outcome;
    result.message = queueOutcomeText(change.outcome, result.name, change.message);
    return result;
}

QueuesOfPrinters queuesOfPrinters(PrintQueues& queues, const std::vector<QueueTarget>& targets) {
    const QueueListing listing = queues.list();
    QueuesOfPrinters result{listing.outcome, queueOutcomeText(listing.outcome, "", listing.message), {}};
    for (const PrintQueue& queue : listing.queues) {
        const auto socket = socketTargetOf(queue.deviceUri);
        if (!socket)
            continue;
        for (const QueueTarget& target : targets) {
            if (socket->ip == target.ip && socket->port == target.port) {
                result.queues.push_back({queue, target});
                break;
            }
        }
    }
    return result;
}

}  // namespace hollin::wifi
