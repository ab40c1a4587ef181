#include "codecs/wma/wma_format.h"

#include "codecs/finished_file_tags.h"

#include <array>

namespace corvath {

namespace {

std::span<const CodecSettingKey> WmaSettings()
{
    using O = CodecOptions;
    using W = TWMAOptions;
    static const std::array keys{
        MemberKey<&O::WMAOptions, &W::CodecIndex>("WMAOptions", "CodecIndex"),
        MemberKey<&O::WMAOptions, &W::FormatIndex>("WMAOptions", "FormatIndex"),
        MemberKey<&O::WMAOptions, &W::VBR>("WMAOptions", "VBR"),
    };
    return keys;
}

Encoder MakeWmaEncoder(const CodecOptions& options, bool /*adpcm*/)
{
    auto wma = MakeComponent<TWMAOut>();
    auto setup = [out = wma.get(), &options](const TrackRecord& track) {
        SetupWMAOut(*out, options.WMAOptions);
        TagFinishedFiles(*out, FileTagFormat::Asf, track);
    };
    return {std::move(wma), setup};
}

} // namespace

OutputFormatInfo WmaFormat()
{
    return {.format = OutputFormat::WMA,
            .shownName = "WMA file(*.WMA)",
            .extension = "wma",
            .name = "WMA",
            .settings = WmaSettings(),
            .page = {"WMA"},
            .makeEncoder = MakeWmaEncoder,
            .loudnessTags = LoudnessTagFormat::Wma};
}

void SetupWMAOut(TWMAOut& out, const TWMAOptions& options)
{
    out.SetVBR(options.VBR);
    out.SetCodecIndex(options.CodecIndex);
    out.SetFormatIndex(options.FormatIndex);
    // The whole track goes into the finished file's attributes instead.
    out.Id3v2Tags().Clear();
}

} // namespace corvath
