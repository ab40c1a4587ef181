#include "ui/disc_session.h"

#include "app/drive_opening.h"
#include "app/output_naming.h"
#include "platform/cdrom/cd_device_list.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/disc_queries.h"

#include <utility>

namespace corvath::ui {

namespace {

std::string MinutesSeconds(int minutes, int seconds)
{
    return TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

// The TOC of the handle's disc with MSF addresses; nothing when it cannot be read.
std::optional<CdToc> ReadMsfToc(int32_t handle)
{
    CdToc toc;
    ModifyCDParms(handle, kCdParmMsfAddresses, 1);
    if (ReadTOC(handle, toc) != 1)
        return std::nullopt;
    return toc;
}

bool StartsWithAudio(const CdToc& toc)
{
    return toc.LastTrack >= toc.FirstTrack &&
           (toc.Entries[0].AdrControl & kCdDataTrackControl) == 0;
}

// The position of a registered image in the drive list.
std::optional<int32_t> ImageListIndex(const std::string& path)
{
    const std::optional<CdDevice> image = FindImageDevice(path);
    if (!image)
        return std::nullopt;
    CdDriveList list;
    GetCDList(list);
    for (int32_t i = 0; i < list.Count; ++i) {
        const CdDriveInfo& drive = list.Drives[static_cast<std::size_t>(i)];
        if (drive.HostAdapter == image->hostAdapter && drive.Target == image->target &&
            drive.Lun == image->lun)
            return i;
    }
    return std::nullopt;
}

} // namespace

DiscSession::DiscSession(std::filesystem::path discInfoFile)
    : discInfoFile_(std::move(discInfoFile))
{
}

std::string DiscSession::OpenDrive(int32_t index)
{
    const DriveOpening opened = corvath::OpenDrive(index);
    handle_ = opened.handle;
    description_ = opened.handle != 0 ? opened.status : std::string();
    imageOpen_ = false;
    return opened.status;
}

std::optional<std::string> DiscSession::OpenImage(const std::string& path)
{
    if (!RegisterDiscImage(path))
        return std::nullopt;
    const std::optional<int32_t> index = ImageListIndex(path);
    if (!index)
        return std::nullopt;
    CloseDrive();
    std::string status = OpenDrive(*index);
    imageOpen_ = handle_ != 0;
    return status;
}

bool DiscSession::CloseDrive()
{
    const bool closed = corvath::CloseDrive(handle_);
    handle_ = 0;
    return closed;
}

bool DiscSession::IsAudioCDPresent() const
{
    if (!imageOpen_)
        return corvath::IsAudioCDPresent();
    const std::optional<CdToc> toc = ReadMsfToc(handle_);
    return toc && StartsWithAudio(*toc);
}

std::string DiscSession::ReadDiscId() const
{
    if (!imageOpen_)
        return corvath::ReadDiscId();
    const std::optional<CdToc> toc = ReadMsfToc(handle_);
    return toc && StartsWithAudio(*toc) ? std::to_string(WindowsDiscSerial(*toc)) : std::string();
}

std::optional<std::vector<TrackRow>> DiscSession::ReadDisc(TCDInfo& info)
{
    loadedId_.clear();
    const std::string id = ReadDiscId();
    LoadDiscInfo(info, discInfoFile_, id);
    const std::optional<CdToc> toc = ReadMsfToc(handle_);
    if (!toc)
        return std::nullopt;

    std::vector<TrackRow> rows;
    for (int track = toc->FirstTrack; track <= toc->LastTrack; ++track) {
        const auto entry = static_cast<std::size_t>(track - toc->FirstTrack);
        const auto& start = toc->Entries[entry].Address;
        const auto& end = toc->Entries[entry + 1].Address;
        int minutes = end[1] - start[1];
        int seconds = end[2] - start[2];
        if (seconds < 0) {
            seconds += 60;
            minutes -= 1;
        }
        std::string& title = info.Titles[track];
        if (title.empty())
            title = "Track" + TwoDigits(track);
        rows.push_back(
            {track, title, MinutesSeconds(start[1], start[2]), MinutesSeconds(minutes, seconds)});
    }
    if (!rows.empty())
        loadedId_ = id;
    return rows;
}

void DiscSession::SaveDisc(TCDInfo& info, const std::vector<std::string>& titles,
                           const TDiscFields& fields)
{
    const std::string id = std::exchange(loadedId_, std::string());
    info.CDTrackNumber = static_cast<int32_t>(titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i)
        info.Titles[static_cast<int>(i) + 1] = titles[i];
    SaveDiscInfo(info, fields, discInfoFile_, id);
}

} // namespace corvath::ui
