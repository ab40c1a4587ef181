#include "codecs/mp3/mp3_format.h"

#include "codecs/finished_file_tags.h"
#include "codecs/idle_sleep.h"

#include <array>
#include <optional>
#include <utility>

namespace corvath {

namespace {

std::optional<TMP3BitRate> Mp3BitRateFor(int32_t kbps)
{
    static constexpr std::array<std::pair<int32_t, TMP3BitRate>, 12> kRates{{{32, br32},
                                                                             {40, br40},
                                                                             {48, br48},
                                                                             {56, br56},
                                                                             {64, br64},
                                                                             {80, br80},
                                                                             {96, br96},
                                                                             {112, br112},
                                                                             {128, br128},
                                                                             {192, br192},
                                                                             {256, br256},
                                                                             {320, br320}}};
    for (const auto& [rate, value] : kRates) {
        if (rate == kbps)
            return value;
    }
    return std::nullopt;
}

std::span<const CodecSettingKey> Mp3Settings()
{
    using O = CodecOptions;
    using M = TMp3Options;
    static const std::array keys{
        MemberKey<&O::Mp3Options, &M::IsSelectVBR>("Mp3Options", "IsSelectVBR"),
        MemberKey<&O::Mp3Options, &M::IsVBRHead>("Mp3Options", "IsVBRHead"),
        MemberKey<&O::Mp3Options, &M::BitRate>("Mp3Options", "BitRate"),
        MemberKey<&O::Mp3Options, &M::MaxBitRate>("Mp3Options", "MaxBitRate"),
        MemberKey<&O::Mp3Options, &M::VBRQuality>("Mp3Options", "VBRQuality"),
        MemberKey<&O::Mp3Options, &M::StereoMode>("Mp3Options", "StereoMode"),
        MemberKey<&O::Mp3Options, &M::CPU>("Mp3Options", "CPU"),
        MemberKey<&O::Mp3Options, &M::ConstantBitRate>("Mp3Options", "ConstantBitRate"),
    };
    return keys;
}

Encoder MakeMp3Encoder(const CodecOptions& options, bool /*adpcm*/)
{
    auto mp3 = MakeComponent<TMP3Out>();
    auto setup = [out = mp3.get(), &options](const TrackRecord& track) {
        SetupMP3Out(*out, options.Mp3Options);
        TagFinishedFiles(*out, FileTagFormat::Id3v2, track);
    };
    return {std::move(mp3), setup};
}

} // namespace

OutputFormatInfo Mp3Format()
{
    return {.format = OutputFormat::MP3,
            .shownName = "MP3 file(*.MP3)",
            .extension = "mp3",
            .name = "MP3",
            .settings = Mp3Settings(),
            .page = {"LAME"},
            .makeEncoder = MakeMp3Encoder,
            .loudnessTags = LoudnessTagFormat::Mp3};
}

void SetupMP3Out(TMP3Out& out, const TMp3Options& mp3)
{
    out.SetIdleSleepMs(IdleSleepForCpu(mp3.CPU));
    if (const auto rate = Mp3BitRateFor(mp3.ConstantBitRate))
        out.SetBitRate(*rate);
    out.SetEnableVBR(mp3.IsSelectVBR);
    out.SetWriteVBRHeader(mp3.IsVBRHead);
    if (mp3.StereoMode >= 0 && mp3.StereoMode <= 3)
        out.SetMode(static_cast<TMP3Mode>(mp3.StereoMode));
    out.SetVBRMinBitrate(mp3.BitRate);
    out.SetVBRMaxBitrate(mp3.MaxBitRate);
    if (mp3.VBRQuality >= 0 && mp3.VBRQuality <= 9)
        out.SetVBRQuality(static_cast<TMP3Quality>(mp3.VBRQuality));
}

} // namespace corvath
