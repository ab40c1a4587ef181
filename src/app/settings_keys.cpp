#include "app/settings_keys.h"

#include <array>

namespace corvath {

namespace {

template <auto Group, auto Field> auto& MemberOf(TOptionsSetting& options)
{
    return (options.*Group).*Field;
}

template <auto Group, auto Field>
SettingKey Key(std::string_view section, std::string_view key,
               std::optional<SettingKey::Range> range = std::nullopt)
{
    return {section, key, &MemberOf<Group, Field>, range};
}

using O = TOptionsSetting;

// A column too narrow to be seen would be lost to the user; a window size below 0 reads as a
// window never placed.
constexpr SettingKey::Range kWindowSize{0, 100000};
constexpr SettingKey::Range kColumnWidth{20, 2000};
// Drives' offsets lie within a few thousand samples; ten sectors is far beyond any.
constexpr SettingKey::Range kReadOffset{-5880, 5880};

const std::array kSettingKeys{
    Key<&O::CommonOptions, &TCommonOptions::OutputFolder>("CommonOptions", "OutputFolder"),
    Key<&O::CommonOptions, &TCommonOptions::OutputFormat>("CommonOptions", "OutputFormat"),
    Key<&O::CommonOptions, &TCommonOptions::IsKeepWav>("CommonOptions", "IsKeepWav"),
    Key<&O::CommonOptions, &TCommonOptions::IsNormalize>("CommonOptions", "IsNormalize"),
    Key<&O::CommonOptions, &TCommonOptions::NormalizePercent>("CommonOptions", "NormalizePercent"),
    Key<&O::CommonOptions, &TCommonOptions::EnableRipTime>("CommonOptions", "EnableRipTime"),
    Key<&O::CommonOptions, &TCommonOptions::RipTime>("CommonOptions", "RipTime"),
    Key<&O::Mp3Options, &TMp3Options::IsSelectVBR>("Mp3Options", "IsSelectVBR"),
    Key<&O::Mp3Options, &TMp3Options::IsVBRHead>("Mp3Options", "IsVBRHead"),
    Key<&O::Mp3Options, &TMp3Options::BitRate>("Mp3Options", "BitRate"),
    Key<&O::Mp3Options, &TMp3Options::MaxBitRate>("Mp3Options", "MaxBitRate"),
    Key<&O::Mp3Options, &TMp3Options::VBRQuality>("Mp3Options", "VBRQuality"),
    Key<&O::Mp3Options, &TMp3Options::StereoMode>("Mp3Options", "StereoMode"),
    Key<&O::Mp3Options, &TMp3Options::CPU>("Mp3Options", "CPU"),
    Key<&O::Mp3Options, &TMp3Options::ConstantBitRate>("Mp3Options", "ConstantBitRate"),
    Key<&O::OggOptions, &TOggOptions::IsUseCompress>("OggOptions", "IsUseCompress"),
    Key<&O::OggOptions, &TOggOptions::CompressPosition>("OggOptions", "CompressPosition",
                                                        SettingKey::Range{30, 100}),
    Key<&O::OggOptions, &TOggOptions::MaxBitRate>("OggOptions", "MaxBitRate"),
    Key<&O::OggOptions, &TOggOptions::NomalBitRate>("OggOptions", "NomalBitRate"),
    Key<&O::OggOptions, &TOggOptions::MinBitRate>("OggOptions", "MinBitRate"),
    Key<&O::WMAOptions, &TWMAOptions::CodecIndex>("WMAOptions", "CodecIndex"),
    Key<&O::WMAOptions, &TWMAOptions::FormatIndex>("WMAOptions", "FormatIndex"),
    Key<&O::WMAOptions, &TWMAOptions::VBR>("WMAOptions", "VBR"),
    Key<&O::FLACOptions, &TFLACOptions::Compression>("FLACOptions", "Compression"),
    Key<&O::APEOptions, &TAPEOptions::Compression>("APEOptions", "Compression"),
    Key<&O::APEOptions, &TAPEOptions::CPU>("APEOptions", "CPU"),
    Key<&O::CDOptions, &TCDOptions::Index>("CDOptions", "Index"),
    Key<&O::CDOptions, &TCDOptions::CDDb>("CDOptions", "CDDb"),
    Key<&O::QueryCDDB, &TQueryCDDB::Server>("QueryCDDB", "Server"),
    Key<&O::QueryCDDB, &TQueryCDDB::Script>("QueryCDDB", "Script"),
    Key<&O::QueryCDDB, &TQueryCDDB::UseProxy>("QueryCDDB", "UseProxy"),
    Key<&O::QueryCDDB, &TQueryCDDB::ProxyAddress>("QueryCDDB", "ProxyAddress"),
    Key<&O::QueryCDDB, &TQueryCDDB::Port>("QueryCDDB", "Port"),
    Key<&O::QueryCDDB, &TQueryCDDB::Email>("QueryCDDB", "Email"),
    Key<&O::MainWindow, &TMainWindowOptions::Left>("MainWindow", "Left"),
    Key<&O::MainWindow, &TMainWindowOptions::Top>("MainWindow", "Top"),
    Key<&O::MainWindow, &TMainWindowOptions::Width>("MainWindow", "Width", kWindowSize),
    Key<&O::MainWindow, &TMainWindowOptions::Height>("MainWindow", "Height", kWindowSize),
    Key<&O::MainWindow, &TMainWindowOptions::Maximized>("MainWindow", "Maximized"),
    Key<&O::MainWindow, &TMainWindowOptions::NumberColumn>("MainWindow", "NumberColumnWidth",
                                                           kColumnWidth),
    Key<&O::MainWindow, &TMainWindowOptions::StartColumn>("MainWindow", "StartTimeColumnWidth",
                                                          kColumnWidth),
    Key<&O::MainWindow, &TMainWindowOptions::LengthColumn>("MainWindow", "LengthColumnWidth",
                                                           kColumnWidth),
    Key<&O::RipOptions, &TRipOptions::ReadOffset>("Rip", "ReadOffset", kReadOffset),
    Key<&O::RipOptions, &TRipOptions::SecureReads>("Rip", "SecureReads"),
    Key<&O::RipOptions, &TRipOptions::VerifyAccurateRip>("Rip", "VerifyAccurateRip"),
    Key<&O::RipOptions, &TRipOptions::AccurateRipServer>("Rip", "AccurateRipServer"),
    Key<&O::RipOptions, &TRipOptions::WriteLog>("Rip", "WriteLog"),
    Key<&O::RipOptions, &TRipOptions::WriteCueSheet>("Rip", "WriteCueSheet"),
    Key<&O::MusicBrainz, &TMusicBrainzOptions::Server>("MusicBrainz", "Server"),
    Key<&O::MusicBrainz, &TMusicBrainzOptions::CoverArt>("MusicBrainz", "CoverArt"),
    Key<&O::MusicBrainz, &TMusicBrainzOptions::CoverArtServer>("MusicBrainz", "CoverArtServer"),
};

std::string ToText(const std::string& value)
{
    return value;
}
std::string ToText(int32_t value)
{
    return std::to_string(value);
}
std::string ToText(bool value)
{
    return value ? "1" : "0";
}

} // namespace

std::string SettingKey::ValueText(const TOptionsSetting& options) const
{
    // The members are only read here; the accessors are shared with the loading side.
    auto& record = const_cast<TOptionsSetting&>(options);
    return std::visit([&](auto member) { return ToText(member(record)); }, member);
}

std::span<const SettingKey> SettingKeys()
{
    return kSettingKeys;
}

} // namespace corvath
