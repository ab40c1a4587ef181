#include "codecs/opus/opus_format.h"

#include <array>

namespace corvath {

namespace {

std::span<const CodecSettingKey> OpusSettings()
{
    using O = CodecOptions;
    using P = TOpusOptions;
    static const std::array keys{
        MemberKey<&O::OpusOptions, &P::BitRate>("OpusOptions", "BitRate", ProfileRange{6, 512}),
        MemberKey<&O::OpusOptions, &P::Complexity>("OpusOptions", "Complexity",
                                                   ProfileRange{0, 10}),
    };
    return keys;
}

constexpr PageListItem kBitRates[] = {
    {"48 kbit/s", 48},   {"64 kbit/s", 64},   {"80 kbit/s", 80},   {"96 kbit/s", 96},
    {"112 kbit/s", 112}, {"128 kbit/s", 128}, {"160 kbit/s", 160}, {"192 kbit/s", 192},
    {"256 kbit/s", 256}, {"320 kbit/s", 320},
};

constexpr PageControl kPage[] = {
    {.group = "Bit Rate",
     .objectName = "cbOpusBitRate",
     .accessibleName = "Bit rate",
     .kind = PageControl::Kind::List,
     .key = "BitRate",
     .items = kBitRates},
    {.group = "Complexity",
     .objectName = "tbOpusComplexity",
     .accessibleName = "Complexity",
     .kind = PageControl::Kind::Slider,
     .key = "Complexity",
     .minimum = 0,
     .maximum = 10,
     .lowEnd = "Faster",
     .highEnd = "Better"},
};

Encoder MakeOpusEncoder(const CodecOptions& options, bool /*adpcm*/)
{
    auto opus = MakeComponent<TOpusOut>();
    auto setup = [out = opus.get(), &options](const TrackRecord& track) {
        SetupOpusOut(*out, options.OpusOptions, track);
    };
    return {std::move(opus), setup};
}

} // namespace

OutputFormatInfo OpusFormat()
{
    return {.format = OutputFormat::OPUS,
            .shownName = "OPUS file(*.OPUS)",
            .extension = "opus",
            .name = "OPUS",
            .libraries = {&OpusEncLibrary()},
            .settings = OpusSettings(),
            .page = {"Opus", kPage},
            .makeEncoder = MakeOpusEncoder,
            .loudnessTags = LoudnessTagFormat::Opus};
}

void SetupOpusOut(TOpusOut& out, const TOpusOptions& options, const TrackRecord& track)
{
    out.SetBitrate(options.BitRate);
    out.SetComplexity(options.Complexity);
    FillVorbisTags(out.Tags(), track);
    out.SetCoverPicture(track.cover);
}

} // namespace corvath
