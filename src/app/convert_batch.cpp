#include "app/convert_batch.h"

#include "app/file_name_pattern.h"
#include "app/output_naming.h"
#include "app/track_records.h"
#include "tags/file_tag_reader.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>

namespace corvath {

namespace {

namespace fs = std::filesystem;

// The output's name without extension: the pattern's, from the input's tags, or the input's.
std::string OutputName(const ConvertJob& job, const std::string& input)
{
    if (job.namePattern.empty())
        return fs::path(input).stem().string();
    const TrackRecord track = ConvertedTrackRecord(ReadFileTags(input), job.disc, input);
    return PatternedName(job.namePattern, track, InfoOf(job.format).extension.size() + 1);
}

std::vector<std::string> OutputPaths(const ConvertJob& job)
{
    std::set<std::string> taken;
    std::vector<std::string> paths;
    paths.reserve(job.inputs.size());
    for (const std::string& input : job.inputs) {
        const auto pathOf = [&](const std::string& name) {
            return OutputFilePath(job.outputFolder, name, job.format);
        };
        const std::string name =
            FirstFreeName(OutputName(job, input),
                          [&](const std::string& used) { return taken.contains(pathOf(used)); });
        paths.push_back(*taken.insert(pathOf(name)).first);
    }
    return paths;
}

} // namespace

std::optional<ConversionKind> ConversionOfKind(int kind)
{
    using enum InputReader;
    constexpr int kFirst = 2;
    constexpr ConversionKind kKinds[] = {
        {Wave, OutputFormat::MP3},  {Wave, OutputFormat::OGG}, {Wave, OutputFormat::WMA},
        {Wave, OutputFormat::FLAC}, {Wave, OutputFormat::APE}, {Mp3, OutputFormat::WAV},
        {Wma, OutputFormat::WAV},   {Mp3, OutputFormat::WMA},  {Wma, OutputFormat::MP3},
        {Wave, OutputFormat::OPUS},
    };
    if (kind < kFirst || kind >= kFirst + static_cast<int>(std::size(kKinds)))
        return std::nullopt;
    return kKinds[kind - kFirst];
}

ConvertBatch::ConvertBatch(ConvertView& view, ConvertJob job, const TOptionsSetting& settings)
    : view_(view), job_(std::move(job)), settings_(settings),
      messages_([this](uint32_t message, intptr_t lane, intptr_t, MessagePayload* payload) {
          if (message == kMsgNextFile)
              NextFile(static_cast<std::size_t>(lane));
          if (const auto* written = dynamic_cast<const AlbumTagsWritten*>(payload)) {
              albumTags_.reset();
              for (const AlbumTagsWritten::Failure& failure : written->failures)
                  Fail(failure.item, failure.reason);
              Close();
          }
      }),
      outputs_(OutputPaths(job_))
{
}

ConvertBatch::~ConvertBatch()
{
    messages_.Close();
    Stop();
}

void ConvertBatch::Start()
{
    try {
        for (std::size_t i = 0; i < LaneCount(); ++i)
            lanes_.push_back(std::make_unique<Lane>(job_, settings_));
    } catch (const std::exception& failure) {
        lanes_.clear();
        for (std::size_t file = 0; file < job_.inputs.size(); ++file)
            Fail(file, failure.what());
        over_ = true;
        view_.ShowFailures(Failures());
        view_.Close();
        return;
    }
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        Lane& lane = *lanes_[i];
        lane.chain.ReadAs(job_.reader);
        TAuFileOut& sink = lane.chain.Sink();
        sink.SetOnProgress([this, &lane](TAuOutput* sender) {
            if (!over_ && lane.file)
                view_.ShowProgress(job_.inputs[*lane.file], sender->PercentDone());
        });
        // The next file starts from the message loop, never from inside the finished run's event.
        const auto index = static_cast<intptr_t>(i);
        sink.SetOnDone([this, index](TAuOutput*) { messages_.Post(kMsgNextFile, index, 0); });
        messages_.Post(kMsgNextFile, index, 0);
    }
    if (lanes_.empty()) {
        over_ = true;
        view_.Close();
    }
}

