#include "codecs/wma/wma_format.h"

#include "codecs/finished_file_tags.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

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

std::string Range(std::size_t count)
{
    return count == 1 ? "only number 0" : "numbers 0 to " + std::to_string(count - 1);
}

// A position the lists lack would fail every file with no word of the setting behind it.
void CheckPositions(TWMAOut& out, const TWMAOptions& options)
{
    const std::vector<std::string>& codecs = out.Codecs();
    // -1 searches; without the media libraries the file names them instead.
    if (options.CodecIndex < 0 || codecs.empty())
        return;
    const auto codec = static_cast<std::size_t>(options.CodecIndex);
    if (codec >= codecs.size())
        throw std::runtime_error("The setting WMAOptions/CodecIndex is " +
                                 std::to_string(options.CodecIndex) + ", but the WMA codecs are " +
                                 Range(codecs.size()) + ".");
    const std::size_t formats = out.Formats(options.CodecIndex).size();
    if (formats == 0)
        throw std::runtime_error("The WMA codec " + codecs[codec] +
                                 (options.VBR ? " has no variable-bit-rate formats: turn the "
                                                "setting WMAOptions/VBR off."
                                              : " has no formats: choose another one with the "
                                                "setting WMAOptions/CodecIndex."));
    if (options.FormatIndex < 0 || static_cast<std::size_t>(options.FormatIndex) >= formats)
        throw std::runtime_error("The setting WMAOptions/FormatIndex is " +
                                 std::to_string(options.FormatIndex) + ", but the formats of " +
                                 codecs[codec] + " are " + Range(formats) + ".");
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
    CheckPositions(out, options);
    // The whole track goes into the finished file's attributes instead.
    out.Id3v2Tags().Clear();
}

} // namespace corvath
