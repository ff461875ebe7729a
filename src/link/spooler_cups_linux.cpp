// The print spooler on Linux: the local CUPS queues. A queue's port is its device URI, with a
// serial: URI standing for the COM port mapped to its device (compared as canonical paths, so a
// by-id link and the device itself agree).

#include <cups/cups.h>
#include <sys/socket.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "link/port_map.h"
#include "link/spooler_cups.h"
#include "platform/clock.h"

namespace hollin {
namespace {

// Open Port waits for the spooler's answer at most this long.
constexpr std::uint32_t kQueryBoundMs = 3000;
// How often a query waiting for the server looks at its bound.
constexpr double kWaitSliceSeconds = 0.1;
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

// When a query must end; told by CUPS each time a wait for the server runs out.
struct QueryDeadline {
    std::uint32_t start = 0;
    std::uint32_t boundMs = 0;
    bool expired = false;
};

// Whether CUPS should keep waiting: only while the query's bound lasts.
int keepWaiting(http_t* /*http*/, void* data) {
    auto& deadline = *static_cast<QueryDeadline*>(data);
    deadline.expired = elapsedMs(deadline.start, systemClock().tickMs()) >= deadline.boundMs;
    return deadline.expired ? 0 : 1;
}

class CupsSpooler final : public Spooler {
  public:
    CupsSpooler(std::string server, std::uint32_t boundMs) : server_(std::move(server)), boundMs_(boundMs) {}

    SpoolerListing localPrinters() override {
        SpoolerListing listing;
        QueryDeadline deadline{systemClock().tickMs(), boundMs_};
        const std::string server = server_.empty() ? std::string(cupsServer()) : server_;
        http_t* http = httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                    static_cast<int>(boundMs_), nullptr);
        if (http == nullptr)
            return listing;  // no spooler to ask
        httpSetTimeout(http, kWaitSliceSeconds, keepWaiting, &deadline);

        ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
        static const char* const kAttributes[] = {"printer-name", "device-uri"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                      kAttributes);
        ipp_t* response = cupsDoRequest(http, request, "/");  // takes the request
        const bool unavailable =
            response == nullptr && (deadline.expired || httpError(http) != 0 ||
                                    cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
        if (!unavailable) {
            listing.status = SpoolerListing::Status::Listed;
            if (response != nullptr) {
                const PortMap map = PortMap::system();
                listing.printers = printersFromCupsReply(
                    response, [&map](std::string_view path) { return comPortForDevice(map, path); });
            }
        }
        ippDelete(response);
        httpClose(http);
        return listing;
    }

  private:
    std::string server_;
    std::uint32_t boundMs_;
};

}  // namespace

std::vector<InstalledPrinter> printersFromCupsReply(
    ipp_t* reply, const std::function<std::optional<std::string>(std::string_view)>& portForDevice) {
    std::vector<InstalledPrinter> printers;
    std::string name;
    std::string uri;
    const auto endRecord = [&] {
        if (!name.empty())
            printers.push_back({name, spoolerPortName(uri, portForDevice)});
        name.clear();
        uri.clear();
    };
    for (ipp_attribute_t* a = ippFirstAttribute(reply); a != nullptr; a = ippNextAttribute(reply)) {
        const char* attribute = ippGetName(a);
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER || attribute == nullptr) {
            endRecord();  // the records are separated by a change of group
            continue;
        }
        const char* value = ippGetString(a, 0, nullptr);
        if (value == nullptr)
            continue;
        if (std::string_view(attribute) == "printer-name")
            name = value;
        else if (std::string_view(attribute) == "device-uri")
            uri = value;
    }
    endRecord();
    return printers;
}

std::unique_ptr<Spooler> makeCupsSpooler(std::string server, std::uint32_t boundMs) {
    return std::make_unique<CupsSpooler>(std::move(server), boundMs);
}

std::unique_ptr<Spooler> makeSystemSpooler() {
    return makeCupsSpooler({}, kQueryBoundMs);
}

}  // namespace hollin
