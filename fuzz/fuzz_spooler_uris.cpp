// The spooler's texts: a queue's device URI as CUPS reports it (socket: targets, serial: ports) and a
// queue name as typed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/driver_port_check.h"
#include "link/print_queues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto target = hollin::socketTargetOf(text)) {
        // What was read back makes a URI that reads the same.
        if (target->ip.find_first_of(":/?") == std::string::npos &&
            hollin::socketTargetOf(hollin::socketDeviceUri(target->ip, target->port)) != target)
            __builtin_trap();
    }
    (void)hollin::spoolerPortName(text, [](std::string_view path) -> std::optional<std::string> {
        return path == "/dev/ttyUSB0" ? std::optional<std::string>("COM1") : std::nullopt;
    });
    (void)hollin::queueNameProblem(text);
    return 0;
}
