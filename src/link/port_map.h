#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hollin {

// An environment variable's value, nothing when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The number n of a port name "COMn" (n from 1); nothing for any other name.
std::optional<int> comPortNumber(std::string_view portName);

// Serial device names (entries of /dev such as "ttyUSB0") in port order: ttyUSB*, ttyACM*, rfcomm*,
// ttyS*, numeric order within each; other names are left out. The result holds full paths.
std::vector<std::string> orderedSerialDevices(const std::vector<std::string>& devNames);

// Which device each port name of the port box stands for. "COMn" is the device named by the
// environment variable HOLLIN_COMn when set, else the n-th serial device present; "USB" is the
// device named by HOLLIN_USB when set (else the USB link finds the printer itself).
class PortMap {
  public:
    // `presentDevices`: entries of /dev; `env`: the environment.
    PortMap(std::vector<std::string> presentDevices, EnvLookup env);

    // This machine's devices and environment.
    static PortMap system();

    std::optional<std::string> deviceFor(std::string_view portName) const;
    // The mapping as the port box shows it: "COM1 → /dev/ttyUSB0", "COM4: no device".
    std::string toolTip(std::string_view portName) const;

  private:
    std::vector<std::string> ordered_;
    EnvLookup env_;
};

// The tool tip of a port box entry on this machine.
std::string portDeviceToolTip(std::string_view portName);

}  // namespace hollin
