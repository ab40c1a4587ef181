#pragma once

#include "platform/media/wm_media_type.h"

#include <cstdint>
#include <string>

namespace corvath {

/// One stream of a profile: the format a codec offers, and the number and names the stream
/// gets in the file.
class WmStreamConfig {
public:
    WmStreamConfig(uint32_t bitrate, const WmMediaType& mediaType);

    /// bit/s.
    uint32_t Bitrate() const { return bitrate_; }
    const WmMediaType& MediaType() const { return mediaType_; }

    uint16_t StreamNumber() const { return streamNumber_; }
    void SetStreamNumber(uint16_t number) { streamNumber_ = number; }
    const std::string& StreamName() const { return streamName_; }
    void SetStreamName(const std::string& name) { streamName_ = name; }
    const std::string& ConnectionName() const { return connectionName_; }
    void SetConnectionName(const std::string& name) { connectionName_ = name; }

private:
    uint32_t bitrate_;
    WmMediaType mediaType_;
    uint16_t streamNumber_ = 0;
    std::string streamName_;
    std::string connectionName_;
};

} // namespace corvath
