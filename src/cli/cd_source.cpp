#include "cli/cd_source.h"

#include "platform/cdrom/cd_drive_interface.h"

#include <filesystem>

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
    CdHandleRequest request;
    request.HostAdapter = drive.HostAdapter;
    request.Target = drive.Target;
    request.Lun = drive.Lun;
    CdHandle handle(GetCDHandle(request));
    if (handle.get() == 0) {
        err << "corvath-cli: cannot open " << drive.Identification.data() << " (error "
            << GetAspiLibError() << ")\n";
        return std::nullopt;
    }
    return handle;
}

std::optional<CdHandle> OpenImage(const std::string& image, std::ostream& err)
{
    if (!RegisterDiscImage(image)) {
        err << "corvath-cli: cannot open the disc image " << image << '\n';
        return std::nullopt;
    }
    // The list names an image by its absolute path, cut to the field's room.
    const std::string path = std::filesystem::absolute(image).lexically_normal().string();
    const CdDriveList list = DriveList();
    const std::size_t room = list.Drives[0].Identification.size() - 1;
    for (std::size_t i = list.Count; i-- > 0;) {
        if (path.substr(0, room) == list.Drives[i].Identification.data())
            return OpenDrive(i, err);
    }
    err << "corvath-cli: the drive list has no room for " << image << '\n';
    return std::nullopt;
}

} // namespace corvath::cli
