#pragma once

#include "platform/files/unique_fd.h"

#include <array>
#include <csignal>

namespace corvath {

/// While it lives, SIGTERM, SIGHUP and SIGINT no longer end the process: each one that arrives
/// makes ReadFd() readable instead, for an event loop to end the program in good order. The
/// actions of before come back when it goes. One may live at a time.
class StopSignals {
public:
    /// Throws std::system_error when the pipe cannot be made, std::logic_error when another
    /// one lives.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int ReadFd() const { return readEnd_.get(); }

    /// Takes what the signals since the last call left in the pipe: the number of the first
    /// signal that came, 0 when none did.
    int Take() const;

    static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

private:
    UniqueFd readEnd_;
    UniqueFd writeEnd_;
    std::array<struct sigaction, kSignals.size()> previous_{};
};

} // namespace corvath
