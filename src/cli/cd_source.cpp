#include "cli/cd_source.h"

#include "app/disc_opening.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <algorithm>
#include <limits>

namespace corvath::cli {

ChosenDisc OpenDrive(std::size_t index, std::ostream& err)
{
    constexpr std::size_t kLargest = std::numeric_limits<int32_t>::max();
    DiscOpening opened = corvath::OpenDrive(static_cast<int32_t>(std::min(index, kLargest)));
    switch (opened.failure) {
    case DiscOpenFailure::None:
        break;
    case DiscOpenFailure::Refused:
        err << "corvath-cli: cannot open " << opened.drive.Identification.data() << " (error "
            << GetAspiLibError() << ")\n";
        break;
    case DiscOpenFailure::NoDrives:
    case DiscOpenFailure::NoSuchEntry:
    case DiscOpenFailure::UnreadableImage:
        err << "corvath-cli: no CD drive " << index << " (" << opened.driveCount << " found)\n";
        break;
    }
    return {std::move(opened.handle), DriveLogName(opened.drive)};
}

ChosenDisc OpenImage(const std::string& image, std::ostream& err)
{
    DiscOpening opened = corvath::OpenImage(image);
    if (!opened.handle)
        err << "corvath-cli: cannot open the disc image " << image << ": "
            << (opened.problem.empty() ? "error " + std::to_string(GetAspiLibError())
                                       : opened.problem)
            << '\n';
    return {std::move(opened.handle), DriveLogName(opened.drive)};
}

std::size_t ChosenDriveIndex(const std::optional<std::size_t>& drive, int32_t settingsIndex)
{
    return drive.value_or(static_cast<std::size_t>(std::max(settingsIndex, 0)));
}

ChosenDisc OpenChosenDisc(const std::optional<std::size_t>& drive, const std::string& image,
                          int32_t settingsIndex, std::ostream& err)
{
    if (!image.empty())
        return OpenImage(image, err);
    return OpenDrive(ChosenDriveIndex(drive, settingsIndex), err);
}

} // namespace corvath::cli
