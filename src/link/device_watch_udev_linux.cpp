// The device monitor on Linux: libudev's monitor of the events udev sends once its rules have run
// (so a device node is complete, with its links and permissions), filtered to serial ports and USB
// printers.

#include <libudev.h>
#include <poll.h>

#include "link/device_watch.h"

namespace hollin {
namespace {

class UdevDeviceWatch final : public DeviceWatch {
  public:
    UdevDeviceWatch() {
        udev_ = udev_new();
        if (udev_ == nullptr)
            return;
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (monitor_ == nullptr)
            return;
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr);
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usbmisc", nullptr);
        if (udev_monitor_enable_receiving(monitor_) != 0) {
            udev_monitor_unref(monitor_);
            monitor_ = nullptr;
        }
    }
    ~UdevDeviceWatch() override {
        if (monitor_ != nullptr)
            udev_monitor_unref(monitor_);
        if (udev_ != nullptr)
            udev_unref(udev_);
    }
    UdevDeviceWatch(const UdevDeviceWatch&) = delete;
    UdevDeviceWatch& operator=(const UdevDeviceWatch&) = delete;

    bool usable() const { return monitor_ != nullptr; }

    int descriptor() const override { return udev_monitor_get_fd(monitor_); }

    bool takeEvents() override {
        // The monitor's socket does not block: it gives nothing once the waiting events are read.
        constexpr int kMostPerCall = 256;
        bool changed = false;
        for (int i = 0; i < kMostPerCall; ++i) {
            udev_device* device = udev_monitor_receive_device(monitor_);
            if (device == nullptr)
                break;
            const char* action = udev_device_get_action(device);
            if (action != nullptr) {
                const std::string_view a(action);
                changed =
                    changed || a == "add" || a == "remove" || a == "change" || a == "bind" || a == "unbind";
            }
            udev_device_unref(device);
        }
        return changed;
    }

    bool waitForEvents(std::uint32_t timeoutMs) override {
        pollfd waiting{descriptor(), POLLIN, 0};
        return ::poll(&waiting, 1, static_cast<int>(timeoutMs)) > 0 && (waiting.revents & POLLIN) != 0;
    }

  private:
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

}  // namespace

std::unique_ptr<DeviceWatch> makeUdevDeviceWatch() {
    auto watch = std::make_unique<UdevDeviceWatch>();
    if (!watch->usable())
        return nullptr;
    return watch;
}

}  // namespace hollin
