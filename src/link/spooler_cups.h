#pragma once

#include <cups/ipp.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/driver_port_check.h"
#include "link/print_queues.h"

namespace hollin {

// The printers of a CUPS-Get-Printers reply. Each printer is one run of printer attributes; a change
// of group (a separator, or attributes of another group) ends it. A printer without a name is left
// out; its port is spoolerPortName() of its device URI (empty when it has none), so a serial: URI
// names the COM port `portForDevice` gives for its device path.
std::vector<InstalledPrinter> printersFromCupsReply(
    ipp_t* reply, const std::function<std::optional<std::string>(std::string_view)>& portForDevice);

// The queues of a CUPS-Get-Printers reply: each is one run of printer attributes, which a change of
// group (a separator, or attributes of another group) ends. A queue without a name is left out.
std::vector<PrintQueue> printQueuesFromCupsReply(ipp_t* reply);
// The spooler's printers for `queues`, with spoolerPortName() of each device URI as the port.
std::vector<InstalledPrinter> printersOfQueues(
    const std::vector<PrintQueue>& queues,
    const std::function<std::optional<std::string>(std::string_view)>& portForDevice);

// The CUPS spooler at `server` (a host, "host:port" or a local socket path; empty: the configured
// one). A query gives up `boundMs` after it began, counting the connection, and a server that cannot
// be reached or does not answer in time counts as Unavailable.
std::unique_ptr<Spooler> makeCupsSpooler(std::string server, std::uint32_t boundMs);

}  // namespace hollin
