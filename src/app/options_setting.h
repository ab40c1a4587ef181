#pragma once

#include "codecs/output_format.h"
#include "lookup/release_details.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvath {

/// Which loudness tags the encoded files get: none, their own track's, or also their album's
/// (the tracks of one rip, the files of one conversion batch).
enum class ReplayGainMode : int32_t { Off = 0, Track = 1, Album = 2 };

/// The mode a ReplayGain setting number stores; Album for a number out of range.
constexpr ReplayGainMode ReplayGainModeOf(int32_t setting)
{
    return setting >= 0 && setting <= 2 ? static_cast<ReplayGainMode>(setting)
                                        : ReplayGainMode::Album;
}

/// A conversion batch's files are seldom one album: the setting's album mode gives track tags
/// there, unless the command line asks for more.
constexpr ReplayGainMode ConversionReplayGain(int32_t setting)
{
    return ReplayGainModeOf(setting) == ReplayGainMode::Off ? ReplayGainMode::Off
                                                            : ReplayGainMode::Track;
}

struct TCommonOptions {
    std::string OutputFolder;
    int32_t OutputFormat = 0; ///< an OutputFormat number (codecs/output_format.h)
    bool IsKeepWav = false;
    bool IsNormalize = false;
    int32_t NormalizePercent = 95;
    bool EnableRipTime = false;
    int32_t RipTime = 0;
    /// Names ripped files below the output folder (app/file_name_pattern.h).
    std::string FileNamePattern = "%title%";
    /// Formats a rip writes besides OutputFormat, as extensions: "mp3,opus"
    /// (app/formats_written.h).
    std::string AlsoWrite{};
    int32_t ReplayGain = static_cast<int32_t>(ReplayGainMode::Album); ///< a ReplayGainMode
    /// How many files the conversion window converts at once; 0: one per processor
    /// (app/conversion_lanes.h).
    int32_t FilesAtOnce = 0;
};

struct TCDOptions {
    int32_t Index = -1; ///< drive list position; -1 = none chosen, used as 0
    bool CDDb = false;
};

/// The title slots of a disc, numbered by track from 1 to 100, and slot 0 for a track hidden
/// before the first (empty when the disc has none).
class TTitleSlots {
public:
    static constexpr int kCount = 100;

    std::string& operator[](int track) { return slots_.at(Index(track)); }
    const std::string& operator[](int track) const { return slots_.at(Index(track)); }

private:
    static std::size_t Index(int track)
    {
        if (track < 0 || track > kCount)
            throw std::out_of_range("track number out of range");
        return static_cast<std::size_t>(track);
    }
    std::array<std::string, kCount + 1> slots_;
};

/// What the program remembers of the disc last loaded.
struct TCDInfo {
    std::string CDArtist;
    std::string CDAlbum;
    std::string CDYear;
    int32_t CDGenre = 0; ///< item index of the genre list: -1 none, 0 the empty entry
    std::string CDComment;
    int32_t CDDiscNumber = 0; ///< the disc's place in a set; 0 unknown
    int32_t CDDiscTotal = 0;
    int32_t CDTrackNumber = 0;
    TTitleSlots Titles;
    /// What a MusicBrainz release applied to the disc told beyond the fields and titles.
    ReleaseDetails Release;
};

struct TQueryCDDB {
    std::string Server = "gnudb.gnudb.org";
    std::string Script = "/~cddb/cddb.cgi";
    bool UseProxy = false;
    std::string ProxyAddress;
    std::string Port = "80";
    std::string Email; ///< sent in the greeting; empty: a made-up address
};

/// How the main window was when it last closed: its place and size out of the maximised state,
/// and the widths of the track list's columns (the title column fills what they leave).
struct TMainWindowOptions {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0; ///< 0: never placed; the window opens at its design size, centred
    int32_t Height = 0;
    bool Maximized = false;
    int32_t NumberColumn = 90;
    int32_t StartColumn = 100;
    int32_t LengthColumn = 100;
};

/// How tracks are read.
struct TRipOptions {
    /// Samples the drive's reads are shifted by, so that it gives the samples every other drive
    /// gives (the drive's published read offset); 0 reads the sectors as they come.
    int32_t ReadOffset = 0;
    /// Reads each track with verification and re-reads of doubtful sectors; slower.
    bool SecureReads = false;
    /// Asks the AccurateRip database whether each ripped track matches other people's rips.
    bool VerifyAccurateRip = true;
    /// The database's address, below which its disc files lie.
    std::string AccurateRipServer = "http://www.accuraterip.com/accuraterip";
    /// After a rip, a log of it and a cue sheet of the ripped files go into the output folder.
    bool WriteLog = true;
    bool WriteCueSheet = true;
    /// An unattended rip's window closes at its end when every track was ripped, instead of
    /// showing the results.
    bool CloseWhenDone = false;
};

/// Where MusicBrainz lookups go, and whether a chosen release's front cover is fetched.
struct TMusicBrainzOptions {
    /// Scheme and host of the web service (tests point it at a local server).
    std::string Server = "https://musicbrainz.org";
    bool CoverArt = true;
    /// Scheme and host of the Cover Art Archive.
    std::string CoverArtServer = "https://coverartarchive.org";
};

/// Every user setting of the program, plus the current disc's information; the encoders'
/// settings are those of every output format. The member initialisers are the defaults of a
/// missing settings file, except the output folder, whose default depends on where the program
/// lives (SettingsLocation).
struct TOptionsSetting : CodecOptions {
    TCommonOptions CommonOptions;
    TCDOptions CDOptions;
    TCDInfo CDInfo;
    TQueryCDDB QueryCDDB;
    TMainWindowOptions MainWindow;
    TRipOptions RipOptions;
    TMusicBrainzOptions MusicBrainz;
};

/// The one settings record of the run. Read and changed on the window thread only.
extern TOptionsSetting OptionsSetting;

} // namespace corvath
