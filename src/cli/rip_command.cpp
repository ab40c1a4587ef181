#include "cli/rip_command.h"

#include "app/conversion_chain.h"
#include "app/options_store.h"
#include "app/output_format.h"
#include "app/output_naming.h"
#include "app/rip_helpers.h"
#include "cd/cd_rip_thread.h"
#include "cd/id3_genre_byte.h"
#include "cd/id3_tag.h"
#include "cd/process_info.h"
#include "cd/track_wave_path.h"
#include "cli/cd_source.h"
#include "cli/disc_field_options.h"
#include "cli/message_queue.h"
#include "cli/parse_number.h"
#include "cli/progress_line.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/disc_id.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace corvath::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: corvath-cli rip [--drive N | --image FILE] [--tracks 1,3-5]\n"
    "                       [--format mp3|wav|ogg|wma|flac|ape] [--artist A] [--album A]\n"
    "                       [--year Y] [--genre G] [--comment C]\n";

struct RipOptions {
    std::optional<std::size_t> drive;
    std::string image;
    std::string tracks;
    const OutputFormatInfo* format = nullptr; // none: the settings' format
    std::vector<std::pair<std::string, std::string>> discFields;
};

std::optional<RipOptions> Parse(std::span<const std::string> args, std::ostream& err)
{
    RipOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--drive" && hasValue) {
            options.drive = ParseNumber<std::size_t>(args[++i]);
            if (!options.drive) {
                err << kUsage;
                return std::nullopt;
            }
        } else if (arg == "--image" && hasValue) {
            options.image = args[++i];
        } else if (arg == "--tracks" && hasValue) {
            options.tracks = args[++i];
        } else if (arg == "--format" && hasValue) {
            options.format = FormatByExtension(args[++i]);
            if (options.format == nullptr) {
                err << "corvath-cli rip: unknown format " << args[i] << '\n' << kUsage;
                return std::nullopt;
            }
        } else if (IsDiscFieldOption(arg) && hasValue) {
            TDiscFields checked; // the stored fields are known only once the disc is read
            if (!ApplyDiscFieldOption(arg, args[++i], checked, err, "rip"))
                return std::nullopt;
            options.discFields.emplace_back(arg, args[i]);
        } else {
            err << "corvath-cli rip: unknown option or argument " << arg << '\n' << kUsage;
            return std::nullopt;
        }
    }
    if (options.drive && !options.image.empty()) {
        err << kUsage;
        return std::nullopt;
    }
    return options;
}

// The tracks a list such as "1,3-5" names, in its order; all of the disc's when it is empty.
// Nothing when it is malformed or names a track the disc does not have.
std::optional<std::vector<int>> SelectedTracks(std::string_view list, int trackCount)
{
    std::vector<int> tracks;
    if (list.empty()) {
        for (int track = 1; track <= trackCount; ++track)
            tracks.push_back(track);
        return tracks;
    }
    while (!list.empty()) {
        const std::string_view item = list.substr(0, list.find(','));
        list.remove_prefix(std::min(list.size(), item.size() + 1));
        const std::size_t dash = item.find('-');
        const auto first = ParseNumber<int>(item.substr(0, dash));
        const auto last = dash == item.npos ? first : ParseNumber<int>(item.substr(dash + 1));
        if (!first || !last || *first < 1 || *first > *last || *last > trackCount)
            return std::nullopt;
        for (int track = *first; track <= *last; ++track)
            tracks.push_back(track);
    }
    return tracks;
}

// The format of the OutputFormat setting; MP3 for a number out of range.
OutputFormat FormatOfSetting(int32_t outputFormat)
{
    const OutputFormatInfo* format = FormatByNumber(outputFormat);
    return format != nullptr ? format->format : OutputFormat::MP3;
}

TDiscFields DiscFieldsOf(const TCDInfo& info)
{
    return {info.CDArtist, info.CDAlbum, info.CDYear, info.CDGenre, info.CDComment};
}

enum class TrackResult { Done, Failed, DriveFailed };

// The tracks of one disc, one after another: extraction, then encoding, tagging and clean-up.
class RipSession {
public:
    RipSession(const TOptionsSetting& settings, const TDiscFields& disc, OutputFormat format,
               int32_t handle, CallDispatcher& mainThread, std::ostream& out, std::ostream& err)
        : settings_(settings), disc_(disc), format_(format), handle_(handle),
          mainThread_(mainThread), out_(out), err_(err)
    {
        if (format_ != OutputFormat::WAV)
            chain_.emplace(format_, false, SampleFormatChange{}, settings_, disc_);
    }

