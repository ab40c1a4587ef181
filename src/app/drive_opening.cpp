#include "app/drive_opening.h"

#include "platform/cdrom/cd_drive_interface.h"

#include <cstring>

namespace corvath {

namespace {

constexpr const char* kNoDevices = "Can not find CD devices!";
constexpr const char* kBadIndex = "CD device information error in your configration!";
constexpr std::size_t kDescriptionLength = 26;
constexpr int32_t kHandlesToFree = 10;

// Vendor then product, each up to its first zero byte, cut to 26 characters, not trimmed.
std::string Description(const CdDriveInfo& drive)
{
    std::string text(drive.Vendor.data(), strnlen(drive.Vendor.data(), drive.Vendor.size()));
    text.append(drive.Product.data(), strnlen(drive.Product.data(), drive.Product.size()));
    return text.substr(0, kDescriptionLength);
}

} // namespace

DriveOpening OpenDrive(int32_t index)
{
    CdDriveList list;
    GetCDList(list);
    if (list.Count == 0)
        return {0, kNoDevices};
    if (index < 0 || index >= list.Count)
        return {0, kBadIndex};

    const CdDriveInfo& drive = list.Drives[static_cast<std::size_t>(index)];
    const CdHandleRequest request = HandleRequestFor(drive);
    int32_t handle = GetCDHandle(request);
    for (int32_t stale = 1; handle == 0 && stale <= kHandlesToFree; ++stale) {
        if (CloseDrive(stale)) {
            handle = GetCDHandle(request);
            break;
        }
    }
    return {handle, handle != 0 ? Description(drive) : kNoDevices};
}

bool CloseDrive(int32_t handle)
{
    return handle == 0 || CloseCDHandle(handle);
}

} // namespace corvath
