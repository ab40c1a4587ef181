#include "cli/cd_source.h"

#include "platform/cdrom/cd_drive_interface.h"

#include <algorithm>

namespace corvath::cli {

namespace {

CdDriveList DriveList()
{
    CdDriveList list;
    GetCDList(list);
    return list;
}

} // namespace

CdHandle::~CdHandle()
{
    if (handle_ != 0)
        CloseCDHandle(handle_);
}

std::optional<CdHandle> OpenDrive(std::size_t index, std::ostream& err)
{
    const CdDriveList list = DriveList();
    if (index >= list.Count) {
        err << "corvath-cli: no CD drive " << index << " (" << int{list.Count} << " found)\n";
        return std::nullopt;
    }
    const CdDriveInfo& drive = list.Drives[index];
    CdHandle handle(GetCDHandle(HandleRequestFor(drive)));
    if (handle.get() == 0) {
        err << "corvath-cli: cannot open " << drive.Identification.data() << " (error "
            << GetAspiLibError() << ")\n";
        return std::nullopt;
    }
    return handle;
}

std::optional<CdHandle> OpenImage(const std::string& image, std::ostream& err)
{
    CdHandle handle(OpenDiscImage(image));
    if (handle.get() == 0) {
        err << "corvath-cli: cannot open the disc image " << image << " (error "
            << GetAspiLibError() << ")\n";
        return std::nullopt;
    }
    return handle;
}

std::optional<CdHandle> OpenChosenDisc(const std::optional<std::size_t>& drive,
                                       const std::string& image, int32_t settingsIndex,
                                       std::ostream& err)
{
    if (!image.empty())
        return OpenImage(image, err);
    return OpenDrive(drive.value_or(static_cast<std::size_t>(std::max(settingsIndex, 0))), err);
}

} // namespace corvath::cli
