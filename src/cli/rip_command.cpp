#include "cli/rip_command.h"

#include "app/cd_text_fill.h"
#include "app/disc_session.h"
#include "app/file_name_pattern.h"
#include "app/formats_written.h"
#include "app/hidden_track.h"
#include "app/options_store.h"
#include "app/output_naming.h"
#include "app/rip_batch.h"
#include "audio/model/call_dispatcher.h"
#include "cli/cd_source.h"
#include "cli/command_help.h"
#include "cli/disc_command_options.h"
#include "cli/disc_field_options.h"
#include "cli/format_choices.h"
#include "cli/jobs_option.h"
#include "cli/parse_number.h"
#include "cli/rip_progress_lines.h"
#include "cli/settings_command.h"
#include "cli/terminal_text.h"
#include "codecs/output_format.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/track_span.h"
#include "platform/process/stop_signals.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace corvath::cli {

namespace {

namespace fs = std::filesystem;

struct RipOptions {
    std::optional<std::size_t> drive;
    std::string image;
    std::string tracks;
    const OutputFormatInfo* format = nullptr; // none: the settings' formats
    std::string alsoWrite;                    // the formats after the first of --format
    std::optional<std::string> namePattern;   // none: the settings' pattern
    std::optional<ReplayGainMode> replayGain; // none: the settings' mode
    std::vector<std::pair<std::string, std::string>> discFields;
    int jobs = 0; // one per processor
    bool quiet = false;
};

// The first name of a comma-separated list that names no format; "" when each does.
std::string UnknownFormat(std::string_view list)
{
    while (true) {
        const std::string_view name = list.substr(0, list.find(','));
        if (FormatByExtension(name) == nullptr)
            return std::string(name);
        if (name.size() == list.size())
            return {};
        list.remove_prefix(name.size() + 1);
    }
}

std::optional<RipOptions> Parse(std::span<const std::string> args, std::ostream& err)
{
    const std::optional<DiscCommandOptions> parsed =
        ParseDiscCommandOptions("rip", WithJobsApart(args), err);
    if (!parsed)
        return std::nullopt;
    RipOptions options;
    options.drive = parsed->drive;
    options.image = parsed->image;
    options.quiet = parsed->Has("--quiet");
    for (const auto& [name, value] : parsed->values) {
        if (name == "--tracks") {
            options.tracks = value;
        } else if (name == "--format") {
            // "flac,mp3": the first is the main format, the others are written beside it.
            if (const std::string unknown = UnknownFormat(value); !unknown.empty()) {
                err << "corvath-cli rip: unknown format " << unknown << '\n' << ShortUsage("rip");
                return std::nullopt;
            }
            const std::size_t comma = value.find(',');
            options.format = FormatByExtension(value.substr(0, comma));
            options.alsoWrite = comma == std::string::npos ? "" : value.substr(comma + 1);
        } else if (name == "--name") {
            if (const std::string problem = FileNamePatternProblem(value); !problem.empty()) {
                err << "corvath-cli rip: " << problem << '\n';
                return std::nullopt;
            }
            options.namePattern = value;
        } else if (name == "--jobs") {
            const std::optional<int> jobs = ParseJobs("rip", value, err);
            if (!jobs)
                return std::nullopt;
            options.jobs = *jobs;
        } else if (name == "--replaygain") {
            options.replayGain = ReplayGainChoice(value);
            if (!options.replayGain) {
                err << "corvath-cli rip: --replaygain takes off, track or album\n";
                return std::nullopt;
            }
        } else {
            TDiscFields checked; // the stored fields are known only once the disc is read
            if (!ApplyDiscFieldOption(name, value, checked, err, "rip"))
                return std::nullopt;
            options.discFields.emplace_back(name, value);
        }
    }
    return options;
}

// The tracks a list such as "1,3-5" names, in its order, each once; the disc's audio tracks
// when it is empty (a hidden track only when named, as 0, and data tracks, which hold no audio,
// only when named). Nothing when it is malformed or names a track the disc does not have.
std::optional<std::vector<int>> SelectedTracks(std::string_view list, const CdToc& toc,
                                               int firstTrack)
{
    const int trackCount = toc.LastTrack - toc.FirstTrack + 1;
    std::vector<int> tracks;
    if (list.empty()) {
        for (int track = 1; track <= trackCount; ++track) {
            if (!IsDataTrack(toc.Entries[static_cast<std::size_t>(track - 1)]))
                tracks.push_back(track);
        }
        return tracks;
    }
    while (!list.empty()) {
        const std::string_view item = list.substr(0, list.find(','));
        list.remove_prefix(std::min(list.size(), item.size() + 1));
        const std::size_t dash = item.find('-');
        const auto first = ParseNumber<int>(item.substr(0, dash));
        const auto last = dash == item.npos ? first : ParseNumber<int>(item.substr(dash + 1));
        if (!first || !last || *first < firstTrack || *first > *last || *last > trackCount)
            return std::nullopt;
        for (int track = *first; track <= *last; ++track) {
            if (std::ranges::find(tracks, track) == tracks.end())
                tracks.push_back(track);
        }
    }
    return tracks;
}

} // namespace

