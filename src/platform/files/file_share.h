#pragma once

#include "platform/files/unique_fd.h"

#include <filesystem>
#include <optional>

namespace corvath {

/// What an open of a file does with it, and what it lets other opens of the same file do
/// while it lasts: the sharing modes of the program's file opens.
struct FileShareMode {
    bool read = false;  ///< this open reads
    bool write = false; ///< this open writes
    bool othersMayRead = false;
    bool othersMayWrite = false;
};

/// The program's convention for sharing modes between its own opens, in any of its
/// processes: each open holds shared open-file-description locks on marker bytes far past
/// any real data, one marker for each of "reads", "writes", "denies reading" and "denies
/// writing" that applies to it. An open conflicts with the ones already there when it wants
/// what another denies, or denies what another does. Markers are taken before the check and
/// dropped on a conflict, so two racing opens may both fail but never both succeed.
///
/// The markers live on a descriptor of their own that this object owns; they vanish with it.
class FileShareLock {
public:
    /// Announces an open of an existing file. Nothing when the mode conflicts with an open
    /// that is already announced. A file we may not read cannot carry markers; its opens go
    /// unannounced and always succeed here.
    static std::optional<FileShareLock> Acquire(const std::filesystem::path& file,
                                                FileShareMode mode);

private:
    explicit FileShareLock(UniqueFd markers) : markers_(std::move(markers)) {}
    UniqueFd markers_;
};

} // namespace corvath
