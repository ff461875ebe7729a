#pragma once

#include <QObject>
#include <functional>

#include "link/device_watch.h"

class QSocketNotifier;
class QTimer;

namespace hollin::gui {

// The device watch on the Qt event loop: its descriptor through a socket notifier; `changed` runs
// once the devices have settled after a burst of events (DeviceSettle).
class DeviceMonitor : public QObject {
  public:
    DeviceMonitor(DeviceWatch& watch, std::function<void()> changed);
    ~DeviceMonitor() override;

  private:
    void onReadable();
    void onSettleTimer();

    DeviceWatch& watch_;
    std::function<void()> changed_;
    DeviceSettle settle_;
    QSocketNotifier* notifier_;
    QTimer* timer_;
};

}  // namespace hollin::gui
