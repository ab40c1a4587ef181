#include "app/disc_opening.h"

#include "platform/cdrom/cd_device_list.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"

#include <cstring>
#include <deque>
#include <mutex>

namespace corvath {

namespace {

constexpr std::size_t kDescriptionLength = 26;

CdDriveList DriveList()
{
    CdDriveList list;
    GetCDList(list);
    return list;
}

// The handles OpenDrive gave out in this run. The CD layer never gives a number out twice, so
// each number here is still OpenDrive's handle or no handle at all: freeing one cannot reach a
// handle another part opened for itself, such as the CD player's.
class OpenedHandles {
public:
    void Add(int32_t handle)
    {
        const std::lock_guard lock(mutex_);
        handles_.push_back(handle);
    }

    // Closes the oldest that is still open, forgetting those found closed; false when none is.
    bool CloseOldest()
    {
        const std::lock_guard lock(mutex_);
        while (!handles_.empty()) {
            const int32_t handle = handles_.front();
            handles_.pop_front();
            if (CloseCDHandle(handle))
                return true;
        }
        return false;
    }

private:
    std::mutex mutex_;
    std::deque<int32_t> handles_;
};

OpenedHandles& Opened()
{
    static OpenedHandles handles;
    return handles;
}

} // namespace

DiscOpening OpenDrive(int32_t index)
{
    const CdDriveList list = DriveList();
    DiscOpening opening;
    opening.driveCount = list.Count;
    if (list.Count == 0) {
        opening.failure = DiscOpenFailure::NoDrives;
        return opening;
    }
    if (index < 0 || index >= list.Count) {
        opening.failure = DiscOpenFailure::NoSuchEntry;
        return opening;
    }

    opening.drive = list.Drives[static_cast<std::size_t>(index)];
    const CdHandleRequest request = HandleRequestFor(opening.drive);
    int32_t handle = GetCDHandle(request);
    if (handle == 0 && Opened().CloseOldest())
        handle = GetCDHandle(request);
    opening.handle = CdHandle(handle);
    if (!opening.handle) {
        opening.failure = DiscOpenFailure::Refused;
        return opening;
    }
    Opened().Add(handle);
    return opening;
}

std::optional<int32_t> RegisterImage(const std::string& path)
{
    if (!RegisterDiscImage(path))
        return std::nullopt;
    const std::optional<CdDevice> image = FindImageDevice(path);
    if (!image)
        return std::nullopt;
    const CdDriveList list = DriveList();
    for (int32_t i = 0; i < list.Count; ++i) {
        const CdDriveInfo& drive = list.Drives[static_cast<std::size_t>(i)];
        if (drive.HostAdapter == image->hostAdapter && drive.Target == image->target &&
            drive.Lun == image->lun)
            return i;
    }
    SetCdLastError(kCdErrorNoDrive, "the drive list has no room left for it");
    return std::nullopt;
}

DiscOpening OpenImage(const std::string& path)
{
    const std::optional<int32_t> index = RegisterImage(path);
    if (index)
        return OpenDrive(*index);
    DiscOpening opening;
    opening.failure = DiscOpenFailure::UnreadableImage;
    opening.problem = GetCdLastErrorText();
    return opening;
}

std::string DriveDescription(const CdDriveInfo& drive)
{
    std::string text(drive.Vendor.data(), strnlen(drive.Vendor.data(), drive.Vendor.size()));
    text.append(drive.Product.data(), strnlen(drive.Product.data(), drive.Product.size()));
    return text.substr(0, kDescriptionLength);
}

namespace {

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string DriveLogName(const CdDriveInfo& drive)
{
    const std::string model = Trimmed(DriveDescription(drive));
    const std::string device(drive.Identification.data(),
                             strnlen(drive.Identification.data(), drive.Identification.size()));
    return model.empty() ? device : model + " (" + device + ")";
}

std::vector<std::string> DriveChoices()
{
    const CdDriveList list = DriveList();
    std::vector<std::string> choices;
    for (int32_t i = 0; i < list.Count; ++i) {
        choices.push_back(Trimmed(DriveDescription(list.Drives[static_cast<std::size_t>(i)])));
    }
    return choices;
}

} // namespace corvath
