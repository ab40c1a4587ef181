#include "platform/devicewatch/device_event.h"

namespace corvath {

namespace {

bool IsSet(const DeviceEvent& event, const std::string& property)
{
    const auto found = event.properties.find(property);
    return found != event.properties.end() && found->second == "1";
}

} // namespace

std::optional<DeviceChange> ClassifyDeviceEvent(const DeviceEvent& event)
{
    if (event.subsystem != "block" || event.devtype != "disk" || !IsSet(event, "ID_CDROM"))
        return std::nullopt;
    if (event.action == "add")
        return DeviceChange::kArrival;
    if (event.action == "remove")
        return DeviceChange::kRemoval;
    if (event.action != "change")
        return std::nullopt;
    if (IsSet(event, "DISK_EJECT_REQUEST"))
        return DeviceChange::kRemoval;
    if (IsSet(event, "DISK_MEDIA_CHANGE"))
        return IsSet(event, "ID_CDROM_MEDIA") ? DeviceChange::kArrival : DeviceChange::kRemoval;
    return std::nullopt;
}

} // namespace corvath
