#include "codecs/wma/wma_format_search.h"

#include <utility>

namespace corvath {

namespace {

uint32_t Distance(uint32_t a, uint32_t b)
{
    return a > b ? a - b : b - a;
}

struct Kept {
    std::optional<WmStreamConfig> config;
    uint32_t bitrate = 0;
    uint32_t sampleRate = 0;
    std::optional<uint32_t> quality; // of the kept variable-bit-rate format matching the input
};

} // namespace

std::optional<WmStreamConfig> FindWmaStreamConfig(WmCodecInfo& codecs, const WmaFormatWish& wish)
{
    const bool variableList = wish.lossless || wish.variable;
    Kept kept;
    for (uint32_t codec = 0; codec < codecs.CodecInfoCount(); ++codec) {
        if (variableList &&
            !codecs.SetCodecEnumerationSetting(codec, WmCodecInfo::kVbrEnabled, true))
            continue;
        for (uint32_t format = 0; format < codecs.CodecFormatCount(codec); ++format) {
            std::optional<WmStreamConfig> config = codecs.CodecFormat(codec, format);
            if (!config)
                break;
            const WaveFormatRecord& wave = config->MediaType().waveFormat;
            const bool rateNoFarther = Distance(wave.SampleRate(), wish.sampleRate) <=
                                       Distance(kept.sampleRate, wish.sampleRate);
            std::optional<uint32_t> quality;
            bool candidate = false;
            bool better = rateNoFarther;
            if (wish.lossless) {
                candidate = config->MediaType().subtype == WmAudioSubtype::kWmaLossless;
            } else if (wish.variable) {
                quality = codecs.CodecFormatProp(codec, format, WmCodecInfo::kVbrQuality);
                candidate = quality.has_value();
                if (candidate && kept.quality) {
                    const uint32_t distance = Distance(*quality, wish.target);
                    const uint32_t keptDistance = Distance(*kept.quality, wish.target);
                    better = distance < keptDistance || (distance == keptDistance && better);
                } else {
                    better = true;
                }
            } else {
                candidate =
                    Distance(config->Bitrate(), wish.target) < Distance(kept.bitrate, wish.target);
            }
            if (!candidate)
                continue;
            const bool matches =
                wave.Channels() == wish.channels && wave.BitsPerSample() == wish.bitsPerSample;
            if (matches && better) {
                const uint32_t bitrate = variableList ? 0 : config->Bitrate();
                const uint32_t sampleRate = wave.SampleRate();
                kept = Kept{std::move(config), bitrate, sampleRate, quality};
            } else if (variableList && !kept.config) {
                kept.config = std::move(config); // a fallback until one matches the input
            }
        }
    }
    return kept.config;
}

} // namespace corvath
