#pragma once

#include "platform/cdrom/cd_handle.h"
#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

/// Why a disc could not be opened.
enum class DiscOpenFailure {
    None,
    NoDrives,        ///< the drive list is empty
    NoSuchEntry,     ///< the index is outside the drive list
    Refused,         ///< the CD layer gave no handle for the entry
    UnreadableImage, ///< the CD layer cannot read the image, or the list has no room for it
};

/// What opening a drive list entry or a disc image gives: the handle (empty when it failed) and
/// the facts each front end words its messages from.
struct DiscOpening {
    CdHandle handle;
    DiscOpenFailure failure = DiscOpenFailure::None;
    CdDriveInfo drive{};    ///< the entry opened or refused
    int32_t driveCount = 0; ///< entries in the drive list
    std::string problem;    ///< why an image cannot be read, in words for the user
};

/// Opens entry index of the drive list (room for 8). A refused handle is asked for once more
/// after closing the oldest handle that this function gave out and that is still open: a handle
/// left open by an earlier run of the window may hold the drive. Handles opened otherwise (the
/// CD player's) are never closed here. The caller holds no handle of its own while this runs.
DiscOpening OpenDrive(int32_t index);

/// Registers a disc image (.cue, .toc, .nrg) with the CD layer; its position in the drive list,
/// nothing when the layer cannot read it or the list has no room for it (the reason is then in
/// GetCdLastErrorText).
std::optional<int32_t> RegisterImage(const std::string& path);

/// Registers a disc image and opens its drive list entry as OpenDrive does.
DiscOpening OpenImage(const std::string& path);

/// Vendor then product, each up to its first zero byte, cut to 26 characters, not trimmed.
std::string DriveDescription(const CdDriveInfo& drive);

/// The drive as a rip log names it: vendor and product, then the device or image in brackets.
std::string DriveLogName(const CdDriveInfo& drive);

/// The drive list (room for 8) as a user chooses from it: each entry's description without the
/// blanks around it, in list order.
std::vector<std::string> DriveChoices();

} // namespace corvath
