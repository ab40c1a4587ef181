#include "platform/cdrom/cd_device_list.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace corvath {

namespace {

constexpr uint8_t kDriveHostAdapter = 0;
constexpr uint8_t kImageHostAdapter = 1;
constexpr std::size_t kProductLength = 16;

struct Registry {
    std::mutex mutex;
    // Every drive seen during the run keeps its target number (its index here), so a drive
    // that comes and goes is still addressed by the same numbers.
    std::vector<CdDevice> drivesSeen;
    std::vector<CdDevice> images;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

// libcdio reads a CD image with the driver its format needs.
driver_id_t ImageDriver(const std::string& path)
{
    if (char* bin = cdio_is_cuefile(path.c_str())) {
        cdio_free(bin);
        return DRIVER_BINCUE;
    }
    if (cdio_is_tocfile(path.c_str()))
        return DRIVER_CDRDAO;
    if (cdio_is_nrg(path.c_str()))
        return DRIVER_NRG;
    return DRIVER_UNKNOWN;
}

CdDevice DescribeDrive(const std::string& path, uint8_t target)
{
    CdDevice drive{kDriveHostAdapter, target, 0, path, DRIVER_DEVICE, {}, {}};
    cdio_hwinfo_t hardware{};
    if (const CdioHandle cdio = OpenCdio(path, DRIVER_DEVICE);
        cdio && cdio_get_hwinfo(cdio.get(), &hardware)) {
        drive.vendor = hardware.psz_vendor;
        drive.product = hardware.psz_model;
    } else {
        drive.product = std::filesystem::path(path).filename().string().substr(0, kProductLength);
    }
    return drive;
}

// The drives libcdio finds now, described once per run.
std::vector<CdDevice> PresentDrives(Registry& registry)
{
    QuietCdioLog();
    std::vector<CdDevice> present;
    char** paths = cdio_get_devices(DRIVER_DEVICE);
    for (char** path = paths; path && *path; ++path) {
        auto seen = std::ranges::find(registry.drivesSeen, std::string(*path), &CdDevice::source);
        if (seen == registry.drivesSeen.end()) {
            const auto target = static_cast<uint8_t>(registry.drivesSeen.size());
            registry.drivesSeen.push_back(DescribeDrive(*path, target));
            seen = registry.drivesSeen.end() - 1;
        }
        present.push_back(*seen);
    }
    if (paths)
        cdio_free_device_list(paths);
    return present;
}

} // namespace

std::vector<CdDevice> ListCdDevices()
{
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    std::vector<CdDevice> devices = PresentDrives(registry);
    devices.insert(devices.end(), registry.images.begin(), registry.images.end());
    return devices;
}

std::optional<CdDevice> FindCdDevice(uint8_t hostAdapter, uint8_t target, uint8_t lun)
{
    for (CdDevice& device : ListCdDevices()) {
        if (device.hostAdapter == hostAdapter && device.target == target && device.lun == lun)
            return std::move(device);
    }
    return std::nullopt;
}

bool RegisterImageDevice(const std::string& path)
{
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    if (error)
        return false;
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    if (std::ranges::find(registry.images, absolute, &CdDevice::source) != registry.images.end())
        return true;
    // Targets are bytes; a run registers far fewer images than that.
    if (registry.images.size() > UINT8_MAX)
        return false;
    const driver_id_t driver = ImageDriver(absolute);
    if (!OpenCdio(absolute, driver))
        return false;
    const auto target = static_cast<uint8_t>(registry.images.size());
    registry.images.push_back(
        CdDevice{kImageHostAdapter, target, 0, absolute, driver, "Image",
                 std::filesystem::path(absolute).filename().string().substr(0, kProductLength)});
    return true;
}

CdioHandle OpenCdDevice(const CdDevice& device)
{
    return OpenCdio(device.source, device.driver);
}

} // namespace corvath
