#pragma once

#include "app/disc_info_store.h"
#include "app/options_setting.h"
#include "platform/cdrom/cd_handle.h"
#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

/// A track list row as the disc gives it: the disc's tracks, after the track hidden before the
/// first when the disc has one (number 0).
struct TrackRow {
    int number = 0;
    std::string title;
    std::string startTime; ///< MM:SS of the track's TOC address
    std::string length;    ///< MM:SS
    /// Checked at first: not a data track, which cannot be ripped, nor a hidden track, which
    /// the user asks for.
    bool checked = true;
};

/// How many tracks the disc counts for its files' tags and names: up to its last audio track, so
/// the data session of an enhanced CD does not count while a data track before the audio keeps
/// the numbers after it.
int AudioTrackTotal(const CdToc& toc);

/// How the disc information file and the cover cache know a disc: its Windows serial number as
/// text; empty for a disc whose first track is not audio.
std::string DiscKeyOf(const CdToc& toc);

/// The main window's open drive and the disc loaded from it, on the engine side: opening and
/// closing the drive, reading the disc into rows and keeping what the user typed for it in the
/// disc information file.
class DiscSession {
public:
    explicit DiscSession(std::filesystem::path discInfoFile);

    /// Opens entry index of the drive list in place of the open drive; returns the status text
    /// (the drive's description, or why there is no handle).
    std::string OpenDrive(int32_t index);

    /// Registers a disc image with the CD layer and opens it in place of the open drive;
    /// returns the status text. Throws, naming why, when the CD layer cannot read the image;
    /// the open drive then stays open.
    std::string OpenImage(const std::string& path);

    /// Closes the open drive; true when there was none.
    bool CloseDrive();

    /// Opens (open set) or closes the tray of the chosen drive, also when it has no handle, as
    /// a drive with no disc in it has none; false, with the reason in GetCdLastErrorText, when
    /// none was chosen, it is a disc image, or the drive would not.
    bool MoveTray(bool open) const;

    int32_t Handle() const { return handle_.get(); }
    /// The drive list entry of the open drive; -1 when none is open.
    int32_t DriveIndex() const { return handle_ ? driveIndex_ : -1; }
    /// The chosen drive's vendor and product, also when it refused a handle.
    const std::string& Description() const { return description_; }
    /// The open drive as a rip log names it (DriveLogName).
    const std::string& LogName() const { return logName_; }

    /// AudioTrackTotal of the disc the rows were read from; 0 when none is loaded.
    int LoadedTrackTotal() const { return loadedId_.empty() ? 0 : loadedTrackTotal_; }

    /// The key of the disc the rows were read from (DiscKeyOf); empty when none is loaded.
    const std::string& LoadedKey() const { return loadedId_; }

    /// Whether the open drive holds a disc whose first track is audio.
    bool IsAudioCDPresent() const;

    /// The open drive's table of contents; nothing when it cannot be read.
    std::optional<CdToc> ReadToc() const;

    /// Identifies the disc, loads its stored information into info and reads its TOC into rows
    /// (filling empty title slots with Track01 ..., and slot 0 with "Hidden track" for a disc
    /// that has a hidden track, HasHiddenTrack); nothing when the TOC cannot be read.
    std::optional<std::vector<TrackRow>> ReadDisc(TCDInfo& info);

    /// What the last ReadDisc has to tell of the disc information file's mended lines; empty
    /// when it had none.
    const std::string& FileNote() const { return fileNote_; }

    /// Stores titles (the rows' in list order, so the first is the hidden track's or the
    /// disc's first track's) and fields under the identifier of the disc the rows were read
    /// from, then forgets that disc: the rows are about to go. Nothing is stored when no
    /// identified disc is loaded. Throws when the file cannot be written.
    void SaveDisc(TCDInfo& info, const std::vector<std::string>& titles, const TDiscFields& fields);

private:
    std::filesystem::path discInfoFile_;
    CdHandle handle_;
    int32_t driveIndex_ = -1;
    std::string description_;
    std::string logName_;
    std::string loadedId_;
    int loadedFirstTrack_ = 1;
    bool loadedHidden_ = false;
    int loadedTrackTotal_ = 0;
    std::string fileNote_;
};

} // namespace corvath