    TrackResult RipTrack(int track, const std::string& title)
    {
        const std::string label = "Track " + TwoDigits(track) + " " + title;
        const std::string wav = TrackWavePath(settings_.CommonOptions.OutputFolder, title);
        const std::optional<int32_t> status = Extract(track, title, label, wav);
        if (!status)
            return TrackResult::DriveFailed;
        if (*status == kStatusReadFailed)
            err_ << "Error while reading CD information!\n";
        else if (*status == kStatusFileNotCreated)
            err_ << wav
                 << " is not a valid file name. Please rename the Title in the CD tracks "
                    "list.\n";
        bool done = *status == kStatusSuccess;
        if (!chain_)
            return done ? TrackResult::Done : TrackResult::Failed;

        const std::string target =
            OutputFilePath(settings_.CommonOptions.OutputFolder, title, format_);
        if (done) {
            done = Encode(wav, target, label);
            std::error_code ignored;
            if (!settings_.CommonOptions.IsKeepWav && fs::exists(wav) && !IsFileInUse(wav))
                fs::remove(wav, ignored);
        }
        // As after a rip in the program: a failed track's older MP3 still gets the tag.
        if (format_ == OutputFormat::MP3 && fs::exists(target))
            done = WriteId3Tag(target, track, title) && done;
        return done ? TrackResult::Done : TrackResult::Failed;
    }

private:
    // Runs the rip worker for the track, its progress shown; the status it ends with, nothing
    // when the drive failed (the reason is then on err).
    std::optional<int32_t> Extract(int track, const std::string& title, const std::string& label,
                                   const std::string& wav)
    {
        MessageQueue queue;
        const TCommonOptions& common = settings_.CommonOptions;
        TCDRipThread worker(track, title, handle_, queue,
                            {common.OutputFolder, common.IsNormalize, common.NormalizePercent});
        worker.Start();
        ProgressLine extracting(out_, label);
        std::optional<ProgressLine> normalizing;
        for (;;) {
            const QueuedMessage message = queue.Take();
            if (message.message == kMsgRipDriveFailure) {
                extracting.End("");
                err_ << (message.lParam == 1 ? "CD extract failed! Please try again.\n"
                                             : "Error while reading TOC information!\n");
                return std::nullopt;
            }
            const auto* info = dynamic_cast<const TProcessInfo*>(message.payload.get());
            if (info == nullptr)
                continue;
            ProgressLine& line = normalizing ? *normalizing : extracting;
            if (info->Progress == kProgressExtracted) {
                line.End(info->Status == kStatusSuccess ? "100% -> " + wav : "");
                return info->Status;
            }
            if (info->Progress == kProgressNormalizing) {
                extracting.End("");
                normalizing.emplace(out_, label + " normalizing");
            } else if (info->Progress >= 1) {
                line.Show(info->Progress);
            }
        }
    }

    bool Encode(const std::string& wav, const std::string& target, const std::string& label)
    {
        ProgressLine line(out_, label + " encoding");
        std::string error = chain_->Prepare(wav, target);
        if (error.empty())
            error = RunToEnd(chain_->Sink(), mainThread_, line);
        line.End(error.empty() ? "100% -> " + target : "");
        if (!error.empty())
            err_ << "corvath-cli: " << target << ": " << error << '\n';
        return error.empty();
    }

    bool WriteId3Tag(const std::string& mp3, int track, const std::string& title)
    {
        Tid3tag tag;
        tag.SetTitle(title);
        tag.SetArtist(disc_.Artist);
        tag.SetAlbum(disc_.Album);
        tag.SetYear(disc_.Year);
        tag.SetComment(disc_.Comment);
        tag.SetGenre(Id3GenreByte(disc_.GenreIndex));
        tag.SetTrack(static_cast<uint8_t>(track));
        if (tag.Write(mp3) == 0)
            return true;
        err_ << "corvath-cli: cannot write the ID3 tag of " << mp3 << '\n';
        return false;
    }

    const TOptionsSetting& settings_;
    const TDiscFields& disc_;
    const OutputFormat format_;
    const int32_t handle_;
    CallDispatcher& mainThread_;
    std::ostream& out_;
    std::ostream& err_;
    std::optional<ConversionChain> chain_; // none for WAV
};

} // namespace

int RunRip(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const std::optional<RipOptions> options = Parse(args, err);
    if (!options)
        return 2;
    const SettingsLocation location = SettingsLocation::ForProgram();
    TOptionsSetting settings;
    LoadOptions(settings, location);
    const OutputFormat format = options->format != nullptr
                                    ? options->format->format
                                    : FormatOfSetting(settings.CommonOptions.OutputFormat);

    const CdHandle handle =
        OpenChosenDisc(options->drive, options->image, settings.CDOptions.Index, err);
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
    const std::optional<std::vector<int>> tracks = SelectedTracks(options->tracks, trackCount);
    if (!tracks) {
        err << "corvath-cli rip: --tracks takes track numbers and ranges from 1 to " << trackCount
            << ", such as 1,3-5\n";
        return 2;
    }

    LoadDiscInfo(settings.CDInfo, location.discInfoFile, std::to_string(WindowsDiscSerial(toc)));
    TDiscFields disc = DiscFieldsOf(settings.CDInfo);
    for (const auto& [name, value] : options->discFields)
        ApplyDiscFieldOption(name, value, disc, err, "rip");
    std::error_code ignored; // a folder that cannot be made shows in the first track's message
    fs::create_directories(settings.CommonOptions.OutputFolder, ignored);

    ScopedMainThread mainThread;
    std::optional<RipSession> session;
    try {
        session.emplace(settings, disc, format, handle.get(), mainThread.Dispatcher(), out, err);
    } catch (const std::exception& failure) {
        err << "corvath-cli: " << failure.what() << '\n';
        return 1;
    }
    int failures = 0;
    for (const int track : *tracks) {
        std::string title = settings.CDInfo.Titles[track];
        if (title.empty())
            title = "Track" + TwoDigits(track);
        const TrackResult result = session->RipTrack(track, title);
        if (result == TrackResult::DriveFailed)
            return 1;
        failures += result == TrackResult::Failed ? 1 : 0;
    }
    return failures == 0 ? 0 : 1;
}

} // namespace corvath::cli
