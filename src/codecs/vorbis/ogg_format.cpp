#include "codecs/vorbis/ogg_format.h"

#include "codecs/vorbis/vorbis_libraries.h"

#include <array>

namespace corvath {

namespace {

// The options dialog's bit-rate choice k; anything it never offers is "automatic".
TVorbisBitRate VorbisBitRateFor(int32_t choice)
{
    using enum TVorbisBitRate;
    static constexpr std::array kChoices{brAutoSelect, br45,  br48,  br56,  br64,
                                         br80,         br96,  br112, br128, br144,
                                         br160,        br192, br224, br256, br320};
    if (choice < 0 || choice >= static_cast<int32_t>(kChoices.size()))
        return brAutoSelect;
    return kChoices[static_cast<std::size_t>(choice)];
}

std::span<const CodecSettingKey> OggSettings()
{
    using O = CodecOptions;
    using G = TOggOptions;
    static const std::array keys{
        MemberKey<&O::OggOptions, &G::IsUseCompress>("OggOptions", "IsUseCompress"),
        MemberKey<&O::OggOptions, &G::CompressPosition>("OggOptions", "CompressPosition",
                                                        ProfileRange{30, 100}),
        MemberKey<&O::OggOptions, &G::MaxBitRate>("OggOptions", "MaxBitRate"),
        MemberKey<&O::OggOptions, &G::NomalBitRate>("OggOptions", "NomalBitRate"),
        MemberKey<&O::OggOptions, &G::MinBitRate>("OggOptions", "MinBitRate"),
    };
    return keys;
}

Encoder MakeOggEncoder(const CodecOptions& options, bool /*adpcm*/)
{
    auto vorbis = MakeComponent<TVorbisOut>();
    auto setup = [out = vorbis.get(), &options](const TrackRecord& track) {
        SetupVorbisOut(*out, options.OggOptions, track);
    };
    return {std::move(vorbis), setup};
}

} // namespace

OutputFormatInfo OggFormat()
{
    return {
        .format = OutputFormat::OGG,
        .shownName = "OGG file(*.OGG)",
        .extension = "ogg",
        .name = "OGG",
        .libraries = {&OggLibrary(), &VorbisLibrary(), &VorbisFileLibrary(), &VorbisEncLibrary()},
        .settings = OggSettings(),
        .page = {"OGG"},
        .makeEncoder = MakeOggEncoder,
        .loudnessTags = LoudnessTagFormat::OggVorbis};
}

void SetupVorbisOut(TVorbisOut& out, const TOggOptions& ogg, const TrackRecord& track)
{
    if (ogg.IsUseCompress) {
        out.SetCompression(static_cast<float>(ogg.CompressPosition - 10) / 100);
        out.SetDesiredMaximumBitrate(TVorbisBitRate::brAutoSelect);
        out.SetDesiredNominalBitrate(TVorbisBitRate::brAutoSelect);
        out.SetMinimumBitrate(TVorbisBitRate::brAutoSelect);
    } else {
        // Each setter weighs its value against the others, so the order counts.
        out.SetDesiredMaximumBitrate(VorbisBitRateFor(ogg.MaxBitRate));
        out.SetDesiredNominalBitrate(VorbisBitRateFor(ogg.NomalBitRate));
        out.SetMinimumBitrate(VorbisBitRateFor(ogg.MinBitRate));
        out.SetCompression(0.2f);
    }
    FillVorbisTags(out.Comments(), track);
    out.SetCoverPicture(track.cover);
}

} // namespace corvath
