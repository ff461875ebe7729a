#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The print queues of the system's spooler, as an administrator sees them: listed with their device
// URIs, and a raw queue added for a printer on the network.
namespace hollin {

struct PrintQueue {
    std::string name;
    std::string deviceUri;
};

// Why the spooler did not do what was asked (Done when it did).
enum class QueueOutcome {
    Done,
    ServerDown,     // no spooler answered within the bound
    NotAuthorised,  // the spooler refused this user
    NameTaken,      // a queue of that name exists already: it is left as it is
    Refused,        // the spooler refused the request for another reason; see the message
};

struct QueueListing {
    QueueOutcome outcome = QueueOutcome::ServerDown;
    std::string message;
    std::vector<PrintQueue> queues;
};

struct QueueChange {
    QueueOutcome outcome = QueueOutcome::ServerDown;
    std::string message;
};

class PrintQueues {
  public:
    virtual ~PrintQueues() = default;
    virtual QueueListing list() = 0;
    // Adds queue `name` printing to `deviceUri` without a driver (raw), enabled and accepting jobs.
    // An existing queue of that name is never changed.
    virtual QueueChange addRaw(const std::string& name, const std::string& deviceUri) = 0;
    virtual QueueChange remove(const std::string& name) = 0;
};

// The device URI of a raw TCP printer: "socket://192.168.1.50:9100".
std::string socketDeviceUri(const std::string& ip, std::uint16_t port);
// The address and port of a socket: URI, nothing for any other URI; no port means 9100.
struct SocketTarget {
    std::string ip;
    std::uint16_t port = 0;
    bool operator==(const SocketTarget&) const = default;
};
std::optional<SocketTarget> socketTargetOf(std::string_view deviceUri);
// Why a queue name cannot be used, nothing when it can: 1 to 127 printable characters without
// space, '/', '\\', '#', '?', '\'' or '"' (what CUPS takes as a printer name).
std::optional<std::string> queueNameProblem(std::string_view name);
// The message for an outcome that is not Done (with the spooler's own text when it gave one).
std::string queueOutcomeText(QueueOutcome outcome, std::string_view queue, std::string_view detail);

// The CUPS queues at `server` (a host, "host:port" or a local socket path; empty: the configured one);
// a request gives up `boundMs` after it began. Never prompts for a password.
std::unique_ptr<PrintQueues> makeCupsPrintQueues(std::string server, std::uint32_t boundMs);
// This machine's CUPS queues.
std::unique_ptr<PrintQueues> makeSystemPrintQueues();

}  // namespace hollin
