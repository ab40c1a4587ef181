#include "codecs/flac/flac_format.h"

#include <array>

namespace corvath {

namespace {

std::span<const CodecSettingKey> FlacSettings()
{
    static const std::array keys{
        MemberKey<&CodecOptions::FLACOptions, &TFLACOptions::Compression>("FLACOptions",
                                                                          "Compression"),
    };
    return keys;
}

constexpr PageListItem kLevels[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"4", 4},
                                    {"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}};

constexpr PageControl kPage[] = {
    {.group = "Compression",
     .objectName = "cbFlacCompression",
     .accessibleName = "Compression",
     .kind = PageControl::Kind::List,
     .key = "Compression",
     .items = kLevels},
};

Encoder MakeFlacEncoder(const CodecOptions& options, bool /*adpcm*/)
{
    auto flac = MakeComponent<TFLACOut>();
    auto setup = [out = flac.get(), &options](const TrackRecord& track) {
        SetupFLACOut(*out, options.FLACOptions, track);
    };
    return {std::move(flac), setup};
}

} // namespace

OutputFormatInfo FlacFormat()
{
    return {.format = OutputFormat::FLAC,
            .shownName = "FLAC file(*.FLAC)",
            .extension = "flac",
            .name = "FLAC",
            .libraries = {&FlacLibrary()},
            .settings = FlacSettings(),
            .page = {"FLAC", kPage},
            .makeEncoder = MakeFlacEncoder,
            .loudnessTags = LoudnessTagFormat::Flac};
}

void SetupFLACOut(TFLACOut& out, const TFLACOptions& options, const TrackRecord& track)
{
    out.SetCompressionLevel(options.Compression);
    FillVorbisTags(out.Tags(), track);
    out.SetCoverPicture(track.cover);
}

} // namespace corvath
