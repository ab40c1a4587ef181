#include "platform/media/wma_formats.h"

#include <array>
#include <vector>

namespace corvath {

namespace {

// The sample rates each bit rate is offered at: the higher the bit rate, the higher the rates
// worth spending it on. The encoder takes 24 kbit/s and more, at up to 48 kHz.
struct RateGroup {
    uint32_t kbps;
    std::vector<uint32_t> stereoRates;
    std::vector<uint32_t> monoRates;
};

const std::vector<WmaFormat>& FormatList()
{
    static const std::vector<WmaFormat> formats = [] {
        const std::vector<uint32_t> high = {48000, 44100, 32000, 22050};
        const std::vector<uint32_t> highMono = {48000, 44100, 32000};
        const std::vector<uint32_t> middle = {44100, 32000, 22050, 16000};
        const std::array<RateGroup, 12> groups{{
            {320, high, highMono},
            {256, high, highMono},
            {192, high, highMono},
            {160, high, highMono},
            {128, high, high},
            {96, high, high},
            {80, middle, middle},
            {64, middle, middle},
            {48, middle, {44100, 32000, 22050, 16000, 11025}},
            {40, {32000, 22050, 16000}, {32000, 22050, 16000, 11025}},
            {32, {32000, 22050, 16000, 11025}, {32000, 22050, 16000, 11025, 8000}},
            {24, {22050, 16000, 11025, 8000}, {22050, 16000, 11025, 8000}},
        }};
        std::vector<WmaFormat> list;
        for (const RateGroup& group : groups) {
            for (const uint32_t rate : group.stereoRates)
                list.push_back({group.kbps * 1000, rate, 2});
            for (const uint32_t rate : group.monoRates)
                list.push_back({group.kbps * 1000, rate, 1});
        }
        return list;
    }();
    return formats;
}

} // namespace

std::string WmaFormat::Description() const
{
    return std::to_string(bitrate / 1000) + " kbps, " + std::to_string(sampleRate / 1000) +
           " kHz, " + (channels == 1 ? "mono" : "stereo") + " CBR";
}

std::span<const WmaFormat> WmaFormats()
{
    return FormatList();
}

} // namespace corvath
