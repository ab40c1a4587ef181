#pragma once

#include "platform/devicewatch/device_event.h"
#include "platform/files/unique_fd.h"

#include <functional>
#include <memory>
#include <thread>

struct udev;
struct udev_monitor;

namespace corvath {

/// Watches udev for discs put into or taken out of CD drives and for CD drives coming and going
/// (see ClassifyDeviceEvent), and reports each as an arrival or a removal.
///
/// The callback runs on the watch's own thread and must not throw; a window hands it to its own
/// thread (QMetaObject::invokeMethod with Qt::QueuedConnection). Where udev cannot be opened
/// (a container without it), the watch stays inactive and never calls back.
class DeviceWatch {
public:
    using Callback = std::function<void(DeviceChange)>;

    explicit DeviceWatch(Callback onChange);
    /// Stops the thread; no callback runs after this returns.
    ~DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    /// True when the udev monitor is listening.
    bool Active() const { return thread_.joinable(); }

private:
    struct UdevUnref {
        void operator()(udev* context) const;
    };
    struct MonitorUnref {
        void operator()(udev_monitor* monitor) const;
    };

    bool OpenMonitor();
    void Run();
    void ReceiveEvents();

    Callback onChange_;
    std::unique_ptr<udev, UdevUnref> udev_;
    std::unique_ptr<udev_monitor, MonitorUnref> monitor_;
    UniqueFd stopEvent_;
    std::thread thread_;
};

} // namespace corvath
