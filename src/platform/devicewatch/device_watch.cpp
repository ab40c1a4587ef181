#include "platform/devicewatch/device_watch.h"

#include <cerrno>
#include <cstdint>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>

namespace corvath {

namespace {

struct DeviceUnref {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

std::string Text(const char* value)
{
    return value != nullptr ? value : "";
}

DeviceEvent ReadEvent(udev_device* device)
{
    DeviceEvent event{Text(udev_device_get_action(device)),
                      Text(udev_device_get_subsystem(device)),
                      Text(udev_device_get_devtype(device)),
                      {}};
    for (udev_list_entry* entry = udev_device_get_properties_list_entry(device); entry != nullptr;
         entry = udev_list_entry_get_next(entry))
        event.properties[Text(udev_list_entry_get_name(entry))] =
            Text(udev_list_entry_get_value(entry));
    return event;
}

} // namespace

void DeviceWatch::UdevUnref::operator()(udev* context) const
{
    udev_unref(context);
}

void DeviceWatch::MonitorUnref::operator()(udev_monitor* monitor) const
{
    udev_monitor_unref(monitor);
}

DeviceWatch::DeviceWatch(Callback onChange) : onChange_(std::move(onChange))
{
    if (OpenMonitor())
        thread_ = std::thread(&DeviceWatch::Run, this);
}

DeviceWatch::~DeviceWatch()
{
    if (!thread_.joinable())
        return;
    const std::uint64_t one = 1;
    while (::write(stopEvent_.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
    thread_.join();
}

bool DeviceWatch::OpenMonitor()
{
    udev_.reset(udev_new());
    if (!udev_)
        return false;
    // The "udev" source sends events after the rules ran, so ID_CDROM and ID_CDROM_MEDIA are set.
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "block", "disk") < 0 ||
        udev_monitor_enable_receiving(monitor_.get()) < 0)
        return false;
    stopEvent_ = UniqueFd(::eventfd(0, EFD_CLOEXEC));
    return static_cast<bool>(stopEvent_);
}

void DeviceWatch::Run()
{
    pollfd fds[] = {{stopEvent_.get(), POLLIN, 0},
                    {udev_monitor_get_fd(monitor_.get()), POLLIN, 0}};
    while (true) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))
            return;
        if (fds[1].revents & POLLIN)
            ReceiveEvents();
    }
}

void DeviceWatch::ReceiveEvents()
{
    // The monitor's socket does not block: this takes what has queued up.
    while (true) {
        std::unique_ptr<udev_device, DeviceUnref> device(
            udev_monitor_receive_device(monitor_.get()));
        if (!device)
            return;
        if (const auto change = ClassifyDeviceEvent(ReadEvent(device.get())))
            onChange_(*change);
    }
}

} // namespace corvath
