#include "platform/media/wm_codec_info.h"

#include "platform/acm/ffmpeg_library.h"
#include "platform/media/wma_formats.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace corvath {

namespace {

constexpr uint16_t kWmaV2Tag = 0x161;
constexpr uint16_t kWmaBitsPerSample = 16;

} // namespace

WmCodecInfo::WmCodecInfo()
{
    if (FfmpegAvailable() && Ffmpeg().avcodec_find_encoder(AV_CODEC_ID_WMAV2) != nullptr)
        vbrEnabled_.push_back(false);
}

std::string WmCodecInfo::CodecName(uint32_t codec) const
{
    return codec < CodecInfoCount() ? "Windows Media Audio 2" : "";
}

bool WmCodecInfo::SetCodecEnumerationSetting(uint32_t codec, std::string_view setting, bool value)
{
    if (codec >= CodecInfoCount() || setting != kVbrEnabled)
        return false;
    vbrEnabled_[codec] = value;
    return true;
}

uint32_t WmCodecInfo::CodecFormatCount(uint32_t codec) const
{
    if (codec >= CodecInfoCount() || vbrEnabled_[codec])
        return 0;
    return static_cast<uint32_t>(WmaFormats().size());
}

bool WmCodecInfo::InRange(uint32_t codec, uint32_t format) const
{
    return format < CodecFormatCount(codec);
}

std::optional<WmStreamConfig> WmCodecInfo::CodecFormat(uint32_t codec, uint32_t format) const
{
    if (!InRange(codec, format))
        return std::nullopt;
    const WmaFormat& wma = WmaFormats()[format];
    WmMediaType type;
    type.subtype = WmAudioSubtype::kWmaV2;
    // The block alignment is the encoder's packet size, known once it is opened.
    type.waveFormat.SetFormatTag(kWmaV2Tag);
    type.waveFormat.SetChannels(wma.channels);
    type.waveFormat.SetSampleRate(wma.sampleRate);
    type.waveFormat.SetAvgBytesPerSec(wma.bitrate / 8);
    type.waveFormat.SetBitsPerSample(kWmaBitsPerSample);
    return WmStreamConfig(wma.bitrate, type);
}

std::string WmCodecInfo::CodecFormatDesc(uint32_t codec, uint32_t format) const
{
    return InRange(codec, format) ? WmaFormats()[format].Description() : "";
}

std::optional<uint32_t> WmCodecInfo::CodecFormatProp(uint32_t /*codec*/, uint32_t /*format*/,
                                                     std::string_view /*property*/) const
{
    // Only variable-bit-rate formats carry a quality, and the WMA encoder offers none.
    return std::nullopt;
}

} // namespace corvath
