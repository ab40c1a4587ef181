// The drive side of the CD access layer: the drive list, handles, TOC and raw audio reads.

#include "platform/cdrom/cd_device_list.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "platform/cdrom/image_sheet.h"
#include "platform/cdrom/paranoia_reader.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace corvath {

namespace {

struct OpenDrive {
    CdioHandle cdio;
    std::atomic<bool> msfAddresses{false};
    std::mutex secureMutex;
    std::unique_ptr<ParanoiaReader> secure; // opened by the first secure read; closes before cdio
};

// Handles are the smallest free numbers from 1. A drive stays alive while a call that looked
// it up still uses it, even if another thread closes its handle meanwhile.
class HandleTable {
public:
    int32_t Add(CdioHandle cdio)
    {
        const std::lock_guard lock(mutex_);
        int32_t handle = 1;
        while (drives_.contains(handle))
            ++handle;
        auto drive = std::make_shared<OpenDrive>();
        drive->cdio = std::move(cdio);
        drives_.emplace(handle, std::move(drive));
        return handle;
    }

    std::shared_ptr<OpenDrive> Find(int32_t handle)
    {
        const std::lock_guard lock(mutex_);
        const auto found = drives_.find(handle);
        return found == drives_.end() ? nullptr : found->second;
    }

    bool Remove(int32_t handle)
    {
        const std::lock_guard lock(mutex_);
        return drives_.erase(handle) == 1;
    }

private:
    std::mutex mutex_;
    std::map<int32_t, std::shared_ptr<OpenDrive>> drives_;
};

HandleTable& Handles()
{
    static HandleTable table;
    return table;
}

// The open drive of a handle; records kCdErrorNoDrive when there is none.
std::shared_ptr<OpenDrive> FindDrive(int32_t handle)
{
    auto drive = Handles().Find(handle);
    if (!drive)
        SetCdLastError(kCdErrorNoDrive);
    return drive;
}

template <std::size_t N> void CopyText(std::array<char, N>& field, const std::string& text)
{
    field.fill('\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), N - 1));
}

// Checks the buffer and the range against the disc's lead-out, then reads the sectors with
// read(drive, data); the layer's result.
template <typename Read> int32_t ReadChecked(int32_t handle, CdTrackBuffer& buffer, Read read)
{
    const auto drive = FindDrive(handle);
    if (!drive)
        return 0;
    buffer.ReturnedBytes = 0;
    buffer.DataOffset = 0;
    buffer.Status = 0;
    const uint64_t bytes = uint64_t{buffer.SectorCount} * kCdSectorBytes;
    if (buffer.SectorCount == 0 || buffer.Capacity < bytes || buffer.Data.size() < bytes) {
        SetCdLastError(kCdErrorBadRequest);
        return 0;
    }
    const std::optional<uint32_t> leadOut = LeadOutSector(drive->cdio.get());
    if (!leadOut) {
        SetCdLastError(kCdErrorNoDisc);
        return 0;
    }
    // An image's reader may hand back short or stale data past its end; a drive refuses.
    if (uint64_t{buffer.StartSector} + buffer.SectorCount > *leadOut ||
        !read(*drive, buffer.Data.data())) {
        SetCdLastError(kCdErrorRead);
        return 0;
    }
    buffer.ReturnedBytes = static_cast<uint32_t>(bytes);
    return 1;
}

} // namespace

void GetCDList(CdDriveList& list)
{
    const std::vector<CdDevice> devices = ListCdDevices();
    const std::size_t room = std::min<std::size_t>(list.Capacity, kCdMaxDrives);
    list.Count = static_cast<uint8_t>(std::min(devices.size(), room));
    list.Drives.fill(CdDriveInfo{});
    for (std::size_t i = 0; i < list.Count; ++i) {
        CdDriveInfo& info = list.Drives[i];
        info.HostAdapter = devices[i].hostAdapter;
        info.Target = devices[i].target;
        info.Lun = devices[i].lun;
        CopyText(info.Identification, devices[i].source);
        CopyText(info.Vendor, devices[i].vendor);
        CopyText(info.Product, devices[i].product);
    }
}

int32_t GetCDHandle(const CdHandleRequest& request)
{
    const std::optional<CdDevice> device =
        FindCdDevice(request.HostAdapter, request.Target, request.Lun);
    if (!device) {
        SetCdLastError(kCdErrorNoDrive);
        return 0;
    }
    CdioHandle cdio = OpenCdDevice(*device);
    if (!cdio) {
        SetCdLastError(kCdErrorNoDrive);
        return 0;
    }
    return Handles().Add(std::move(cdio));
}

bool CloseCDHandle(int32_t handle)
{
    if (Handles().Remove(handle))
        return true;
    SetCdLastError(kCdErrorNoDrive);
    return false;
}

bool ModifyCDParms(int32_t handle, int32_t parameter, int32_t value)
{
    const auto drive = FindDrive(handle);
    if (!drive)
        return false;
    if (parameter != kCdParmMsfAddresses || (value != 0 && value != 1)) {
        SetCdLastError(kCdErrorBadRequest);
        return false;
    }
    drive->msfAddresses = value == 1;
    return true;
}

int32_t ReadTOC(int32_t handle, CdToc& toc)
{
    const auto drive = FindDrive(handle);
    if (!drive)
        return 0;
    std::optional<CdToc> read = ReadDiscToc(drive->cdio.get(), drive->msfAddresses);
    if (!read) {
        SetCdLastError(kCdErrorNoDisc);
        return 0;
    }
    toc = *read;
    return 1;
}

bool ReadTrackPregaps(int32_t handle, std::vector<std::optional<uint32_t>>& pregaps)
{
    const auto drive = FindDrive(handle);
    if (!drive)
        return false;
    std::vector<std::optional<uint32_t>> read = ReadPregapSectors(drive->cdio.get());
    if (read.empty()) {
        SetCdLastError(kCdErrorNoDisc);
        return false;
    }
    pregaps = std::move(read);
    return true;
}

int32_t ReadCDAudioLBA(int32_t handle, CdTrackBuffer& buffer)
{
    return ReadChecked(handle, buffer, [&](OpenDrive& drive, uint8_t* data) {
        return ReadAudioSectors(drive.cdio.get(), data, buffer.StartSector, buffer.SectorCount);
    });
}

int32_t ReadCDAudioLBASecure(int32_t handle, CdTrackBuffer& buffer,
                             std::vector<uint32_t>& doubtfulSectors)
{
    doubtfulSectors.clear();
    return ReadChecked(handle, buffer, [&](OpenDrive& drive, uint8_t* data) {
        const std::lock_guard lock(drive.secureMutex);
        if (!drive.secure)
            drive.secure = ParanoiaReader::Open(drive.cdio.get());
        return drive.secure &&
               drive.secure->Read(data, buffer.StartSector, buffer.SectorCount, doubtfulSectors);
    });
}

bool RegisterDiscImage(const std::string& path)
{
    if (RegisterImageDevice(path))
        return true;
    SetCdLastError(kCdErrorNoDisc, WhyImageCannotBeRead(path));
    return false;
}

CdHandleRequest HandleRequestFor(const CdDriveInfo& drive)
{
    CdHandleRequest request;
    request.HostAdapter = drive.HostAdapter;
    request.Target = drive.Target;
    request.Lun = drive.Lun;
    return request;
}

int32_t OpenDiscImage(const std::string& path)
{
    if (!RegisterDiscImage(path))
        return 0;
    const std::optional<CdDevice> image = FindImageDevice(path);
    if (!image) {
        SetCdLastError(kCdErrorNoDrive);
        return 0;
    }
    CdHandleRequest request;
    request.HostAdapter = image->hostAdapter;
    request.Target = image->target;
    request.Lun = image->lun;
    return GetCDHandle(request);
}

} // namespace corvath
