#pragma once

namespace corvath::cli {

/// While it lives, SIGINT, SIGTERM and SIGHUP do not end the process at once: the first one is
/// noted, for the loop that runs a batch to stop it (what is partial stays partial) and exit
/// with 128 plus the signal's number, as shells expect. One at a time.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /// The first signal noted; 0 when none came.
    static int Received();
};

} // namespace corvath::cli
