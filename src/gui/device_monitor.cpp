#include "gui/device_monitor.h"

#include <QSocketNotifier>
#include <QTimer>
#include <utility>

#include "platform/clock.h"

namespace hollin::gui {

DeviceMonitor::DeviceMonitor(DeviceWatch& watch, std::function<void()> changed)
    : watch_(watch),
      changed_(std::move(changed)),
      notifier_(new QSocketNotifier(watch.descriptor(), QSocketNotifier::Read, this)),
      timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { onReadable(); });
    connect(timer_, &QTimer::timeout, this, [this] { onSettleTimer(); });
}

DeviceMonitor::~DeviceMonitor() = default;

void DeviceMonitor::onReadable() {
    if (!watch_.takeEvents())
        return;
    const std::uint32_t now = systemClock().tickMs();
    settle_.noteEvent(now);
    timer_->start(static_cast<int>(settle_.remainingMs(now).value_or(0)));
}

void DeviceMonitor::onSettleTimer() {
    const std::uint32_t now = systemClock().tickMs();
    if (settle_.takeDue(now)) {
        changed_();
        return;
    }
    if (const auto remaining = settle_.remainingMs(now))
        timer_->start(static_cast<int>(*remaining));
}

}  // namespace hollin::gui
