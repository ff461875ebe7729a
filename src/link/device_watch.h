#pragma once

#include <cstdint>
#include <memory>
#include <optional>

// Ports that follow the cable: a monitor of the system's device events for serial ports (tty) and USB
// printers (usbmisc), and the rule that a change is acted on only once the devices have settled.
namespace hollin {

class DeviceWatch {
  public:
    virtual ~DeviceWatch() = default;
    // The descriptor that becomes readable when events wait, for an event loop.
    virtual int descriptor() const = 0;
    // Takes every event waiting, without blocking: true when a tty or usbmisc device came or went.
    virtual bool takeEvents() = 0;
    // Waits at most `timeoutMs` for events; true when some are waiting.
    virtual bool waitForEvents(std::uint32_t timeoutMs) = 0;
};

// A change is acted on kSettleMs after the last event of a burst, so that a device that appears and
// vanishes within that time is never offered, and one still being set up (its node, its links, its
// permissions) is offered only once it is complete.
class DeviceSettle {
  public:
    static constexpr std::uint32_t kSettleMs = 1000;

    // An event arrived at `nowMs` (the clock's tick).
    void noteEvent(std::uint32_t nowMs) {
        pending_ = true;
        lastEventMs_ = nowMs;
    }
    // How long until the change is due, nothing when none is pending.
    std::optional<std::uint32_t> remainingMs(std::uint32_t nowMs) const {
        if (!pending_)
            return std::nullopt;
        const std::uint32_t waited = nowMs - lastEventMs_;
        return waited >= kSettleMs ? 0 : kSettleMs - waited;
    }
    // True once, when a pending change is due at `nowMs`.
    bool takeDue(std::uint32_t nowMs) {
        if (remainingMs(nowMs) != std::optional<std::uint32_t>(0))
            return false;
        pending_ = false;
        return true;
    }

  private:
    bool pending_ = false;
    std::uint32_t lastEventMs_ = 0;
};

// The udev monitor of this machine (events after udev's rules ran); nothing when it cannot be opened.
std::unique_ptr<DeviceWatch> makeUdevDeviceWatch();

}  // namespace hollin
