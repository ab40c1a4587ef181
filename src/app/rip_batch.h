#pragma once

#include "app/album_tag_writer.h"
#include "app/conversion_chain.h"
#include "app/disc_info_store.h"
#include "app/options_setting.h"
#include "app/rip_disc_survey.h"
#include "app/rip_record.h"
#include "app/track_records.h"
#include "audio/threads/main_thread_messages.h"
#include "cd/cd_rip_thread.h"
#include "lookup/release_details.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

struct TProcessInfo;

/// A track to rip: its position in the disc's TOC (1 for the first entry) and its title.
struct RipEntry {
    int32_t number = 0;
    std::string title;
    bool operator==(const RipEntry&) const = default;
};

/// The texts a rip shows as its hint and progress caption.
inline constexpr const char* kRipExtracting = "Extracting...";
inline constexpr const char* kRipInitializing = "Initializing...";
inline constexpr const char* kRipNormalizing = "Normalizing...";
inline constexpr const char* kRipEncoding = "Encoding...";
inline constexpr const char* kRipVerifying = "Verifying with AccurateRip...";
inline constexpr const char* kRipAlbumGain = "Writing the album gain...";

/// How a rip ended.
struct RipResults {
    std::vector<RippedTrack> tracks;
    std::string summary;       ///< the one line that sums the rip up
    std::string lookupFailure; ///< why AccurateRip could not be asked; "" when it answered or
                               ///< was not asked
    std::string folder;        ///< where the log and the cue sheet go
    std::string log;           ///< the rip log's path; "" when none was written
};

/// What a rip shows while it runs; the batch calls it on the main thread.
class RipView {
public:
    virtual ~RipView() = default;

    virtual void ShowCurrentTrack(const RipEntry& track) = 0;
    virtual void ShowHint(const std::string& hint) = 0;
    virtual void ShowBarCaption(const std::string& caption) = 0;
    /// Percent done of the current step, 1 to 100.
    virtual void ShowBarPosition(int32_t percent) = 0;
    /// How many tracks are done: read, and encoded when the format asks for it.
    virtual void ShowCompleted(int32_t count) = 0;
    /// The tracks being encoded while another is read, in the order they were read; empty
    /// when no encoder runs.
    virtual void ShowEncoding(const std::vector<RipEntry>& tracks) { (void)tracks; }
    /// A file of track is complete: its WAV, then its encoded files.
    virtual void ShowWritten(const RipEntry& track, const std::string& file) = 0;
    /// The current track's audio was read whole; these are its checksums as read.
    virtual void ShowChecksums(const TrackChecksumValues& checksums) = 0;
    /// What the AccurateRip database says of a track, once both its checksums and the
    /// database's answer are in: right after the track, or later when the answer comes late.
    virtual void ShowVerdict(const RipEntry& track, const TrackVerdict& verdict) = 0;
    /// A track failed; the rip goes on once the message is acknowledged.
    virtual void ShowError(const std::string& message) = 0;
    /// The rip log or cue sheet could not be written; the tracks' files are all there.
    virtual void ShowReportFailure(const std::string& message) { ShowError(message); }
    /// The drive failed: nothing more happens until the user stops the rip.
    virtual void ShowDriveFailure(const std::string& message) = 0;
    /// Before closing, at the end of every rip that was not stopped: how each track ended.
    virtual void ShowSummary(const RipResults& results) = 0;
    /// Runs then on the main thread after about ms milliseconds without blocking that thread.
    /// A view with no window to keep alive may run it as soon as the current step returns.
    virtual void Pause(int ms, std::function<void()> then) = 0;
    /// The rip is over; the view goes.
    virtual void Close() = 0;
};

/// What to rip: the tracks in order, from the open drive, into a format, with the disc fields
/// shown for the disc, and the drive's name for the rip log (vendor and product, or the image);
/// the release applied to the disc, if any, adds to the files' tags.
struct RipJob {
    int32_t cdHandle = 0;
    std::vector<RipEntry> tracks;
    OutputFormat format = OutputFormat::MP3;
    TDiscFields disc;
    std::string driveName;
    ReleaseDetails release{};
    /// How many tracks the disc counts: up to its last audio track.
    int trackTotal = 0;
    /// Names the files below the output folder (FileNamePatternProblem accepts it); empty: by
    /// title alone.
    std::string namePattern{};
    /// Formats encoded from the same WAVs besides the main one: never it, WAV or one twice.
    std::vector<OutputFormat> alsoWrite{};
    /// The loudness tags of the encoded files: the album's are over the tracks of the rip.
    ReplayGainMode replayGain = ReplayGainMode::Off;
    /// How many tasks may run at once, the reading counted as one: tracks already read are
    /// encoded on jobs - 1 lanes, at least one. 0: one task per processor.
    int jobs = 0;
};

