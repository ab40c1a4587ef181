#include "app/disc_session.h"

#include "app/cd_text_fill.h"
#include "app/disc_opening.h"
#include "app/hidden_track.h"
#include "app/output_naming.h"
#include "platform/cdaudio/cd_player.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/track_span.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <utility>

namespace corvath {

namespace {

std::string MinutesSeconds(int minutes, int seconds)
{
    return TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

std::string LengthText(uint32_t seconds)
{
    return MinutesSeconds(static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
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
    return toc.LastTrack >= toc.FirstTrack && !IsDataTrack(toc.Entries[0]);
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
    // A drive that refused its handle is still the one chosen: Refresh names it.
    const bool listed =
        opened.failure == DiscOpenFailure::None || opened.failure == DiscOpenFailure::Refused;
    description_ = listed ? DriveDescription(opened.drive) : std::string();
    logName_ = listed ? DriveLogName(opened.drive) : std::string();
    return StatusText(opened);
}

std::string DiscSession::OpenImage(const std::string& path)
{
    const std::optional<int32_t> index = RegisterImage(path);
    if (!index)
        throw std::runtime_error(GetCdLastErrorText());
    return OpenDrive(*index);
}

bool DiscSession::CloseDrive()
{
    return handle_.Close();
}

bool DiscSession::MoveTray(bool open) const
{
    return open ? EjectTray(driveIndex_) : CloseTray(driveIndex_);
}

bool DiscSession::IsAudioCDPresent() const
{
    const std::optional<CdToc> toc = ReadToc();
    return toc && StartsWithAudio(*toc);
}

int AudioTrackTotal(const CdToc& toc)
{
    const int count = toc.LastTrack >= toc.FirstTrack ? toc.LastTrack - toc.FirstTrack + 1 : 0;
    int total = 0;
    for (int track = 1; track <= count; ++track) {
        if (!IsDataTrack(toc.Entries[static_cast<std::size_t>(track - 1)]))
            total = track;
    }
    return total;
}

std::string DiscKeyOf(const CdToc& toc)
{
    return StartsWithAudio(toc) ? std::to_string(WindowsDiscSerial(toc)) : std::string();
}

std::optional<CdToc> DiscSession::ReadToc() const
{
    if (!handle_)
        return std::nullopt;
    return ReadMsfToc(handle_.get());
}

std::optional<std::vector<TrackRow>> DiscSession::ReadDisc(TCDInfo& info)
{
    loadedId_.clear();
    loadedFirstTrack_ = 1;
    fileNote_.clear();
    const std::optional<CdToc> toc = ReadToc();
    if (!toc)
        return std::nullopt;
    const std::string id = DiscKeyOf(*toc);
    fileNote_ = LoadDiscInfoOrCdText(info, discInfoFile_, handle_.get(), *toc);

    std::vector<TrackRow> rows;
    const DiscFrames frames = TocFrames(*toc);
    std::string& hiddenTitle = info.Titles[0];
    if (HasHiddenTrack(handle_.get(), *toc)) {
        if (hiddenTitle.empty())
            hiddenTitle = DefaultTitle(kHiddenTrackPosition);
        const uint32_t seconds = frames.trackStarts[0] / 75 - kCdLeadInSectors / 75;
        rows.push_back(
            {0, hiddenTitle, MinutesSeconds(0, kCdLeadInSectors / 75), LengthText(seconds), false});
    } else {
        hiddenTitle.clear();
    }
    const std::vector<uint32_t> ends = TrackEndFrames(*toc);
    for (int track = toc->FirstTrack; track <= toc->LastTrack; ++track) {
        const auto entry = static_cast<std::size_t>(track - toc->FirstTrack);
        const auto& start = toc->Entries[entry].Address;
        // Whole seconds of the addresses, as the disc's times show them.
        const uint32_t seconds = ends[entry] / 75 - frames.trackStarts[entry] / 75;
        std::string& title = info.Titles[track];
        if (title.empty())
            title = DefaultTitle(track);
        rows.push_back({track, title, MinutesSeconds(start[1], start[2]), LengthText(seconds),
                        !IsDataTrack(toc->Entries[entry])});
    }
    if (!rows.empty()) {
        loadedId_ = id;
        loadedFirstTrack_ = toc->FirstTrack;
        loadedHidden_ = !hiddenTitle.empty();
        loadedTrackTotal_ = AudioTrackTotal(*toc);
    }
    return rows;
}

void DiscSession::SaveDisc(TCDInfo& info, const std::vector<std::string>& titles,
                           const TDiscFields& fields)
{
    const std::string id = std::exchange(loadedId_, std::string());
    // Slots are track numbers: a disc starting at track 3 keeps the slots below it.
    const int first = std::exchange(loadedFirstTrack_, 1);
    std::span<const std::string> listed = titles;
    info.Titles[0].clear();
    if (std::exchange(loadedHidden_, false) && !listed.empty()) {
        info.Titles[0] = listed.front();
        listed = listed.subspan(1);
    }
    const int last = std::min(first + static_cast<int>(listed.size()) - 1, TTitleSlots::kCount);
    info.CDTrackNumber = static_cast<int32_t>(std::max(last, 0));
    for (int track = first; track <= last; ++track)
        info.Titles[track] = listed[static_cast<std::size_t>(track - first)];
    SaveDiscInfo(info, fields, discInfoFile_, id);
}

} // namespace corvath
