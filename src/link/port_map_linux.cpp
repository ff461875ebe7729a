// The port map's view of this machine: the entries of /dev and the process environment.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "link/port_map.h"

namespace hollin {
namespace {

// /dev holds ttyS0 to ttyS31 whether or not a UART answers behind them; the kernel reports an
// unanswered one as type 0 in sysfs. Such ports are not counted as present.
bool uartAnswers(const std::string& name) {
    if (!name.starts_with("ttyS"))
        return true;
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int value = -1;
    if (!(type >> value))
        return true;  // no sysfs view: count it
    return value != 0;
}

std::vector<std::string> presentDeviceNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/dev", ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (uartAnswers(name))
            names.push_back(std::move(name));
    }
    return names;
}

std::optional<std::string> environmentValue(const std::string& name) {
    if (const char* value = std::getenv(name.c_str()))
        return std::string(value);
    return std::nullopt;
}

}  // namespace

PortMap PortMap::system() {
    return PortMap(presentDeviceNames(), environmentValue);
}

}  // namespace hollin
