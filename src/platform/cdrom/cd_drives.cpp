// The drive side of the CD access layer: the drive list, handles, TOC and raw audio reads.

#include "platform/cdrom/cd_device_list.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "platform/cdrom/cdio_source.h"
#include "platform/cdrom/open_disc.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace corvath {

namespace {

struct OpenDrive {
    std::unique_ptr<OpenDisc> disc;
    std::atomic<bool> msfAddresses{false};
};

// Handles count up from 1 and are never given out twice in a run: an owner that closes a
// number late, or twice, cannot close another owner's drive. A drive stays alive while a call
// that looked it up still uses it, even if another thread closes its handle meanwhile.
class HandleTable {
public:
    int32_t Add(std::unique_ptr<OpenDisc> disc)
    {
        const std::lock_guard lock(mutex_);
        const int32_t handle = next_++;
        auto drive = std::make_shared<OpenDrive>();
        drive->disc = std::move(disc);
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
    int32_t next_ = 1;
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
    const std::optional<uint32_t> leadOut = drive->disc->LeadOut();
    if (!leadOut) {
        SetCdLastError(kCdErrorNoDisc);
        return 0;
    }
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
    std::unique_ptr<OpenDisc> disc = OpenCdDevice(*device);
    if (!disc) {
        SetCdLastError(kCdErrorNoDrive);
        return 0;
    }
    return Handles().Add(std::move(disc));
}

int32_t OpenDiscHandle(std::unique_ptr<OpenDisc> disc)
{
    return Handles().Add(std::move(disc));
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
    const std::optional<DiscTracks> tracks = drive->disc->Tracks();
    if (!tracks) {
        SetCdLastError(kCdErrorNoDisc);
        return 0;
    }
    toc = MakeTocRecord(*tracks, drive->msfAddresses);
    return 1;
}

bool ReadTrackPregaps(int32_t handle, std::vector<std::optional<uint32_t>>& pregaps)
{
    const auto drive = FindDrive(handle);
    if (!drive)
        return false;
    std::vector<std::optional<uint32_t>> read = drive->disc->Pregaps();
    if (read.empty()) {
        SetCdLastError(kCdErrorNoDisc);
        return false;
    }
    pregaps = std::move(read);
    return true;
}

bool ReadDiscFacts(int32_t handle, CdDiscFacts& facts, CdFactsDepth depth)
{
    const auto drive = FindDrive(handle);
    if (!drive)
        return false;
    std::optional<CdDiscFacts> read = drive->disc->Facts(depth);
    if (!read) {
        SetCdLastError(kCdErrorNoDisc);
        return false;
    }
    facts = std::move(*read);
    return true;
}

int32_t ReadCDAudioLBA(int32_t handle, CdTrackBuffer& buffer)
{
    return ReadChecked(handle, buffer, [&](OpenDrive& drive, uint8_t* data) {
        return drive.disc->ReadAudio(data, buffer.StartSector, buffer.SectorCount);
    });
}

int32_t ReadCDAudioLBASecure(int32_t handle, CdTrackBuffer& buffer,
                             std::vector<uint32_t>& doubtfulSectors, std::stop_token stop)
{
    doubtfulSectors.clear();
    return ReadChecked(handle, buffer, [&](OpenDrive& drive, uint8_t* data) {
        return drive.disc->ReadAudioSecure(data, buffer.StartSector, buffer.SectorCount,
                                           doubtfulSectors, stop);
    });
}

bool RegisterDiscImage(const std::string& path)
{
    const std::string problem = RegisterImageDevice(path);
    if (problem.empty())
        return true;
    SetCdLastError(kCdErrorNoDisc, problem);
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

bool MoveCDTray(const CdHandleRequest& request, bool open)
{
    const std::optional<CdDevice> device =
        FindCdDevice(request.HostAdapter, request.Target, request.Lun);
    if (!device) {
        SetCdLastError(kCdErrorNoDrive, "There is no such CD drive.");
        return false;
    }
    if (device->hostAdapter == kImageHostAdapter) {
        SetCdLastError(kCdErrorNoTray, device->source + " is a disc image, which has no tray.");
        return false;
    }
    if (open ? EjectDriveTray(device->source) : CloseDriveTray(device->source))
        return true;
    SetCdLastError(kCdErrorNoTray, "The drive " + device->source + " would not " +
                                       (open ? "open" : "close") + " its tray.");
    return false;
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
