#include "platform/files/file_share.h"

#include <array>
#include <fcntl.h>
#include <utility>

namespace corvath {

namespace {

// Far past any real data, so the markers never meet a lock on file content.
constexpr off_t kMarkerBase = 0x7FFFFFFFFFFF0000;

enum Marker : off_t { kReads, kWrites, kDeniesReading, kDeniesWriting };

struct flock MarkerLock(short type, Marker marker)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kMarkerBase + marker;
    lock.l_len = 1;
    return lock;
}

bool LockMarker(int fd, Marker marker)
{
    struct flock lock = MarkerLock(F_RDLCK, marker);
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// True when another open (another description, in any process) holds the marker.
bool OthersHold(int fd, Marker marker)
{
    struct flock probe = MarkerLock(F_WRLCK, marker);
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return true; // cannot tell: take the safe answer
    return probe.l_type != F_UNLCK;
}

} // namespace

std::optional<FileShareLock> FileShareLock::Acquire(const std::filesystem::path& file,
                                                    FileShareMode mode)
{
    UniqueFd markers(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!markers)
        return FileShareLock(UniqueFd());

    const std::array<std::pair<bool, Marker>, 4> held{{
        {mode.read, kReads},
        {mode.write, kWrites},
        {!mode.othersMayRead, kDeniesReading},
        {!mode.othersMayWrite, kDeniesWriting},
    }};
    for (const auto& [applies, marker] : held) {
        if (applies && !LockMarker(markers.get(), marker))
            return std::nullopt;
    }

    const bool conflict = (mode.read && OthersHold(markers.get(), kDeniesReading)) ||
                          (mode.write && OthersHold(markers.get(), kDeniesWriting)) ||
                          (!mode.othersMayRead && OthersHold(markers.get(), kReads)) ||
                          (!mode.othersMayWrite && OthersHold(markers.get(), kWrites));
    if (conflict)
        return std::nullopt;
    return FileShareLock(std::move(markers));
}

} // namespace corvath
