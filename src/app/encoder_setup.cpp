#include "app/encoder_setup.h"

#include "codecs/flac_out.h"
#include "codecs/mac_out.h"
#include "codecs/mp3_out.h"
#include "codecs/vorbis_out.h"
#include "codecs/wma_out.h"
#include "tags/genre_names.h"

#include <algorithm>
#include <array>
#include <climits>
#include <initializer_list>
#include <optional>
#include <utility>

namespace corvath {

namespace {

std::optional<TMP3BitRate> Mp3BitRateFor(int32_t kbps)
{
    using enum TMP3BitRate;
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

// The genre chosen in the list ("" for none or its empty first entry).
std::string GenreName(const TDiscFields& disc)
{
    const bool hasGenre =
        disc.GenreIndex >= 1 && disc.GenreIndex <= static_cast<int32_t>(GenreNames.size());
    return hasGenre ? std::string(GenreNames[static_cast<std::size_t>(disc.GenreIndex - 1)]) : "";
}

// Empties the tags, then sets each disc field that is not empty through its setter.
template <typename Tags>
void FillTags(
    Tags& tags,
    std::initializer_list<std::pair<void (Tags::*)(std::string_view), const std::string*>> fields)
{
    tags.Clear();
    for (const auto& [set, text] : fields) {
        if (!text->empty())
            (tags.*set)(*text);
    }
}

// The disc fields as Vorbis comments; the disc comment becomes the title.
void FillVorbisTags(TVorbisTags& tags, const TDiscFields& disc)
{
    const std::string genre = GenreName(disc);
    FillTags<TVorbisTags>(tags, {
                                    {&TVorbisTags::SetArtist, &disc.Artist},
                                    {&TVorbisTags::SetAlbum, &disc.Album},
                                    {&TVorbisTags::SetDate, &disc.Year},
                                    {&TVorbisTags::SetGenre, &genre},
                                    {&TVorbisTags::SetTitle, &disc.Comment},
                                });
}

} // namespace

int32_t IdleSleepForCpu(int32_t cpu)
{
    // A settings file may hold any number: worked out wide, so it cannot overflow; what is out
    // of range is then either no pause or a pause the output ignores.
    const int64_t sleep = 16 - 5 * int64_t{cpu};
    return static_cast<int32_t>(std::clamp<int64_t>(sleep, INT32_MIN, INT32_MAX));
}

void SetupMP3Out(TMP3Out& out, const TOptionsSetting& options)
{
    const TMp3Options& mp3 = options.Mp3Options;
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

void SetupVorbisOut(TVorbisOut& out, const TOptionsSetting& options, const TDiscFields& disc)
{
    const TOggOptions& ogg = options.OggOptions;
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
    FillVorbisTags(out.Comments(), disc);
}

void SetupFLACOut(TFLACOut& out, const TOptionsSetting& options, const TDiscFields& disc)
{
    out.SetCompressionLevel(options.FLACOptions.Compression);
    FillVorbisTags(out.Tags(), disc);
}

void SetupMACOut(TMACOut& out, const TOptionsSetting& options)
{
    out.SetIdleSleepMs(IdleSleepForCpu(options.APEOptions.CPU));
    out.SetCompressionLevel(options.APEOptions.Compression);
}

void SetupWMAOut(TWMAOut& out, const TOptionsSetting& options, const TDiscFields& disc)
{
    const TWMAOptions& wma = options.WMAOptions;
    out.SetVBR(wma.VBR);
    out.SetCodecIndex(wma.CodecIndex);
    out.SetFormatIndex(wma.FormatIndex);
    const std::string genre = GenreName(disc);
    FillTags<TId3v2Tags>(out.Id3v2Tags(), {
                                              {&TId3v2Tags::SetArtist, &disc.Artist},
                                              {&TId3v2Tags::SetAlbum, &disc.Album},
                                              {&TId3v2Tags::SetYear, &disc.Year},
                                              {&TId3v2Tags::SetGenre, &genre},
                                              {&TId3v2Tags::SetComment, &disc.Comment},
                                          });
}

} // namespace corvath
