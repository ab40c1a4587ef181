#include "platform/devicewatch/device_watch.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace corvath {
namespace {

DeviceEvent CdDriveEvent(std::string action, std::map<std::string, std::string> extra = {})
{
    extra.emplace("ID_CDROM", "1");
    extra.emplace("ID_TYPE", "cd");
    return {std::move(action), "block", "disk", std::move(extra)};
}

// A memory stick as udev reports it: a USB disk with a partition on it.
DeviceEvent UsbStickEvent(std::string action, std::string devtype)
{
    return {std::move(action),
            "block",
            std::move(devtype),
            {{"ID_BUS", "usb"}, {"ID_TYPE", "disk"}, {"DISK_MEDIA_CHANGE", "1"}}};
}

TEST(ClassifyDeviceEventTest, DiscPutInIsAnArrivalAndTakenOutARemoval)
{
    EXPECT_EQ(
        ClassifyDeviceEvent(CdDriveEvent("change", {{"DISK_MEDIA_CHANGE", "1"},
                                                    {"ID_CDROM_MEDIA", "1"},
                                                    {"ID_CDROM_MEDIA_TRACK_COUNT_AUDIO", "12"}})),
        DeviceChange::kArrival);
    // The eject button asks first; the media change without media follows.
    EXPECT_EQ(ClassifyDeviceEvent(CdDriveEvent("change", {{"DISK_EJECT_REQUEST", "1"}})),
              DeviceChange::kRemoval);
    EXPECT_EQ(ClassifyDeviceEvent(CdDriveEvent("change", {{"DISK_MEDIA_CHANGE", "1"}})),
              DeviceChange::kRemoval);
}

TEST(ClassifyDeviceEventTest, CdDriveComingAndGoingIsAnArrivalAndARemoval)
{
    EXPECT_EQ(ClassifyDeviceEvent(CdDriveEvent("add")), DeviceChange::kArrival);
    EXPECT_EQ(ClassifyDeviceEvent(CdDriveEvent("remove")), DeviceChange::kRemoval);
}

TEST(ClassifyDeviceEventTest, OtherEventsOfACdDriveAreNothing)
{
    // A change that is no media change, e.g. the rules re-reading the drive.
    EXPECT_EQ(ClassifyDeviceEvent(CdDriveEvent("change", {{"ID_CDROM_MEDIA", "1"}})), std::nullopt);
    EXPECT_EQ(ClassifyDeviceEvent(CdDriveEvent("bind")), std::nullopt);
    EXPECT_EQ(ClassifyDeviceEvent(CdDriveEvent("change", {{"DISK_MEDIA_CHANGE", "0"}})),
              std::nullopt);
    DeviceEvent scsiGeneric = CdDriveEvent("add");
    scsiGeneric.subsystem = "scsi_generic";
    scsiGeneric.devtype.clear();
    EXPECT_EQ(ClassifyDeviceEvent(scsiGeneric), std::nullopt);
}

TEST(ClassifyDeviceEventTest, MemorySticksAndPartitionsAreNothing)
{
    for (const char* action : {"add", "remove", "change"}) {
        SCOPED_TRACE(action);
        EXPECT_EQ(ClassifyDeviceEvent(UsbStickEvent(action, "disk")), std::nullopt);
        EXPECT_EQ(ClassifyDeviceEvent(UsbStickEvent(action, "partition")), std::nullopt);
    }
    // A partition carries its disk's properties; only the whole drive counts.
    DeviceEvent cdPartition = CdDriveEvent("add");
    cdPartition.devtype = "partition";
    EXPECT_EQ(ClassifyDeviceEvent(cdPartition), std::nullopt);
}

// The destructor must wake the thread out of its wait, with or without a udev daemon; a watch
// that hangs turns into a failure instead of a stuck test program.
TEST(DeviceWatchTest, StartsAndStopsPromptly)
{
    std::packaged_task<bool()> lifetimes([] {
        bool active = false;
        for (int round = 0; round < 3; ++round) {
            DeviceWatch watch([](DeviceChange) {});
            active = watch.Active();
        }
        return active;
    });
    auto done = lifetimes.get_future();
    std::thread(std::move(lifetimes)).detach();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    RecordProperty("udev_monitor", done.get() ? "active" : "inactive");
}

} // namespace
} // namespace corvath
