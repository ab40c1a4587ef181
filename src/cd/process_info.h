#pragma once

#include "audio/threads/message_target.h"
#include "cd/track_checksums.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvath {

/// Progress values of a rip message.
inline constexpr int32_t kProgressNormalizing = 999;
inline constexpr int32_t kProgressExtracted = 1000;
/// A stopped rip has ended; its WAV holds what was read, with a finished header.
inline constexpr int32_t kProgressStopped = 1001;

/// Status values that come with kProgressExtracted (and with a rip's encoder's end).
inline constexpr int32_t kStatusSuccess = 0;
inline constexpr int32_t kStatusReadFailed = 3;
inline constexpr int32_t kStatusNothingToEncode = 4;
inline constexpr int32_t kStatusFileNotCreated = 5;

/// What a rip progress message carries: percent done (0 to 100) or one of the progress values
/// above, with the status and, for a file that failed, the system's word on it ("Cannot write
/// file <name>: No space left on device"). A track extracted whole comes with the checksums of
/// its audio as read and the sectors that could not be read exactly.
struct TProcessInfo : MessagePayload {
    TProcessInfo(int32_t progress, int32_t status, std::string failure = {})
        : Progress(progress), Status(status), Failure(std::move(failure))
    {
    }
    int32_t Progress = 0;
    int32_t Status = 0;
    std::string Failure;
    std::optional<TrackChecksumValues> Checksums;
    /// With kProgressExtracted and kStatusSuccess: the disc's sector numbers (0 = the sector at
    /// 00:02:00, read offset included) of the sectors read for the track that secure reads could
    /// not read exactly, in rising order. Always empty with plain reads, which cannot tell.
    std::vector<uint32_t> DoubtfulSectors;
};

} // namespace corvath