int RunRip(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           ProgressStyle progress)
{
    const std::optional<RipOptions> options = Parse(args, err);
    if (!options)
        return 2;
    const SettingsLocation location = SettingsLocation::ForProgram();
    TOptionsSetting settings = LoadSettings(location, err);
    const OutputFormat format = options->format != nullptr
                                    ? options->format->format
                                    : FormatOfSetting(settings.CommonOptions.OutputFormat);
    const std::vector<OutputFormat> alsoWrite = AlsoWrittenFormats(
        options->format != nullptr ? options->alsoWrite : settings.CommonOptions.AlsoWrite, format);

    const ChosenDisc chosen =
        OpenChosenDisc(options->drive, options->image, settings.CDOptions.Index, err);
    const CdHandle& handle = chosen.handle;
    if (!handle)
        return 1;
    if (!ModifyCDParms(handle.get(), kCdParmMsfAddresses, 1)) {
        err << "CD extract failed! Please try again.\n";
        return 1;
    }
    CdToc toc;
    if (ReadTOC(handle.get(), toc) != 1) {
        err << "Error while reading TOC information!\n";
        return 1;
    }
    const int trackCount = toc.LastTrack - toc.FirstTrack + 1;
    const int firstTrack = HasHiddenTrack(handle.get(), toc) ? kHiddenTrackPosition : 1;
    const std::optional<std::vector<int>> tracks = SelectedTracks(options->tracks, toc, firstTrack);
    if (!tracks) {
        err << "corvath-cli rip: --tracks takes track numbers and ranges from " << firstTrack
            << " to " << trackCount << ", such as 1,3-5\n";
        return 2;
    }

    if (const std::string note =
            LoadDiscInfoOrCdText(settings.CDInfo, location.discInfoFile, handle.get(), toc);
        !note.empty())
        err << "corvath-cli rip: warning: " << TerminalText(note) << '\n';
    TDiscFields disc = StoredDiscFields(settings.CDInfo);
    for (const auto& [name, value] : options->discFields)
        ApplyDiscFieldOption(name, value, disc, err, "rip");
    std::error_code ignored; // a folder that cannot be made shows in the first track's message
    fs::create_directories(settings.CommonOptions.OutputFolder, ignored);

    std::vector<RipEntry> entries;
    for (const int track : *tracks) {
        // Titles are stored by the disc's own track numbers, which need not start at 1.
        const int number = track == kHiddenTrackPosition ? track : toc.FirstTrack + track - 1;
        const std::string& title = settings.CDInfo.Titles[number];
        entries.push_back({track, title.empty() ? DefaultTitle(number) : title});
    }
    const StopSignals signals;
    ScopedMainThread mainThread;
    RipProgressLines lines(out, err, {progress, options->quiet});
    RipBatch batch(
        lines,
        {handle.get(), std::move(entries), format, disc, chosen.name, settings.CDInfo.Release,
         AudioTrackTotal(toc),
         options->namePattern.value_or(PatternOrTitle(settings.CommonOptions.FileNamePattern)),
         alsoWrite,
         options->replayGain.value_or(ReplayGainModeOf(settings.CommonOptions.ReplayGain)),
         options->jobs},
        settings);
    batch.Start();
    return lines.RunToEnd(mainThread.Dispatcher(), signals, [&] { batch.Stop(); });
}

} // namespace corvath::cli
