#include "platform/cdrom/cd_device_list.h"

#include "platform/cdrom/cdio_source.h"
#include "platform/cdrom/drive_disc.h"
#include "platform/cdrom/images/image_disc.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace corvath {

namespace {

constexpr uint8_t kDriveHostAdapter = 0;
constexpr std::size_t kProductLength = 16;

struct Registry {
    std::mutex mutex;
    // Every drive seen during the run keeps its target number (its index here), so a drive
    // that comes and goes is still addressed by the same numbers.
    std::vector<CdDevice> drivesSeen;
    std::vector<CdDevice> images;

    // An image whose file is gone leaves the list, like a disc taken out of a drive; handles
    // already open on it keep reading what libcdio opened.
    void ForgetVanishedImages()
    {
        std::erase_if(images, [](const CdDevice& image) {
            std::error_code error;
            return !std::filesystem::exists(image.source, error);
        });
    }

    // The smallest target number no listed image uses.
    std::optional<uint8_t> FreeImageTarget() const
    {
        for (unsigned target = 0; target <= UINT8_MAX; ++target) {
            if (std::ranges::find(images, target, &CdDevice::target) == images.end())
                return static_cast<uint8_t>(target);
        }
        return std::nullopt;
    }
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

CdDevice DescribeDrive(const std::string& path, uint8_t target)
{
    CdDevice drive{kDriveHostAdapter, target, 0, path, {}, {}};
    const CdioHandle cdio = OpenCdio(path, DRIVER_DEVICE);
    if (const std::optional<DriveNames> names = cdio ? ReadDriveNames(cdio.get()) : std::nullopt) {
        drive.vendor = names->vendor;
        drive.product = names->model;
    } else {
        drive.product = std::filesystem::path(path).filename().string().substr(0, kProductLength);
    }
    return drive;
}

CdDevice DescribeImage(const std::string& path, uint8_t target)
{
    // Padded to eight characters like a drive's vendor field, which descriptions run on from.
    CdDevice image{kImageHostAdapter, target, 0, path, "Image   ", {}};
    image.product = std::filesystem::path(path).filename().string().substr(0, kProductLength);
    return image;
}

// The drives libcdio finds now, described once per run.
std::vector<CdDevice> PresentDrives(Registry& registry)
{
    std::vector<CdDevice> present;
    for (const std::string& path : CdDrivePaths()) {
        auto seen = std::ranges::find(registry.drivesSeen, path, &CdDevice::source);
        if (seen == registry.drivesSeen.end()) {
            const auto target = static_cast<uint8_t>(registry.drivesSeen.size());
            registry.drivesSeen.push_back(DescribeDrive(path, target));
            seen = registry.drivesSeen.end() - 1;
        }
        present.push_back(*seen);
    }
    return present;
}

} // namespace

std::vector<CdDevice> ListCdDevices()
{
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    std::vector<CdDevice> devices = PresentDrives(registry);
    registry.ForgetVanishedImages();
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

namespace {

// Images are known by their absolute path, so one file registered by two names is one image.
std::optional<std::string> ImagePath(const std::string& path)
{
    std::error_code error;
    std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    if (error)
        return std::nullopt;
    return absolute;
}

} // namespace

std::optional<CdDevice> FindImageDevice(const std::string& path)
{
    const std::optional<std::string> absolute = ImagePath(path);
    for (CdDevice& device : ListCdDevices()) {
        if (absolute && device.source == *absolute)
            return std::move(device);
    }
    return std::nullopt;
}

std::string RegisterImageDevice(const std::string& path)
{
    const std::optional<std::string> imagePath = ImagePath(path);
    if (!imagePath)
        return "the file does not exist";
    const std::string& absolute = *imagePath;
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    registry.ForgetVanishedImages();
    if (std::ranges::find(registry.images, absolute, &CdDevice::source) != registry.images.end())
        return {};
    const std::optional<uint8_t> target = registry.FreeImageTarget();
    if (!target)
        return "too many disc images are open";
    const ImageParse parse = ReadImage(absolute);
    if (!parse.layout)
        return parse.problem;
    registry.images.push_back(DescribeImage(absolute, *target));
    return {};
}

std::unique_ptr<OpenDisc> OpenCdDevice(const CdDevice& device)
{
    if (device.hostAdapter == kImageHostAdapter) {
        // Read afresh, so a handle sees the image as it is now.
        ImageParse parse = ReadImage(device.source);
        std::string ignored;
        return parse.layout ? ImageDisc::Open(std::move(*parse.layout), ignored) : nullptr;
    }
    CdioHandle cdio = OpenCdio(device.source, DRIVER_DEVICE);
    return cdio ? std::make_unique<DriveDisc>(std::move(cdio)) : nullptr;
}

} // namespace corvath
