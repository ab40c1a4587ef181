#pragma once

#include <cstdint>
#include <string>

namespace corvath {

/// What opening a drive of the CD layer's list gives the main window: the handle (0 when none)
/// and the text of its status panel (the drive's description, or why there is no handle).
struct DriveOpening {
    int32_t handle = 0;
    std::string status;
};

/// Opens entry index of the drive list (room for 8). A refused handle is asked for once more
/// after the first of the handles 1 to 10 that closes: a handle left open by an earlier run of
/// the window may hold the drive.
DriveOpening OpenDrive(int32_t index);

/// Closes a drive handle; true for handle 0 (nothing to close).
bool CloseDrive(int32_t handle);

} // namespace corvath
