#pragma once

#include "app/album_tag_writer.h"
#include "app/conversion_chain.h"
#include "app/disc_info_store.h"
#include "app/options_setting.h"
#include "audio/threads/main_thread_messages.h"
#include "codecs/output_format.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

/// What one of the program's converter commands (numbered 2 to 11) reads and writes.
struct ConversionKind {
    InputReader reader;
    OutputFormat format;
};

/// The conversion of a converter command's number; nothing for a number that has none.
std::optional<ConversionKind> ConversionOfKind(int kind);

/// A file that did not convert, and why.
struct FailedFile {
    std::string input;
    std::string reason;
};

/// What a conversion batch shows while it runs; the batch calls it on the main thread.
class ConvertView {
public:
    virtual ~ConvertView() = default;

    /// A file starts: its path and the path of the file it becomes; count files are done.
    virtual void ShowFile(const std::string& input, const std::string& output, int32_t count) = 0;
    /// Percent done of input, a file under way.
    virtual void ShowProgress(const std::string& input, int32_t percent) = 0;
    /// input converted whole into output.
    virtual void ShowConverted(const std::string& input, const std::string& output) = 0;
    /// input, converted, held less sound than its header announced.
    virtual void ShowEndedEarly(const std::string& input, const EarlyEnd& early) = 0;
    /// A file failed; the batch goes on with the others.
    virtual void ShowFailed(const FailedFile& failure) = 0;
    /// Before closing, when any file failed.
    virtual void ShowFailures(const std::vector<FailedFile>& failures) = 0;
    /// The batch is over; the view goes.
    virtual void Close() = 0;
};

/// What to convert: the files in order, read as reader says, into format in outputFolder, each
/// named after its input with the format's extension. The encoders are set up from the
/// settings; each file is tagged with its input's own tags, the disc fields filling what they
/// lack.
struct ConvertJob {
    std::vector<std::string> inputs;
    OutputFormat format = OutputFormat::WAV;
    InputReader reader = InputReader::ByExtension;
    std::string outputFolder;
    TDiscFields disc;
    bool adpcm = false; ///< WAV written as IMA ADPCM
    SampleFormatChange change;
    int parallel = 1; ///< how many files may convert at once, each through a chain of its own
    /// Names the outputs from their inputs' tags (FileNamePatternProblem accepts it); empty:
    /// after their inputs. Reads every input's tags when the batch is made.
    std::string namePattern{};
    /// The loudness tags of the outputs: the album's are over the files of the batch.
    ReplayGainMode replayGain = ReplayGainMode::Off;
};

/// Converts files in order, up to the job's parallel count at once: each file starts from a
/// message posted when a chain is free, so with one chain they go strictly one after another.
/// Every output name is chosen before the first file starts, in input order: a name that an
/// earlier input already takes gets " (2)", " (3)" ... before the extension, so no file of the
/// batch replaces another's and the names do not depend on which file ends first. A file that
/// fails (unreadable, not audio, an encoder error) does not stop the others; the list of
/// failures, in input order, is shown before the view closes. Main thread.
class ConvertBatch {
public:
    /// The settings must outlive the batch. Nothing starts before Start.
    ConvertBatch(ConvertView& view, ConvertJob job, const TOptionsSetting& settings);
    /// Stops.
    ~ConvertBatch();
    ConvertBatch(const ConvertBatch&) = delete;
    ConvertBatch& operator=(const ConvertBatch&) = delete;

    /// Posts the start of the first files. When the format's encoder (or the resampler) cannot
    /// be made, every file is reported failed with the reason and the view closes.
    void Start();

    /// Ends the batch: the files under way are finished as far as they got, nothing more starts.
    void Stop();

    std::size_t FileCount() const { return job_.inputs.size(); }
    /// How many files convert at once: the job's parallel count, at most one per file.
    std::size_t LaneCount() const;

private:
    /// One chain and the file it converts.
    struct Lane {
        Lane(const ConvertJob& job, const TOptionsSetting& settings)
            : chain(job.format, job.adpcm, job.change, settings,
                    job.replayGain != ReplayGainMode::Off)
        {
        }
        ConversionChain chain;
        std::optional<std::size_t> file; // index of the input under way
    };

    void NextFile(std::size_t lane);
    /// A pattern's folders below the output folder are made as their first file starts; why
    /// that failed, or "".
    std::string FolderProblem(const std::string& output) const;
    void EndOfFile(Lane& lane, std::size_t file);
    std::size_t RunningCount() const;
    /// The last file is done: the album's loudness is added to the files, then the batch ends.
    void Finish();
    void Close();
    void Fail(std::size_t file, const std::string& reason);
    /// In input order, whichever failed first.
    std::vector<FailedFile> Failures() const;

    ConvertView& view_;
    const ConvertJob job_;
    const TOptionsSetting& settings_;
    MainThreadMessages messages_;
    std::vector<std::unique_ptr<Lane>> lanes_; // the sinks' events hold their lane's address
    std::vector<std::string> outputs_;         // one per input
    std::size_t started_ = 0;                  // files started
    bool over_ = false;
    std::map<std::size_t, FailedFile> failures_; // by input index
    std::vector<TrackLoudness> loudness_;        // of the files converted, for the album
    std::vector<AlbumTagTarget> albumFiles_;
    std::unique_ptr<AlbumTagWriter> albumTags_;
};

} // namespace corvath
