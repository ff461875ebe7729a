#pragma once

#include <string>
#include <string_view>

namespace hollin {

// Why a port did not open, as the operator can act on it.
enum class OpenFailureReason {
    None,              // nothing failed
    PermissionDenied,  // the device exists but this user may not open it
    Busy,              // another program holds the device
    Missing,           // no such device (unplugged, or the port name stands for nothing)
    LineSettings,      // the device opened but refused the line settings
    Other,             // anything else: `error` tells
};

// The kind of port, for the remedy a refusal calls for.
enum class PortKind { Serial, Usb };

// The device a failed open was for and why it failed. `device` is the path ("/dev/ttyUSB0"), or the
// port name when the name stands for no device; empty when no USB printer was found at all. `error`
// is the operating system's error number (0 when the failure was not the system's).
struct OpenFailure {
    std::string device;
    OpenFailureReason reason = OpenFailureReason::None;
    int error = 0;
};

// The reason an error number of a failed open stands for (0: None).
OpenFailureReason openFailureReasonFor(int error);
// A failed open of `device` with error number `error`.
OpenFailure openFailureFor(std::string device, int error);

// The line that names the device and the reason (with the remedy for a refusal), in the language
// of `messageLanguage`; empty when nothing failed.
std::string openFailureDetail(const OpenFailure& failure, PortKind kind, int messageLanguage);

// `firstLine` as it stands, then the detail on a line of its own (just `firstLine` when there is no
// detail).
std::string openFailureMessage(std::string_view firstLine, const OpenFailure& failure, PortKind kind,
                               int messageLanguage);

}  // namespace hollin
