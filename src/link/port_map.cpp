#include "link/port_map.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace hollin {
namespace {

constexpr std::string_view kSerialFamilies[] = {"ttyUSB", "ttyACM", "rfcomm", "ttyS"};
constexpr std::string_view kDevDir = "/dev/";

// The number after `prefix` when the rest of `name` is all digits.
std::optional<unsigned long> numberAfter(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size())
        return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<int> comPortNumber(std::string_view portName) {
    const auto n = numberAfter(portName, "COM");
    if (!n || *n == 0 || *n > 255)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::vector<std::string> orderedSerialDevices(const std::vector<std::string>& devNames) {
    std::vector<std::string> ordered;
    for (const std::string_view family : kSerialFamilies) {
        std::vector<std::pair<unsigned long, std::string_view>> members;
        for (const std::string& name : devNames) {
            if (const auto n = numberAfter(name, family))
                members.emplace_back(*n, name);
        }
        std::sort(members.begin(), members.end());
        members.erase(std::unique(members.begin(), members.end()), members.end());
        for (const auto& member : members)
            ordered.push_back(std::string(kDevDir) + std::string(member.second));
    }
    return ordered;
}

PortMap::PortMap(std::vector<std::string> presentDevices, EnvLookup env)
    : ordered_(orderedSerialDevices(presentDevices)), env_(std::move(env)) {}

std::optional<std::string> PortMap::deviceFor(std::string_view portName) const {
    if (portName == "USB") {
        auto device = env_ ? env_("HOLLIN_USB") : std::nullopt;
        return device && !device->empty() ? device : std::nullopt;
    }
    const auto n = comPortNumber(portName);
    if (!n)
        return std::nullopt;
    if (env_) {
        if (auto device = env_("HOLLIN_" + std::string(portName)); device && !device->empty())
            return device;
    }
    if (static_cast<std::size_t>(*n) > ordered_.size())
        return std::nullopt;
    return ordered_[static_cast<std::size_t>(*n) - 1];
}

std::string PortMap::toolTip(std::string_view portName) const {
    const std::string name(portName);
    if (const auto device = deviceFor(portName))
        return name + " \u2192 " + *device;
    if (portName == "USB")
        return name + " \u2192 the first USB printer (/dev/usb/lp*)";
    return name + ": no device";
}

std::string portDeviceToolTip(std::string_view portName) {
    return PortMap::system().toolTip(portName);
}

}  // namespace hollin