/// The encoder lanes of a rip of jobs tasks (0: one per processor) beside its reading.
std::size_t RipEncoderLanes(int jobs);

/// Rips tracks in order: a rip worker extracts one track after another into WAVs in the output
/// folder. Unless the format is WAV, each track read goes to the first free encoder lane while
/// the next is read: there the format's encoder makes the file, then each other format's encoder
/// its own, each tagged with the track's record (title, numbers, disc fields, release); MP3
/// files also get an ID3v1 tag, and the WAV is deleted once every format's file of its track is
/// made, unless the settings keep it. When several formats are written, each format's
/// files go below a folder of its name ("FLAC", "MP3") and a track's failures name their format.
/// The file-name pattern places every file below that. Driven by the
/// workers' messages and the encoder's events, all handled on the main thread; the view shows
/// each step. Titles that an earlier track of the same rip already used get " (2)", " (3)" ...
/// so no track replaces another's file. A track that fails does not stop the others.
///
/// Before the first track the disc's TOC is read; when the cover cache has the disc's front
/// cover, it goes into the output folder as folder.jpg or folder.png (an existing one stays)
/// and into the files of the formats that take one. Then, when the settings ask for it, the disc is
/// looked up in the AccurateRip database while the tracks are ripped; each track's checksums
/// then give its verdict. After the last track the rip waits for that answer, writes the rip
/// log and cue sheet the settings ask for into the output folder (a file that cannot be
/// written is shown as an error), and shows the summary when a track failed or the tracks
/// were verified. Main thread.
class RipBatch {
public:
    /// The settings must outlive the batch. Nothing starts before Start.
    RipBatch(RipView& view, RipJob job, const TOptionsSetting& settings);
    /// Stops; an encoder still running is ended.
    ~RipBatch();
    RipBatch(const RipBatch&) = delete;
    RipBatch& operator=(const RipBatch&) = delete;

    /// Shows the first track and starts extracting it. When no format's encoder can be made,
    /// nothing is extracted: every track is reported failed with the reason and the view closes.
    /// Formats whose encoder cannot be made fail on every track while the others go on.
    void Start();

    /// Ends the rip: the extraction under way is asked to stop, the encoders stop, and nothing
    /// more starts or is shown; tracks read whose files were not all made keep their WAVs; the log
    /// and cue sheet of what was ripped are written, the log saying the rip was stopped. Never
    /// waits: true when the rip is over at once; false while the extraction still ends, the view's
    /// Close coming once it has.
    bool Stop();

