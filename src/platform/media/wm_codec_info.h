#pragma once

#include "platform/media/wm_stream_config.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

/// The audio codecs the writer can encode with and the formats each offers. Codec 0 is the
/// WMA encoder when FFmpeg loads and its build has one; its formats are WmaFormats(). The
/// enumeration setting "_VBRENABLED" switches a codec's list to its variable-bit-rate formats, of
/// which the WMA encoder has none. Each object keeps its own settings.
class WmCodecInfo {
public:
    static constexpr std::string_view kVbrEnabled = "_VBRENABLED";
    static constexpr std::string_view kVbrQuality = "_VBRQUALITY";

    WmCodecInfo();

    uint32_t CodecInfoCount() const { return static_cast<uint32_t>(vbrEnabled_.size()); }
    /// "" for a codec out of range.
    std::string CodecName(uint32_t codec) const;

    /// Sets "_VBRENABLED" of a codec; false (nothing changed) for any other setting or codec.
    bool SetCodecEnumerationSetting(uint32_t codec, std::string_view setting, bool value);

    /// 0 for a codec out of range.
    uint32_t CodecFormatCount(uint32_t codec) const;
    /// The format as a stream configuration; nothing when out of range.
    std::optional<WmStreamConfig> CodecFormat(uint32_t codec, uint32_t format) const;
    /// "128 kbps, 44 kHz, stereo CBR"; "" when out of range.
    std::string CodecFormatDesc(uint32_t codec, uint32_t format) const;
    /// A numeric property of a format: "_VBRQUALITY" (0 to 100) of a variable-bit-rate format.
    /// Nothing for other names, other formats, or out of range.
    std::optional<uint32_t> CodecFormatProp(uint32_t codec, uint32_t format,
                                            std::string_view property) const;

private:
    bool InRange(uint32_t codec, uint32_t format) const;

    std::vector<bool> vbrEnabled_; // one per codec
};

} // namespace corvath
