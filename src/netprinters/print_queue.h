#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/print_queues.h"
#include "netcfg/exchange.h"
#include "netprinters/network_printers.h"
#include "netprinters/network_save.h"

// Print queues for network printers: a raw queue to a printer found by search, through the
// spooler's administration interface. The Wi-Fi window and hollinctl are faces over it.
namespace hollin::wifi {

inline constexpr std::string_view kPrintQueueCaption = "Print Queue";

// Where a network printer takes print data: its address and the TCP port of its setting.
struct QueueTarget {
    std::string mac12;  // twelve upper-case hexadecimal digits
    std::string ip;     // dotted
    std::uint16_t port = 0;
};

// The target of a binary-protocol printer's record, and of a text-frame printer's.
QueueTarget queueTargetOf(const netcfg::DeviceRecord& record);
QueueTarget queueTargetOf(const WifiSettingsRecord& record);
// The target of a printer that answered the search, by either protocol; nothing when neither answered.
QueueTarget queueTargetOf(const NetworkPrinter& printer);
// The binary-protocol printers of a search as targets.
std::vector<QueueTarget> queueTargetsOf(const std::vector<NetworkPrinter>& printers);
// The queue name used when none is given: "Hollin-" and the MAC's twelve digits.
std::string defaultQueueName(std::string_view mac12);

struct PrintQueueResult {
    QueueOutcome outcome = QueueOutcome::Done;
    std::string message;  // for the operator when not Done
    std::string name;
    std::string deviceUri;
};

// Adds a raw queue `name` (empty: defaultQueueName) printing to socket://IP:PORT of `target`. A bad
// name or port 0 is refused before the spooler is asked.
PrintQueueResult addPrintQueue(PrintQueues& queues, const QueueTarget& target, std::string_view name);

// A queue of the spooler and the printer it points at.
struct QueueOfPrinter {
    PrintQueue queue;
    QueueTarget target;
};
struct QueuesOfPrinters {
    QueueOutcome outcome = QueueOutcome::Done;
    std::string message;
    std::vector<QueueOfPrinter> queues;
};
// The spooler's queues whose socket: URI names the address and port of one of `targets`.
QueuesOfPrinters queuesOfPrinters(PrintQueues& queues, const std::vector<QueueTarget>& targets);

}  // namespace hollin::wifi
