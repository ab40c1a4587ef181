#pragma once

#include "app/conversion_chain.h"
#include "app/disc_info_store.h"
#include "app/options_setting.h"
#include "app/output_format.h"
#include "cd/main_thread_messages.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace corvath {

/// What one of the program's converter commands (numbered 2 to 10) reads and writes.
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
    /// Percent done of the current file.
    virtual void ShowProgress(int32_t percent) = 0;
    /// The current file converted whole into output.
    virtual void ShowConverted(const std::string& output) = 0;
    /// The current file, converted, held less sound than its header announced.
    virtual void ShowEndedEarly(const std::string& input, const EarlyEnd& early) = 0;
    /// The current file failed; the batch goes on with the next.
    virtual void ShowFailed(const FailedFile& failure) = 0;
    /// Before closing, when any file failed.
    virtual void ShowFailures(const std::vector<FailedFile>& failures) = 0;
    /// The batch is over; the view goes.
    virtual void Close() = 0;
};

/// What to convert: the files in order, read as reader says, into format in outputFolder, each
/// named after its input with the format's extension. The encoders are set up from the
/// settings and the disc fields.
struct ConvertJob {
    std::vector<std::string> inputs;
    OutputFormat format = OutputFormat::WAV;
    InputReader reader = InputReader::ByExtension;
    std::string outputFolder;
    TDiscFields disc;
    bool adpcm = false; ///< WAV written as IMA ADPCM
    SampleFormatChange change;
};

/// Converts files strictly one after another, each started from a message posted when the one
/// before it is done. A name that an earlier file of the batch already wrote gets " (2)",
/// " (3)" ... before the extension, so no file of the batch replaces another's. A file that
/// fails (unreadable, not audio, an encoder error) does not stop the others; the list of
/// failures is shown before the view closes. Main thread.
class ConvertBatch {
public:
    /// The settings must outlive the batch. Nothing starts before Start.
    ConvertBatch(ConvertView& view, ConvertJob job, const TOptionsSetting& settings);
    /// Stops.
    ~ConvertBatch();
    ConvertBatch(const ConvertBatch&) = delete;
    ConvertBatch& operator=(const ConvertBatch&) = delete;

    /// Posts the start of the first file. When the format's encoder (or the resampler) cannot
    /// be made, every file is reported failed with the reason and the view closes.
    void Start();

    /// Ends the batch: the file under way is finished as far as it got, nothing more starts.
    void Stop();

    std::size_t FileCount() const { return job_.inputs.size(); }

private:
    void NextFile();
    void EndOfFile();
    /// Where input goes: its name with the format's extension in the output folder, made unique
    /// within the batch.
    std::string OutputOf(const std::string& input);
    void Fail(const std::string& input, const std::string& reason);

    ConvertView& view_;
    const ConvertJob job_;
    const TOptionsSetting& settings_;
    MainThreadMessages messages_;
    std::optional<ConversionChain> chain_;
    std::size_t completed_ = 0; // files started
    bool running_ = false;      // a file is being converted
    bool over_ = false;
    std::string output_; // of the file being converted
    std::set<std::string> written_;
    std::vector<FailedFile> failures_;
};

} // namespace corvath
