// The print spooler on Linux: the local CUPS queues. A queue's port is its device URI, with a
// serial: URI standing for the COM port mapped to its device (compared as canonical paths, so a
// by-id link and the device itself agree).

#include <filesystem>
#include <system_error>
#include <utility>

#include "link/port_map.h"
#include "link/print_queues.h"
#include "link/spooler_cups.h"

namespace hollin {
namespace {

// Open Port waits for the spooler's answer at most this long.
constexpr std::uint32_t kQueryBoundMs = 3000;
constexpr int kHighestComPort = 9;

std::string canonical(std::string_view path) {
    std::error_code ec;
    const auto p = std::filesystem::weakly_canonical(std::filesystem::path(path), ec);
    return ec ? std::string(path) : p.string();
}

// The COM port this machine maps to a device path.
std::optional<std::string> comPortForDevice(const PortMap& map, std::string_view path) {
    const std::string wanted = canonical(path);
    for (int n = 1; n <= kHighestComPort; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (const auto device = map.deviceFor(name); device && canonical(*device) == wanted)
            return name;
    }
    return std::nullopt;
}

class CupsSpooler final : public Spooler {
  public:
    CupsSpooler(std::string server, std::uint32_t boundMs)
        : queues_(makeCupsPrintQueues(std::move(server), boundMs)) {}

    SpoolerListing localPrinters() override {
        const QueueListing listed = queues_->list();
        SpoolerListing listing;
        if (listed.outcome == QueueOutcome::ServerDown)
            return listing;  // no spooler to ask
        listing.status = SpoolerListing::Status::Listed;
        const PortMap map = PortMap::system();
        listing.printers = printersOfQueues(
            listed.queues, [&map](std::string_view path) { return comPortForDevice(map, path); });
        return listing;
    }

  private:
    std::unique_ptr<PrintQueues> queues_;
};

}  // namespace

std::vector<InstalledPrinter> printersOfQueues(
    const std::vector<PrintQueue>& queues,
    const std::function<std::optional<std::string>(std::string_view)>& portForDevice) {
    std::vector<InstalledPrinter> printers;
    for (const PrintQueue& queue : queues)
        printers.push_back({queue.name, spoolerPortName(queue.deviceUri, portForDevice)});
    return printers;
}

std::vector<InstalledPrinter> printersFromCupsReply(
    ipp_t* reply, const std::function<std::optional<std::string>(std::string_view)>& portForDevice) {
    return printersOfQueues(printQueuesFromCupsReply(reply), portForDevice);
}

std::unique_ptr<Spooler> makeCupsSpooler(std::string server, std::uint32_t boundMs) {
    return std::make_unique<CupsSpooler>(std::move(server), boundMs);
}

std::unique_ptr<Spooler> makeSystemSpooler() {
    return makeCupsSpooler({}, kQueryBoundMs);
}

}  // namespace hollin
