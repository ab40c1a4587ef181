#pragma once

#include "platform/media/wm_stream_config.h"

#include <cstdint>
#include <span>
#include <vector>

namespace corvath {

/// The profile version the writer knows.
inline constexpr uint32_t kWmProfileVersion9 = 0x90000;

/// What a writer is to write: a profile version and its streams.
class WmProfile {
public:
    explicit WmProfile(uint32_t version) : version_(version) {}

    uint32_t Version() const { return version_; }

    /// Adds a copy of the stream; refused (false) for stream number 0 or one already taken.
    bool AddStream(const WmStreamConfig& stream);
    std::span<const WmStreamConfig> Streams() const { return streams_; }

private:
    uint32_t version_;
    std::vector<WmStreamConfig> streams_;
};

} // namespace corvath
