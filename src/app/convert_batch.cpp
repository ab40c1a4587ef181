#include "app/convert_batch.h"

#include "app/output_naming.h"

#include <filesystem>
#include <iterator>

namespace corvath {

namespace {

namespace fs = std::filesystem;

} // namespace

std::optional<ConversionKind> ConversionOfKind(int kind)
{
    using enum InputReader;
    constexpr int kFirst = 2;
    constexpr ConversionKind kKinds[] = {
        {Wave, OutputFormat::MP3},  {Wave, OutputFormat::OGG}, {Wave, OutputFormat::WMA},
        {Wave, OutputFormat::FLAC}, {Wave, OutputFormat::APE}, {Mp3, OutputFormat::WAV},
        {Wma, OutputFormat::WAV},   {Mp3, OutputFormat::WMA},  {Wma, OutputFormat::MP3},
    };
    if (kind < kFirst || kind >= kFirst + static_cast<int>(std::size(kKinds)))
        return std::nullopt;
    return kKinds[kind - kFirst];
}

ConvertBatch::ConvertBatch(ConvertView& view, ConvertJob job, const TOptionsSetting& settings)
    : view_(view), job_(std::move(job)), settings_(settings),
      messages_([this](uint32_t message, intptr_t, intptr_t, MessagePayload*) {
          if (message == kMsgNextFile)
              NextFile();
      })
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
        chain_.emplace(job_.format, job_.adpcm, job_.change, settings_, job_.disc);
    } catch (const std::exception& failure) {
        for (const std::string& input : job_.inputs)
            Fail(input, failure.what());
        over_ = true;
        view_.ShowFailures(failures_);
        view_.Close();
        return;
    }
    chain_->ReadAs(job_.reader);
    TAuFileOut& sink = chain_->Sink();
    sink.SetOnProgress([this](TAuOutput* sender) {
        if (!over_)
            view_.ShowProgress(sender->PercentDone());
    });
    // The next file starts from the message loop, never from inside the finished run's event.
    sink.SetOnDone([this](TAuOutput*) { messages_.Post(kMsgNextFile, 0, 0); });
    messages_.Post(kMsgNextFile, 0, 0);
}

void ConvertBatch::Stop()
{
    if (std::exchange(over_, true) || !chain_)
        return;
    TAuFileOut& sink = chain_->Sink();
    sink.SetOnProgress(nullptr);
    sink.SetOnDone(nullptr);
    sink.StopOutput(false);
}

void ConvertBatch::NextFile()
{
    if (over_)
        return;
    if (std::exchange(running_, false))
        EndOfFile();
    if (completed_ == job_.inputs.size()) {
        over_ = true;
        if (!failures_.empty())
            view_.ShowFailures(failures_);
        view_.Close();
        return;
    }
    const std::string& input = job_.inputs[completed_];
    output_ = OutputOf(input);
    view_.ShowFile(input, output_, static_cast<int32_t>(completed_));
    ++completed_;
    std::string error = chain_->Prepare(input, output_);
    if (error.empty()) {
        try {
            chain_->Sink().Start();
            running_ = true;
            return;
        } catch (const std::exception& failure) {
            error = failure.what();
        }
    }
    Fail(input, error);
    messages_.Post(kMsgNextFile, 0, 0);
}

void ConvertBatch::EndOfFile()
{
    const std::string& input = job_.inputs[completed_ - 1];
    const std::string& error = chain_->Sink().LastError();
    if (!error.empty()) {
        Fail(input, error);
        return;
    }
    view_.ShowConverted(output_);
    if (const std::optional<EarlyEnd> early = chain_->EarlyEndOfInput())
        view_.ShowEndedEarly(input, *early);
}

std::string ConvertBatch::OutputOf(const std::string& input)
{
    const auto pathOf = [this](const std::string& name) {
        return OutputFilePath(job_.outputFolder, name, job_.format);
    };
    const std::string name =
        FirstFreeName(fs::path(input).stem().string(),
                      [&](const std::string& used) { return written_.contains(pathOf(used)); });
    return *written_.insert(pathOf(name)).first;
}

void ConvertBatch::Fail(const std::string& input, const std::string& reason)
{
    failures_.push_back({input, reason});
    if (!over_)
        view_.ShowFailed(failures_.back());
}

} // namespace corvath
