#include "app/settings_keys.h"

#include "app/conversion_lanes.h"

#include <iterator>
#include <vector>

namespace corvath {

namespace {

using O = TOptionsSetting;

template <auto Group, auto Field>
SettingKey Key(std::string_view section, std::string_view key,
               std::optional<ProfileRange> range = std::nullopt)
{
    return MemberKey<Group, Field>(section, key, range);
}

// A column too narrow to be seen would be lost to the user; a window size below 0 reads as a
// window never placed.
constexpr ProfileRange kWindowSize{0, 100000};
constexpr ProfileRange kColumnWidth{20, 2000};
// Drives' offsets lie within a few thousand samples; ten sectors is far beyond any.
constexpr ProfileRange kReadOffset{-5880, 5880};

std::vector<SettingKey> AllKeys()
{
    std::vector<SettingKey> keys{
        Key<&O::CommonOptions, &TCommonOptions::OutputFolder>("CommonOptions", "OutputFolder"),
        Key<&O::CommonOptions, &TCommonOptions::OutputFormat>("CommonOptions", "OutputFormat"),
        Key<&O::CommonOptions, &TCommonOptions::IsKeepWav>("CommonOptions", "IsKeepWav"),
        Key<&O::CommonOptions, &TCommonOptions::IsNormalize>("CommonOptions", "IsNormalize"),
        Key<&O::CommonOptions, &TCommonOptions::NormalizePercent>("CommonOptions",
                                                                  "NormalizePercent"),
        Key<&O::CommonOptions, &TCommonOptions::EnableRipTime>("CommonOptions", "EnableRipTime"),
        Key<&O::CommonOptions, &TCommonOptions::RipTime>("CommonOptions", "RipTime"),
        Key<&O::CommonOptions, &TCommonOptions::FileNamePattern>("CommonOptions",
                                                                 "FileNamePattern"),
        Key<&O::CommonOptions, &TCommonOptions::AlsoWrite>("CommonOptions", "AlsoWrite"),
        Key<&O::CommonOptions, &TCommonOptions::ReplayGain>("CommonOptions", "ReplayGain",
                                                            ProfileRange{0, 2}),
        Key<&O::CommonOptions, &TCommonOptions::FilesAtOnce>("CommonOptions", "FilesAtOnce",
                                                             ProfileRange{0, kMostConversionLanes}),
    };
    for (const OutputFormatInfo& format : OutputFormats()) {
        for (const CodecSettingKey& key : format.settings)
            keys.push_back(key.For<TOptionsSetting>());
    }
    const SettingKey rest[] = {
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
        Key<&O::RipOptions, &TRipOptions::CloseWhenDone>("Rip", "CloseWhenDone"),
        Key<&O::MusicBrainz, &TMusicBrainzOptions::Server>("MusicBrainz", "Server"),
        Key<&O::MusicBrainz, &TMusicBrainzOptions::CoverArt>("MusicBrainz", "CoverArt"),
        Key<&O::MusicBrainz, &TMusicBrainzOptions::CoverArtServer>("MusicBrainz", "CoverArtServer"),
    };
    keys.insert(keys.end(), std::begin(rest), std::end(rest));
    return keys;
}

} // namespace

std::span<const SettingKey> SettingKeys()
{
    static const std::vector<SettingKey> keys = AllKeys();
    return keys;
}

} // namespace corvath
