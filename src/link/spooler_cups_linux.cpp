// The print spooler on Linux: the local CUPS queues. A queue's port is its device URI, with a
// serial: URI standing for the COM port mapped to its device (compared as canonical paths, so a
// by-id link and the device itself agree).

#include <cups/cups.h>
#include <sys/socket.h>

#include <filesystem>
#include <system_error>

#include "link/driver_port_check.h"
#include "link/port_map.h"

namespace hollin {
namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr int kHighestComPort = 9;

std::string canonical(std::string_view path) {
    std::error_code ec;
    const auto p = std::filesystem::weakly_canonical(std::filesystem::path(path), ec);
    return ec ? std::string(path) : p.string();
}

class CupsSpooler final : public Spooler {
  public:
    SpoolerListing localPrinters() override {
        SpoolerListing listing;
        http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                    kConnectTimeoutMs, nullptr);
        if (http == nullptr)
            return listing;  // no spooler to ask

        ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
        static const char* const kAttributes[] = {"printer-name", "device-uri"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                      kAttributes);
        ipp_t* response = cupsDoRequest(http, request, "/");  // takes the request
        if (response == nullptr && cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE) {
            httpClose(http);
            return listing;
        }
        listing.status = SpoolerListing::Status::Listed;
        if (response != nullptr) {
            collect(response, listing.printers);
            ippDelete(response);
        }
        httpClose(http);
        return listing;
    }

  private:
    static void collect(ipp_t* response, std::vector<InstalledPrinter>& printers) {
        const PortMap map = PortMap::system();
        const auto portForDevice = [&map](std::string_view path) -> std::optional<std::string> {
            const std::string wanted = canonical(path);
            for (int n = 1; n <= kHighestComPort; ++n) {
                const std::string name = "COM" + std::to_string(n);
                if (const auto device = map.deviceFor(name); device && canonical(*device) == wanted)
                    return name;
            }
            return std::nullopt;
        };
        std::string name;
        std::string uri;
        const auto flush = [&] {
            if (!name.empty())
                printers.push_back({name, spoolerPortName(uri, portForDevice)});
            name.clear();
            uri.clear();
        };
        for (ipp_attribute_t* a = ippFirstAttribute(response); a != nullptr; a = ippNextAttribute(response)) {
            const char* attribute = ippGetName(a);
            if (ippGetGroupTag(a) != IPP_TAG_PRINTER || attribute == nullptr) {
                flush();  // the records are separated by a change of group
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
        flush();
    }
};

}  // namespace

std::unique_ptr<Spooler> makeSystemSpooler() {
    return std::make_unique<CupsSpooler>();
}

}  // namespace hollin
