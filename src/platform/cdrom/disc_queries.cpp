#include "platform/cdrom/disc_queries.h"

#include "platform/cdrom/cd_device_list.h"
#include "platform/cdrom/disc_id.h"

#include <optional>

namespace corvath {

namespace {

// The TOC of an audio disc in the first listed drive, read through a libcdio handle of our
// own so no handle of the caller's changes, nor the layer's last error.
std::optional<CdToc> FirstDriveAudioToc()
{
    const std::vector<CdDevice> devices = ListCdDevices();
    if (devices.empty())
        return std::nullopt;
    const CdioHandle cdio = OpenCdDevice(devices.front());
    if (!cdio)
        return std::nullopt;
    std::optional<CdToc> toc = ReadDiscToc(cdio.get(), true);
    if (!toc || (toc->Entries[0].AdrControl & kCdDataTrackControl) != 0)
        return std::nullopt;
    return toc;
}

} // namespace

bool IsAudioCDPresent()
{
    return FirstDriveAudioToc().has_value();
}

std::string ReadDiscId()
{
    const std::optional<CdToc> toc = FirstDriveAudioToc();
    return toc ? std::to_string(WindowsDiscSerial(*toc)) : std::string();
}

} // namespace corvath
