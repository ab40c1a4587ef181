#include "app/rip_batch.h"

#include "app/cddb_server_setting.h"
#include "app/conversion_lanes.h"
#include "app/file_name_pattern.h"
#include "app/output_naming.h"
#include "app/rip_helpers.h"
#include "app/rip_report_files.h"
#include "app/track_records.h"
#include "cd/id3_genre_byte.h"
#include "cd/id3_tag.h"
#include "cd/process_info.h"
#include "cd/track_wave_path.h"
#include "lookup/cddb_options.h"
#include "platform/cdrom/disc_codes.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/track_span.h"
#include "platform/files/partial_file.h"
#include "tags/file_tag_writer.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>

namespace corvath {

namespace {

namespace fs = std::filesystem;

constexpr int kSettleMs = 300; // lets the encoder's file go before it is tagged or deleted

// Room for the longest of the extensions a track's files get, ".wav" or a format's, with the
// partial name's ending they are written under first.
std::size_t ExtensionBytes(const RipJob& job)
{
    std::size_t longest = std::max<std::size_t>(3, InfoOf(job.format).extension.size());
    for (const OutputFormat format : job.alsoWrite)
        longest = std::max(longest, InfoOf(format).extension.size());
    return PartialName("." + std::string(longest, 'x')).size();
}

std::string ExtractionFailure(const TProcessInfo& info, const std::string& wav)
{
    if (!info.Failure.empty())
        return info.Failure;
    if (info.Status == kStatusReadFailed)
        return "Error while reading CD information!";
    return wav + " is not a valid file name. Please rename the Title in the CD tracks list.";
}

// The database's place in the disc's audio tracks: data tracks have none.
std::size_t AudioIndex(const CdToc& toc, int32_t trackNumber)
{
    std::size_t index = 0;
    for (int32_t track = 1; track < trackNumber; ++track)
        if (!IsDataTrack(toc.Entries[track - 1]))
            ++index;
    return index;
}

TrackVerdict VerdictOf(const AccurateRipLookup& lookup, std::size_t audioIndex,
                       const TrackChecksumValues& checksums)
{
    switch (lookup.outcome) {
    case AccurateRipLookup::Outcome::NotInDatabase:
        return {TrackVerdict::Kind::NotInDatabase, 0, 0};
    case AccurateRipLookup::Outcome::Failed:
        return {TrackVerdict::Kind::LookupFailed, 0, 0};
    case AccurateRipLookup::Outcome::Found:
        break;
    }
    const AccurateRipVerdict verdict = JudgeTrack(lookup.submissions, audioIndex,
                                                  checksums.accurateRipV1, checksums.accurateRipV2);
    if (verdict.kind == AccurateRipVerdict::Kind::NotAccurate)
        return {TrackVerdict::Kind::NotAccurate, 0, 0};
    return {TrackVerdict::Kind::Accurate, verdict.confidence, verdict.version};
}

std::string LocalTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace

std::size_t RipEncoderLanes(int jobs)
{
    return static_cast<std::size_t>(std::max(ConversionLanes(jobs) - 1, 1));
}

RipBatch::RipBatch(RipView& view, RipJob job, const TOptionsSetting& settings)
    : view_(view), job_(std::move(job)), settings_(settings), fileNames_(UniqueFileNames()),
      messages_([this](uint32_t message, intptr_t wParam, intptr_t lParam,
                       MessagePayload* payload) { Handle(message, wParam, lParam, payload); })
{
    record_.program = "Corvath " CORVATH_VERSION;
    record_.drive = job_.driveName;
    record_.readOffset = settings_.RipOptions.ReadOffset;
    record_.secureReads = settings_.RipOptions.SecureReads;
    record_.disc = job_.disc;
    for (const RipEntry& track : job_.tracks) {
        RippedTrack& ripped = record_.tracks.emplace_back();
        ripped.number = track.number;
        ripped.title = track.title;
    }
}

RipBatch::~RipBatch()
{
    messages_.Close();
    Stop();
}

void RipBatch::Start()
{
    if (job_.tracks.empty()) {
        End(false);
        return;
    }
    view_.ShowCurrentTrack(job_.tracks.front());
    shownTrack_ = 0;
    view_.ShowHint(kRipExtracting);
    view_.ShowBarCaption(kRipInitializing);
    view_.ShowCompleted(0);
    loudness_.resize(job_.tracks.size());
    if (job_.format != OutputFormat::WAV || !job_.alsoWrite.empty()) {
        const std::size_t laneCount = std::min(job_.tracks.size(), RipEncoderLanes(job_.jobs));
        for (std::size_t lane = 0; lane < laneCount; ++lane)
            lanes_.push_back(MakeLane(lane));
    }
    const bool nothingToWrite =
        job_.format != OutputFormat::WAV &&
        std::ranges::all_of(lanes_.front()->encoders,
                            [](const FormatEncoder& encoder) { return !encoder.chain; });
    if (nothingToWrite) {
        for (std::size_t i = 0; i < job_.tracks.size(); ++i)
            Fail(i, lanes_.front()->encoders.front().error);
        End(false);
        return;
    }
    record_.date = LocalTimeNow();
    const TRipOptions& rip = settings_.RipOptions;
    AccurateRipAccess access;
    if (rip.VerifyAccurateRip) {
        access.server = rip.AccurateRipServer;
        access.http = LookupHttpOptions(CddbServerOf(settings_.QueryCDDB));
    }
    lookupPending_ = !access.server.empty();
    survey_ = std::make_unique<RipDiscSurvey>(job_.cdHandle, std::move(access), ReportFolder(),
                                              messages_);
}

std::unique_ptr<RipBatch::EncoderLane> RipBatch::MakeLane(std::size_t index)
{
    std::vector<OutputFormat> formats = job_.alsoWrite;
    if (job_.format != OutputFormat::WAV)
        formats.insert(formats.begin(), job_.format);
    auto lane = std::make_unique<EncoderLane>();
    lane->encoders.reserve(formats.size()); // a chain's components stay where they were made
    for (const OutputFormat format : formats) {
        FormatEncoder& encoder = lane->encoders.emplace_back(FormatEncoder{format, {}, {}});
        try {
            encoder.chain.emplace(format, false, SampleFormatChange{}, settings_,
                                  job_.replayGain != ReplayGainMode::Off);
        } catch (const std::exception& failure) {
            encoder.error = failure.what();
            continue;
        }
        TAuFileOut& sink = encoder.chain->Sink();
        sink.SetOnProgress([this, index](TAuOutput* sender) {
            EncoderLane& self = *lanes_[index];
            self.percent = sender->PercentDone();
            if (!over_ && !extracting_ && self.track == shownTrack_ && self.percent >= 1)
                view_.ShowBarPosition(self.percent);
        });
        sink.SetOnDone([this, index](TAuOutput*) { PostEncoded(index, kStatusSuccess); });
    }
    return lane;
}

bool RipBatch::Stop()
{
    // Over first: stopping an encoder may end its track's step at once.
    const bool firstStop = !std::exchange(over_, true);
    // Tracks read but not yet encoded keep their WAVs: all the user has of them.
    std::ranges::copy(StopLanes(), std::back_inserter(toEncode_));
    std::vector<std::size_t> wavsKept;
    if (job_.format != OutputFormat::WAV) {
        for (const std::size_t track : std::exchange(toEncode_, {}))
            if (PublishIfFree(PartialName(WavOf(track)), WavOf(track)))
                wavsKept.push_back(track);
    }
    // A rip stopped before its end still leaves its log and cue sheet of what was ripped.
    if (firstStop) {
        record_.stopped = true;
        for (const std::size_t track : wavsKept) {
            RippedTrack& ripped = record_.tracks[track];
            if (ripped.file.empty())
                ripped.file = InReportFolder(WavOf(track));
            MarkStopped(ripped, "not ripped: the rip was stopped before all its files were made; "
                                "its WAV is kept");
        }
        for (RippedTrack& track : record_.tracks)
            if (track.file.empty())
                MarkStopped(track, "not ripped: the rip was stopped");
        if (discRead_)
            WriteRipReport(record_, ReportFolder(), settings_.RipOptions, &log_);
    }
    albumTags_.reset();
    survey_.reset();
    if (!extracting_) {
        worker_.reset();
        return true;
    }
    // A secure read of a damaged disc may take long to give up: the window is not held.
    worker_->SetStopFlag();
    stopping_ = true;
    return false;
}

// A track that failed before the stop keeps its reason.
void RipBatch::MarkStopped(RippedTrack& track, const std::string& reason)
{
    if (!track.failure.empty())
        return;
    track.failure = reason;
    track.stopped = true;
}

std::vector<std::size_t> RipBatch::StopLanes()
{
    std::vector<std::size_t> unfinished;
    for (const std::unique_ptr<EncoderLane>& lane : lanes_) {
        if (!lane->track)
            continue;
        // A run that ended just before the stop has made its file, heard of or not.
        TAuFileOut* sink = lane->started ? &lane->encoders[lane->encoding].chain->Sink() : nullptr;
        if (sink)
            sink->StopOutput(false);
        if (sink && sink->MadeFile()) {
            FormatFinished(*lane, true);
            if (lane->encoding + 1 == lane->encoders.size()) {
                SettleWav(*lane->track, lane->everyFormatWritten);
                lane->track.reset();
                continue;
            }
        }
        unfinished.push_back(*std::exchange(lane->track, std::nullopt));
    }
    return unfinished;
}

void RipBatch::StartTrack(std::size_t index)
{
    worker_.reset();
    const TCommonOptions& common = settings_.CommonOptions;
    // The WAV goes where the pattern puts the track, its folders made by the worker.
    const TrackFileName& name = fileNames_[index];
    RipWaveOptions options{FolderOf(index, job_.format), common.IsNormalize,
                           common.NormalizePercent, settings_.RipOptions.ReadOffset,
                           settings_.RipOptions.SecureReads};
    // A WAV that is the rip's file is tagged as it is; one on its way to an encoder is not.
    if (job_.format == OutputFormat::WAV) {
        options.completedFileStep = [track = TrackOf(index)](const std::string& wav) {
            WriteFileTags(wav, FileTagFormat::Wav, track);
        };
    }
    worker_ = std::make_unique<TCDRipThread>(job_.tracks[index].number, name.stem, job_.cdHandle,
                                             messages_, options);
    worker_->Start();
    extracting_ = true;
}

void RipBatch::ShowNextTrack(const char* barCaption)
{
    view_.ShowCurrentTrack(job_.tracks[extracted_]);
    shownTrack_ = extracted_;
    view_.ShowHint(kRipExtracting);
    view_.ShowBarCaption(barCaption);
    view_.ShowCompleted(static_cast<int32_t>(finished_));
    StartTrack(extracted_);
}

void RipBatch::NoteWorkerEnd(uint32_t message, const MessagePayload* payload)
{
    const auto* info = dynamic_cast<const TProcessInfo*>(payload);
    const bool last =
        message == kMsgRipDriveFailure ||
        (message == kMsgRipProgress && info != nullptr &&
         (info->Progress == kProgressExtracted || info->Progress == kProgressStopped));
    if (!last || !std::exchange(extracting_, false) || !std::exchange(stopping_, false))
        return;
    worker_.reset();
    view_.Close();
}

void RipBatch::Handle(uint32_t message, intptr_t wParam, intptr_t lParam,
                      const MessagePayload* payload)
{
    NoteWorkerEnd(message, payload);
    if (over_)
        return;
    try {
        if (message == kMsgRipDriveFailure) {
            view_.ShowDriveFailure(lParam == 1 ? "CD extract failed! Please try again."
                                               : "Error while reading TOC information!");
            return;
        }
        if (message == kMsgRipEncoded) {
            const auto lane = static_cast<std::size_t>(wParam);
            view_.Pause(kSettleMs, [this, lane, succeeded = lParam == kStatusSuccess] {
                if (!over_)
                    Encoded(lane, succeeded);
            });
            return;
        }
        if (const auto* layout = dynamic_cast<const RipDiscLayout*>(payload)) {
            DiscRead(*layout);
            return;
        }
        if (const auto* answer = dynamic_cast<const AccurateRipAnswer*>(payload)) {
            AccurateRipAnswered(answer->lookup);
            return;
        }
        if (const auto* written = dynamic_cast<const AlbumTagsWritten*>(payload)) {
            AlbumTagsDone(*written);
            return;
        }
        const auto* info = dynamic_cast<const TProcessInfo*>(payload);
        if (message != kMsgRipProgress || info == nullptr)
            return;
        switch (info->Progress) {
        case kProgressNormalizing:
            view_.ShowHint(kRipNormalizing);
            break;
        case kProgressExtracted:
            Extracted(*info);
            break;
        default:
            if (info->Progress >= 1)
                view_.ShowBarPosition(info->Progress);
        }
    } catch (const std::exception& failure) {
        // A step that throws ends the rip with its reason: a command line has no Stop to wait
        // for, and a window must not hang on a rip that cannot go on.
        view_.ShowError(failure.what());
        if (Stop())
            view_.Close();
    }
}

void RipBatch::DiscRead(const RipDiscLayout& layout)
{
    if (!layout.problem.empty())
        view_.ShowError(layout.problem);
    if (layout.toc) {
        discRead_ = true;
        record_.toc = *layout.toc;
        record_.pregaps = layout.pregaps;
        record_.facts = layout.facts;
        record_.discId = FreedbDiscId(*layout.toc);
        cover_ = layout.cover;
    } else {
        lookupPending_ = false; // the first track reports why the drive gave no TOC
    }
    StartTrack(0);
}

TrackRecord RipBatch::TrackOf(std::size_t index) const
{
    TrackRecord record = RippedTrackRecord(DiscTrackOf(index), job_.disc, job_.release);
    record.cover = cover_;
    // The disc's own ISRC where the release gave none.
    if (const CdTrackFacts* facts = TrackFactsOf(record_, job_.tracks[index].number);
        facts && record.isrc.empty() && IsIsrc(facts->Isrc))
        record.isrc = facts->Isrc;
    return record;
}

DiscTrack RipBatch::DiscTrackOf(std::size_t index) const
{
    const RipEntry& entry = job_.tracks[index];
    return {entry.number - 1, entry.title, entry.number, job_.trackTotal};
}

void RipBatch::AccurateRipAnswered(const AccurateRipLookup& lookup)
{
    lookup_ = lookup;
    lookupPending_ = false;
    record_.lookupFailure = lookup.failure;
    for (std::size_t index = 0; index < extracted_; ++index)
        Judge(index);
    if (endPausing_)
        Conclude();
}

// Once both the track's checksums and the database's answer are in.
void RipBatch::Judge(std::size_t index)
{
    RippedTrack& track = record_.tracks[index];
    if (!lookup_ || !track.checksums)
        return;
    // The database lists the disc's tracks alone, never the audio hidden before them.
    track.verdict =
        track.number == kHiddenTrackPosition
            ? TrackVerdict{TrackVerdict::Kind::NotInDatabase, 0, 0}
            : VerdictOf(*lookup_, AudioIndex(record_.toc, track.number), *track.checksums);
    view_.ShowVerdict(job_.tracks[index], track.verdict);
}

void RipBatch::Extracted(const TProcessInfo& info)
{
    const std::size_t index = extracted_++;
    int32_t status = info.Status;
    // A WAV that is the rip's file takes the track's name; one on its way to an encoder waits.
    std::string published;
    if (status == kStatusSuccess && job_.format == OutputFormat::WAV) {
        published = Publish(PartialName(WavOf(index)), WavOf(index));
        if (!published.empty())
            status = kStatusReadFailed;
    }
    if (status == kStatusSuccess) {
        if (job_.format == OutputFormat::WAV) {
            view_.ShowWritten(job_.tracks[index], WavOf(index));
            record_.tracks[index].file = InReportFolder(WavOf(index));
        }
        record_.tracks[index].doubtfulSectors = info.DoubtfulSectors;
        if (info.Checksums) {
            view_.ShowChecksums(*info.Checksums);
            record_.tracks[index].checksums = info.Checksums;
            Judge(index);
        }
    } else {
        const std::string message =
            published.empty() ? ExtractionFailure(info, WavOf(index)) : published;
        view_.ShowError(message);
        Fail(index, message);
    }
    if (status == kStatusSuccess && !lanes_.empty()) {
        toEncode_.push_back(index);
        StartEncoders();
    } else {
        ++finished_;
    }
    if (extracted_ < job_.tracks.size())
        ShowNextTrack(lanes_.empty() ? kRipInitializing : kRipExtracting);
    if (!Ended())
        ShowEncoders();
}

void RipBatch::StartEncoders()
{
    for (std::size_t index = 0; index < lanes_.size() && !toEncode_.empty(); ++index) {
        EncoderLane& lane = *lanes_[index];
        if (lane.track)
            continue;
        lane.track = toEncode_.front();
        toEncode_.pop_front();
        lane.encoding = 0;
        lane.everyFormatWritten = true;
        Encode(index);
    }
}

void RipBatch::Encode(std::size_t laneIndex)
{
    EncoderLane& lane = *lanes_[laneIndex];
    const std::size_t index = *lane.track;
    FormatEncoder& encoder = lane.encoders[lane.encoding];
    lane.percent = 0;
    lane.started = false;
    std::string error = encoder.error;
    const std::string target = TargetOf(index, encoder.format);
    if (error.empty())
        error = MakeFolderOf(target);
    if (error.empty())
        error = encoder.chain->Prepare(EncodedWavOf(index), target, TrackOf(index));
    if (error.empty()) {
        if (encoder.format == OutputFormat::MP3)
            AddId3v1Step(index, encoder.chain->Sink());
        try {
            encoder.chain->Sink().Start();
            lane.started = true;
            return;
        } catch (const std::exception& failure) {
            error = failure.what();
        }
    }
    Fail(index, encoder.format, error);
    PostEncoded(laneIndex, kStatusNothingToEncode);
}

void RipBatch::PostEncoded(std::size_t lane, int32_t status)
{
    messages_.Post(kMsgRipEncoded, static_cast<intptr_t>(lane), status);
}

void RipBatch::Encoded(std::size_t laneIndex, bool succeeded)
{
    EncoderLane& lane = *lanes_[laneIndex];
    FormatFinished(lane, succeeded);
    if (++lane.encoding < lane.encoders.size()) {
        Encode(laneIndex);
        return;
    }
    const std::size_t index = *std::exchange(lane.track, std::nullopt);
    if (job_.format != OutputFormat::WAV)
        SettleWav(index, lane.everyFormatWritten);
    StartEncoders();
    ++finished_;
    if (Ended())
        return;
    view_.ShowCompleted(static_cast<int32_t>(finished_));
    ShowEncoders();
}

void RipBatch::FormatFinished(EncoderLane& lane, bool encoded)
{
    const std::size_t index = *lane.track;
    FormatEncoder& encoder = lane.encoders[lane.encoding];
    const std::string target = TargetOf(index, encoder.format);
    if (encoded && !encoder.chain->Sink().LastError().empty()) {
        Fail(index, encoder.format, encoder.chain->Sink().LastError());
        encoded = false;
    }
    lane.everyFormatWritten = lane.everyFormatWritten && encoded;
    if (encoded) {
        view_.ShowWritten(job_.tracks[index], target);
        if (encoder.format == job_.format)
            record_.tracks[index].file = InReportFolder(target);
        KeepLoudness(index, encoder, target);
    }
}

// While a track is read the bar follows the reading; then it follows the first track encoding.
void RipBatch::ShowEncoders()
{
    std::vector<RipEntry> encoding;
    const EncoderLane* first = nullptr;
    for (const std::unique_ptr<EncoderLane>& lane : lanes_) {
        if (!lane->track)
            continue;
        encoding.push_back(job_.tracks[*lane->track]);
        if (first == nullptr || *lane->track < *first->track)
            first = lane.get();
    }
    std::ranges::sort(encoding, {}, [this](const RipEntry& track) {
        return std::ranges::find(job_.tracks, track) - job_.tracks.begin();
    });
    view_.ShowEncoding(encoding);
    if (extracting_ || first == nullptr || first->track == shownTrack_)
        return;
    shownTrack_ = first->track;
    view_.ShowCurrentTrack(job_.tracks[*first->track]);
    view_.ShowHint(kRipEncoding);
    view_.ShowBarCaption(kRipEncoding);
    if (first->percent >= 1)
        view_.ShowBarPosition(first->percent);
}

// Once every track is read and encoded: the album's loudness, then the end.
bool RipBatch::Ended()
{
    if (extracted_ < job_.tracks.size() || finished_ < job_.tracks.size())
        return false;
    if (!StartAlbumTags())
        End(!lanes_.empty());
    return true;
}

// The WAV an encoder made its files of: kept under the track's name when the user asked for
// it; else removed once every format has its file, or, when one has not, kept as all the user
// has of the track, under its name if that is free and as partial otherwise.
void RipBatch::SettleWav(std::size_t index, bool everyFormatWritten)
{
    const std::string wav = WavOf(index);
    const std::string partial = PartialName(wav);
    if (settings_.CommonOptions.IsKeepWav) {
        if (const std::string failure = Publish(partial, wav); !failure.empty())
            Fail(index, failure);
        else
            view_.ShowWritten(job_.tracks[index], wav);
    } else if (!everyFormatWritten) {
        PublishIfFree(partial, wav);
    } else if (!IsFileInUse(partial)) {
        std::error_code ignored;
        fs::remove(partial, ignored);
    }
}

// Every format measures the same WAV: the first one measured stands for the track.
void RipBatch::KeepLoudness(std::size_t index, FormatEncoder& encoder, const std::string& file)
{
    std::optional<TrackLoudness> measured = encoder.chain->TakeLoudness();
    if (!measured)
        return;
    std::optional<Loudness>& loudness = record_.tracks[index].loudness;
    if (!loudness) {
        loudness = measured->Result();
        loudness_[index] = std::move(*measured);
    }
    albumFiles_.push_back({index, file, *InfoOf(encoder.format).loudnessTags});
}

bool RipBatch::StartAlbumTags()
{
    if (job_.replayGain != ReplayGainMode::Album || albumFiles_.empty())
        return false;
    std::vector<const TrackLoudness*> tracks;
    for (const std::optional<TrackLoudness>& track : loudness_)
        if (track)
            tracks.push_back(&*track);
    record_.album = AlbumLoudness(tracks);
    // The last track's files are done before the album's tags are.
    view_.ShowCompleted(static_cast<int32_t>(finished_));
    view_.ShowHint(kRipAlbumGain);
    view_.ShowBarCaption(kRipAlbumGain);
    // Lanes end in any order: the files are tagged in the rip's.
    std::ranges::stable_sort(albumFiles_, {}, &AlbumTagTarget::item);
    albumTags_ = std::make_unique<AlbumTagWriter>(albumFiles_, *record_.album, messages_);
    return true;
}

void RipBatch::AlbumTagsDone(const AlbumTagsWritten& written)
{
    albumTags_.reset();
    for (const AlbumTagsWritten::Failure& failure : written.failures)
        Fail(failure.item, failure.reason);
    End(true);
}

// The MP3 file gets its ID3v1 tag while it is still partial, so its final name only ever
// holds the tagged file and a failed encode tags nothing.
void RipBatch::AddId3v1Step(std::size_t index, TAuFileOut& sink) const
{
    const TDiscFields& disc = job_.disc;
    Tid3tag tag;
    tag.SetTitle(job_.tracks[index].title);
    tag.SetArtist(disc.Artist);
    tag.SetAlbum(disc.Album);
    tag.SetYear(disc.Year);
    tag.SetComment(disc.Comment);
    tag.SetGenre(Id3GenreByte(disc.GenreIndex));
    tag.SetTrack(static_cast<uint8_t>(job_.tracks[index].number));
    sink.SetCompletedFileStep(
        [step = sink.CompletedFileStep(), tag,
         target = TargetOf(index, OutputFormat::MP3)](const std::string& mp3) mutable {
            if (step)
                step(mp3);
            if (tag.Write(mp3) != 0)
                throw std::runtime_error("cannot write the ID3 tag of " + target);
        });
}

void RipBatch::End(bool pauseFirst)
{
    worker_.reset(); // it has ended
    endPausing_ = pauseFirst;
    // The last track counts while the rip is verified or settles.
    view_.ShowCompleted(static_cast<int32_t>(finished_));
    if (lookupPending_) {
        view_.ShowHint(kRipVerifying);
        view_.ShowBarCaption(kRipVerifying);
        return; // the answer concludes the rip
    }
    Conclude();
}

void RipBatch::Conclude()
{
    over_ = true;
    survey_.reset();
    const auto close = [this] {
        if (discRead_) {
            for (const std::string& problem :
                 WriteRipReport(record_, ReportFolder(), settings_.RipOptions, &log_))
                view_.ShowReportFailure(problem);
        }
        view_.ShowSummary(Results());
        view_.Close();
    };
    if (*endPausing_)
        view_.Pause(kSettleMs, close);
    else
        close();
}

RipResults RipBatch::Results() const
{
    return {record_.tracks, RipSummaryLine(record_.tracks), record_.lookupFailure, ReportFolder(),
            log_};
}

// A track is reported once, with the first reason it failed for.
void RipBatch::Fail(std::size_t index, const std::string& reason)
{
    std::string& failure = record_.tracks[index].failure;
    if (failure.empty())
        failure = reason;
}

void RipBatch::Fail(std::size_t index, OutputFormat format, const std::string& reason)
{
    Fail(index, job_.alsoWrite.empty() ? reason : std::string(InfoOf(format).name) + ": " + reason);
}

// The pattern's names, one taken by an earlier track getting " (2)", " (3)" ... A title is a
// name as it is but for '"'; only another pattern's "/" makes folders below the output folder.
std::vector<RipBatch::TrackFileName> RipBatch::UniqueFileNames() const
{
    const std::string pattern =
        job_.namePattern.empty() ? std::string(kTitleOnlyPattern) : job_.namePattern;
    std::set<std::string> taken;
    std::vector<TrackFileName> names;
    for (std::size_t index = 0; index < job_.tracks.size(); ++index) {
        const std::string name = FirstFreeName(
            PatternedName(pattern, RippedTrackRecord(DiscTrackOf(index), job_.disc, job_.release),
                          ExtensionBytes(job_)),
            [&](const std::string& used) { return taken.contains(used); });
        taken.insert(name);
        const std::size_t slash =
            pattern == kTitleOnlyPattern ? std::string::npos : name.rfind('/');
        if (slash == std::string::npos)
            names.push_back({{}, name});
        else
            names.push_back({name.substr(0, slash), name.substr(slash + 1)});
    }
    return names;
}

std::string RipBatch::ReportFolder() const
{
    return fileNames_.empty() ? settings_.CommonOptions.OutputFolder : FolderOf(0, job_.format);
}

std::string RipBatch::InReportFolder(const std::string& file) const
{
    return fs::path(file).lexically_relative(ReportFolder()).string();
}

std::string RipBatch::FolderOf(std::size_t index, OutputFormat format) const
{
    std::string folder = settings_.CommonOptions.OutputFolder;
    if (!job_.alsoWrite.empty())
        folder = IncludeTrailingBackslash(folder) + std::string(InfoOf(format).name);
    const std::string& subfolder = fileNames_[index].subfolder;
    return subfolder.empty() ? folder : IncludeTrailingBackslash(folder) + subfolder;
}

std::string RipBatch::WavOf(std::size_t index) const
{
    return TrackWavePath(FolderOf(index, job_.format), fileNames_[index].stem);
}

std::string RipBatch::EncodedWavOf(std::size_t index) const
{
    return job_.format == OutputFormat::WAV ? WavOf(index) : PartialName(WavOf(index));
}

std::string RipBatch::TargetOf(std::size_t index, OutputFormat format) const
{
    return OutputFilePath(FolderOf(index, format), fileNames_[index].stem, format);
}

} // namespace corvath