std::size_t ConvertBatch::LaneCount() const
{
    return std::min(job_.inputs.size(), static_cast<std::size_t>(std::max(job_.parallel, 1)));
}

void ConvertBatch::Stop()
{
    albumTags_.reset();
    if (std::exchange(over_, true))
        return;
    for (const std::unique_ptr<Lane>& lane : lanes_) {
        TAuFileOut& sink = lane->chain.Sink();
        sink.SetOnProgress(nullptr);
        sink.SetOnDone(nullptr);
        sink.StopOutput(false);
    }
}

void ConvertBatch::NextFile(std::size_t laneIndex)
{
    if (over_)
        return;
    Lane& lane = *lanes_[laneIndex];
    if (const std::optional<std::size_t> file = std::exchange(lane.file, std::nullopt))
        EndOfFile(lane, *file);
    if (started_ == job_.inputs.size()) {
        if (RunningCount() == 0)
            Finish();
        return;
    }
    const std::size_t file = started_++;
    const std::string& input = job_.inputs[file];
    const std::string& output = outputs_[file];
    view_.ShowFile(input, output, static_cast<int32_t>(file - RunningCount()));
    std::string error = FolderProblem(output);
    if (error.empty())
        error = lane.chain.Prepare(input, output,
                                   ConvertedTrackRecord(ReadFileTags(input), job_.disc, input));
    if (error.empty()) {
        try {
            lane.file = file;
            lane.chain.Sink().Start();
            return;
        } catch (const std::exception& failure) {
            lane.file.reset();
            error = failure.what();
        }
    }
    Fail(file, error);
    messages_.Post(kMsgNextFile, static_cast<intptr_t>(laneIndex), 0);
}

std::string ConvertBatch::FolderProblem(const std::string& output) const
{
    return job_.namePattern.empty() ? std::string() : MakeFolderOf(output);
}

void ConvertBatch::EndOfFile(Lane& lane, std::size_t file)
{
    const std::string& input = job_.inputs[file];
    const std::string& error = lane.chain.Sink().LastError();
    if (!error.empty()) {
        Fail(file, error);
        return;
    }
    view_.ShowConverted(input, outputs_[file]);
    if (std::optional<TrackLoudness> loudness = lane.chain.TakeLoudness()) {
        loudness_.push_back(std::move(*loudness));
        albumFiles_.push_back({file, outputs_[file], *InfoOf(job_.format).loudnessTags});
    }
    if (const std::optional<EarlyEnd> early = lane.chain.EarlyEndOfInput())
        view_.ShowEndedEarly(input, *early);
}

void ConvertBatch::Finish()
{
    over_ = true;
    if (job_.replayGain != ReplayGainMode::Album || albumFiles_.empty()) {
        Close();
        return;
    }
    std::vector<const TrackLoudness*> files;
    for (const TrackLoudness& file : loudness_)
        files.push_back(&file);
    albumTags_ = std::make_unique<AlbumTagWriter>(albumFiles_, AlbumLoudness(files), messages_);
}

void ConvertBatch::Close()
{
    if (!failures_.empty())
        view_.ShowFailures(Failures());
    view_.Close();
}

std::size_t ConvertBatch::RunningCount() const
{
    return static_cast<std::size_t>(std::ranges::count_if(
        lanes_, [](const std::unique_ptr<Lane>& lane) { return lane->file.has_value(); }));
}

void ConvertBatch::Fail(std::size_t file, const std::string& reason)
{
    const FailedFile& failure = failures_[file] = {job_.inputs[file], reason};
    if (!over_)
        view_.ShowFailed(failure);
}

std::vector<FailedFile> ConvertBatch::Failures() const
{
    std::vector<FailedFile> list;
    for (const auto& [file, failure] : failures_)
        list.push_back(failure);
    return list;
}

} // namespace corvath
