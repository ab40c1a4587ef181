#pragma once

#include "platform/cdrom/cd_handle.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace corvath::cli {

/// An open drive or image and its name for the rip log.
struct ChosenDisc {
    CdHandle handle;
    std::string name;
};

/// Opens entry index of the CD layer's drive list. An empty handle, with the reason on err, when
/// there is no such entry or it cannot be opened.
ChosenDisc OpenDrive(std::size_t index, std::ostream& err);

/// Registers a disc image (.cue, .toc, .nrg) and opens it, as OpenDrive does.
ChosenDisc OpenImage(const std::string& image, std::ostream& err);

/// The drive list entry a command means: the one given, else the settings' drive index (-1,
/// none chosen, counting as 0).
std::size_t ChosenDriveIndex(const std::optional<std::size_t>& drive, int32_t settingsIndex);

/// The disc a command was pointed at: the image when one is given, else the drive, else the
/// settings' drive index (-1, none chosen, counting as 0).
ChosenDisc OpenChosenDisc(const std::optional<std::size_t>& drive, const std::string& image,
                          int32_t settingsIndex, std::ostream& err);

} // namespace corvath::cli
