#include "app/disc_session.h"

#include "app/disc_opening.h"
#include "app/output_naming.h"
#include "platform/cdrom/cd_device_list.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/disc_queries.h"

#include <utility>

namespace corvath {

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

std::string StatusText(const DiscOpening& opening)
{
    switch (opening.failure) {
    case DiscOpenFailure::None:
        return DriveDescription(opening.drive);
    case DiscOpenFailure::NoSuchEntry:
        return "CD device information error in your configration!";
    case DiscOpenFailure::NoDrives:
    case DiscOpenFailure::Refused:
    case DiscOpenFailure::UnreadableImage:
        break;
    }
    return "Can not find CD devices!";
}

} // namespace

DiscSession::DiscSession(std::filesystem::path discInfoFile)
    : discInfoFile_(std::move(discInfoFile))
{
}

std::string DiscSession::OpenDrive(int32_t index)
{
    // Closed first: freeing a stale handle must not find this one.
    CloseDrive();
    DiscOpening opened = corvath::OpenDrive(index);
    handle_ = std::move(opened.handle);
    driveIndex_ = index;
    std::string status = StatusText(opened);
    description_ = handle_ ? status : std::string();
    // An image is identified by its own TOC, whether it was opened by path or by list entry.
    imageOpen_ = handle_ && opened.drive.HostAdapter == kImageHostAdapter;
    return status;
}

std::optional<std::string> DiscSession::OpenImage(const std::string& path)
{
    const std::optional<int32_t> index = RegisterImage(path);
    if (!index)
        return std::nullopt;
    return OpenDrive(*index);
}

bool DiscSession::CloseDrive()
{
    return handle_.Close();
}

bool DiscSession::IsAudioCDPresent() const
{
    if (!imageOpen_)
        return corvath::IsAudioCDPresent();
    const std::optional<CdToc> toc = ReadMsfToc(handle_.get());
    return toc && StartsWithAudio(*toc);
}

std::string DiscSession::ReadDiscId() const
{
    if (!imageOpen_)
        return corvath::ReadDiscId();
    const std::optional<CdToc> toc = ReadMsfToc(handle_.get());
    return toc && StartsWithAudio(*toc) ? std::to_string(WindowsDiscSerial(*toc)) : std::string();
}

std::optional<CdToc> DiscSession::ReadToc() const
{
    return ReadMsfToc(handle_.get());
}

std::optional<std::vector<TrackRow>> DiscSession::ReadDisc(TCDInfo& info)
{
    loadedId_.clear();
    const std::string id = ReadDiscId();
    LoadDiscInfo(info, discInfoFile_, id);
    const std::optional<CdToc> toc = ReadToc();
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

} // namespace corvath
