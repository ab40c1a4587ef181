#pragma once

#include <map>
#include <optional>
#include <string>

namespace corvath {

/// What a device event means to the main window: a disc (or a CD drive) came or went.
enum class DeviceChange { kArrival, kRemoval };

/// The parts of a udev event that decide whether it concerns a disc.
struct DeviceEvent {
    std::string action;    ///< "add", "remove", "change", ...
    std::string subsystem; ///< "block" for drives and disks
    std::string devtype;   ///< "disk" for a whole drive, "partition" for a partition
    std::map<std::string, std::string> properties;
};

/// Arrival, removal or nothing for one event. Only CD drives (ID_CDROM=1) count: a disc put in
/// is an arrival, an eject request or a disc gone is a removal, and a CD drive that appears or
/// disappears is an arrival or a removal. Memory sticks, hard disks and partitions give nothing.
/// An eject can give two removals (the request, then the media change); emptying a list twice
/// does no harm.
std::optional<DeviceChange> ClassifyDeviceEvent(const DeviceEvent& event);

} // namespace corvath