    OutputFormat Format() const { return job_.format; }
    std::size_t TrackCount() const { return job_.tracks.size(); }
    /// What became of each track so far, in the job's order.
    const RipRecord& Record() const { return record_; }
    /// How the rip ended, once it is over (also when stopped).
    RipResults Results() const;

private:
    void Handle(uint32_t message, intptr_t wParam, intptr_t lParam, const MessagePayload* payload);
    /// Notes the rip worker's last message; a stopped rip's view closes then.
    void NoteWorkerEnd(uint32_t message, const MessagePayload* payload);
    /// The disc's cover goes into the files that take it; a folder image that failed is told.
    void DiscRead(const RipDiscLayout& layout);
    /// The tags of the job's track index, cover included.
    TrackRecord TrackOf(std::size_t index) const;
    DiscTrack DiscTrackOf(std::size_t index) const;
    void AccurateRipAnswered(const AccurateRipLookup& lookup);
    void Judge(std::size_t index);
    void StartTrack(std::size_t index);
    void ShowNextTrack(const char* barCaption);
    void Extracted(const TProcessInfo& info);
    /// Where a track's files go below a format's folder: their folder and their name without
    /// extension.
    struct TrackFileName {
        std::string subfolder; ///< "" for none
        std::string stem;
    };
    /// The encoder of one format the WAVs become.
    struct FormatEncoder {
        OutputFormat format;
        std::optional<ConversionChain> chain; // none when it cannot be made
        std::string error;                    // why not
    };
    /// Encoders of every format that take one track at a time.
    struct EncoderLane {
        std::vector<FormatEncoder> encoders; // the main format's first
        std::optional<std::size_t> track;    // under way
        std::size_t encoding = 0;            // the format under way
        bool everyFormatWritten = false;     // of the track, so far
        int32_t percent = 0;                 // of the format under way
        bool started = false;                // the format under way's encoder runs or ran
    };
    /// The lane's encoders, made from the settings and reporting to the batch as lane index.
    std::unique_ptr<EncoderLane> MakeLane(std::size_t index);
    /// Hands the tracks read to the free lanes.
    void StartEncoders();
    /// Starts the lane's encoder of the format under way on its track's WAV.
    void Encode(std::size_t lane);
    void PostEncoded(std::size_t lane, int32_t status);
    /// The lane's format under way is done: the next format starts, or the track is done.
    void Encoded(std::size_t lane, bool succeeded);
    /// The lane's format under way is done with its track, whether its file was made.
    void FormatFinished(EncoderLane& lane, bool encoded);
    static void MarkStopped(RippedTrack& track, const std::string& reason);
    /// Stops the lanes; returns the tracks they had not finished.
    std::vector<std::size_t> StopLanes();
    /// Tells the view which tracks encode; when no track is read, the bar follows the first.
    void ShowEncoders();
    /// When every track is done, starts the rip's end and is true.
    bool Ended();
    /// Starts adding the album's loudness to the files; false when there is nothing to add.
    bool StartAlbumTags();
    void AlbumTagsDone(const AlbumTagsWritten& written);
    void AddId3v1Step(std::size_t index, TAuFileOut& sink) const;
    void SettleWav(std::size_t index, bool everyFormatWritten);
    void End(bool pauseFirst);
    void Conclude();
    void Fail(std::size_t index, const std::string& reason);
    /// A failure of one format's file, named by its format when several are written.
    void Fail(std::size_t index, OutputFormat format, const std::string& reason);
    /// Keeps the loudness of the track's file that the format under way made.
    void KeepLoudness(std::size_t index, FormatEncoder& encoder, const std::string& file);

    std::vector<TrackFileName> UniqueFileNames() const;
    /// Where the log, the cue sheet and the cover go: the folder of the first track's file.
    std::string ReportFolder() const;
    /// A file's path from the report folder, as the cue sheet and the log name it.
    std::string InReportFolder(const std::string& file) const;
    /// The output folder, the format's folder below it when several are written, and the
    /// track's folders of the pattern.
    std::string FolderOf(std::size_t index, OutputFormat format) const;
    /// Beside the main format's file.
    std::string WavOf(std::size_t index) const;
    /// The WAV the encoders read: the rip's file, or the partial one no one asked to keep.
    std::string EncodedWavOf(std::size_t index) const;
    std::string TargetOf(std::size_t index, OutputFormat format) const;

    RipView& view_;
    const RipJob job_;
    const TOptionsSetting& settings_;
    const std::vector<TrackFileName> fileNames_; // per track, unique within the rip
    MainThreadMessages messages_;
    std::vector<std::unique_ptr<EncoderLane>> lanes_;    // none for WAV; sinks hold their address
    std::deque<std::size_t> toEncode_;                   // tracks read, waiting for a lane
    std::optional<std::size_t> shownTrack_;              // the view's current track
    std::vector<std::optional<TrackLoudness>> loudness_; // per track measured, for the album
    std::vector<AlbumTagTarget> albumFiles_;
    std::unique_ptr<AlbumTagWriter> albumTags_;
    std::unique_ptr<RipDiscSurvey> survey_;
    std::optional<CoverPicture> cover_; // the disc's, for every track
    std::unique_ptr<TCDRipThread> worker_;
    bool extracting_ = false;   // the worker has not sent its last message yet
    bool stopping_ = false;     // Stop waits for that message to close the view
    std::size_t extracted_ = 0; // tracks whose extraction has ended
    std::size_t finished_ = 0;  // tracks with every step done
    bool over_ = false;
    bool discRead_ = false; // the TOC was read: there is a rip to log
    bool lookupPending_ = false;
    std::optional<bool> endPausing_; // set once the last track is done: whether to settle first
    std::optional<AccurateRipLookup> lookup_;
    RipRecord record_; // one entry per job track
    std::string log_;  // the rip log's path, once written
};

} // namespace corvath
