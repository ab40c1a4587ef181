#include "app/rip_batch.h"

#include "app/output_naming.h"
#include "app/rip_helpers.h"
#include "cd/id3_genre_byte.h"
#include "cd/id3_tag.h"
#include "cd/process_info.h"
#include "cd/track_wave_path.h"

#include <filesystem>
#include <set>

namespace corvath {

namespace {

namespace fs = std::filesystem;

constexpr int kSettleMs = 300; // lets the encoder's file go before it is tagged or deleted

// The tracks' titles, a title already taken by an earlier track getting " (2)", " (3)" ...
std::vector<std::string> UniqueFileNames(const std::vector<RipEntry>& tracks)
{
    std::set<std::string> taken;
    std::vector<std::string> names;
    for (const RipEntry& track : tracks) {
        std::string name = FirstFreeName(
            track.title, [&](const std::string& used) { return taken.contains(used); });
        taken.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

std::string ExtractionFailure(const TProcessInfo& info, const std::string& wav)
{
    if (!info.Failure.empty())
        return info.Failure;
    if (info.Status == kStatusReadFailed)
        return "Error while reading CD information!";
    return wav + " is not a valid file name. Please rename the Title in the CD tracks list.";
}

} // namespace

RipBatch::RipBatch(RipView& view, RipJob job, const TOptionsSetting& settings)
    : view_(view), job_(std::move(job)), settings_(settings),
      fileNames_(UniqueFileNames(job_.tracks)),
      messages_([this](uint32_t message, intptr_t, intptr_t lParam, MessagePayload* payload) {
          Handle(message, lParam, payload);
      })
{
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
    view_.ShowHint(kRipExtracting);
    view_.ShowBarCaption(kRipInitializing);
    view_.ShowCompleted(0);
    if (job_.format != OutputFormat::WAV) {
        try {
            encoder_.emplace(job_.format, false, SampleFormatChange{}, settings_, job_.disc);
        } catch (const std::exception& failure) {
            for (std::size_t i = 0; i < job_.tracks.size(); ++i)
                Fail(i, failure.what());
            End(false);
            return;
        }
        TAuFileOut& sink = encoder_->Sink();
        sink.SetOnProgress([this](TAuOutput* sender) {
            messages_.Post(kMsgRipProgress, 0, 0,
                           std::make_unique<TProcessInfo>(sender->PercentDone(), 0));
        });
        sink.SetOnDone([this](TAuOutput*) { PostFinished(kStatusSuccess); });
    }
    StartTrack(0);
}

void RipBatch::Stop()
{
    over_ = true;
    if (worker_) {
        worker_->SetStopFlag();
        worker_.reset();
    }
}

void RipBatch::StartTrack(std::size_t index)
{
    worker_.reset();
    const TCommonOptions& common = settings_.CommonOptions;
    worker_ = std::make_unique<TCDRipThread>(
        job_.tracks[index].number, fileNames_[index], job_.cdHandle, messages_,
        RipWaveOptions{common.OutputFolder, common.IsNormalize, common.NormalizePercent,
                       settings_.RipOptions.ReadOffset, settings_.RipOptions.SecureReads});
    worker_->Start();
}

void RipBatch::ShowNextTrack(const char* barCaption)
{
    view_.ShowCurrentTrack(job_.tracks[completed_]);
    view_.ShowHint(kRipExtracting);
    view_.ShowBarCaption(barCaption);
    view_.ShowCompleted(static_cast<int32_t>(completed_));
    StartTrack(completed_);
}

void RipBatch::Handle(uint32_t message, intptr_t lParam, const MessagePayload* payload)
{
    if (over_)
        return;
    try {
        if (message == kMsgRipDriveFailure) {
            view_.ShowDriveFailure(lParam == 1 ? "CD extract failed! Please try again."
                                               : "Error while reading TOC information!");
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
        case kProgressFinished:
            view_.Pause(kSettleMs, [this, status = info->Status] {
                if (!over_)
                    Finished(status);
            });
            break;
        default:
            if (info->Progress >= 1)
                view_.ShowBarPosition(info->Progress);
        }
    } catch (const std::exception&) {
        // A step that throws must not take the window down; the rip waits for Stop.
    }
}

void RipBatch::Extracted(const TProcessInfo& info)
{
    const std::size_t index = completed_;
    const int32_t status = info.Status;
    if (status == kStatusSuccess) {
        view_.ShowWritten(WavOf(index));
        if (info.Checksums)
            view_.ShowChecksums(*info.Checksums);
    } else {
        const std::string message = ExtractionFailure(info, WavOf(index));
        view_.ShowError(message);
        Fail(index, message);
    }
    ++completed_;
    if (job_.format == OutputFormat::WAV) {
        if (completed_ == job_.tracks.size())
            End(false);
        else
            ShowNextTrack(kRipInitializing);
    } else if (status != kStatusSuccess) {
        PostFinished(kStatusNothingToEncode);
    } else {
        Encode(index);
    }
}

void RipBatch::Encode(std::size_t index)
{
    view_.ShowHint(kRipEncoding);
    view_.ShowBarCaption(kRipEncoding);
    std::string error = encoder_->Prepare(WavOf(index), TargetOf(index));
    if (error.empty()) {
        try {
            encoder_->Sink().Start();
            return;
        } catch (const std::exception& failure) {
            error = failure.what();
        }
    }
    Fail(index, error);
    PostFinished(kStatusNothingToEncode);
}

void RipBatch::PostFinished(int32_t status)
{
    messages_.Post(kMsgRipProgress, 0, 0,
                   std::make_unique<TProcessInfo>(kProgressFinished, status));
}

void RipBatch::Finished(int32_t status)
{
    const std::size_t index = completed_ - 1;
    const std::string target = TargetOf(index);
    bool encoded = status == kStatusSuccess;
    if (encoded && !encoder_->Sink().LastError().empty()) {
        Fail(index, encoder_->Sink().LastError());
        encoded = false;
    }
    // A name the system refuses is no file; the track has failed with that reason already.
    std::error_code ignored;
    if (encoded) {
        view_.ShowWritten(target);
        // A WAV whose encoding failed stays: it is all the user has of the track.
        const std::string wav = WavOf(index);
        if (!settings_.CommonOptions.IsKeepWav && fs::exists(wav, ignored) && !IsFileInUse(wav))
            fs::remove(wav, ignored);
    }
    // Only a file that is there gets a tag; after a failure that is the track's older file.
    if (job_.format == OutputFormat::MP3 && fs::exists(target, ignored))
        TagMp3(index, target);
    if (completed_ == job_.tracks.size())
        End(true);
    else
        ShowNextTrack(kRipExtracting);
}

void RipBatch::TagMp3(std::size_t index, const std::string& mp3)
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
    if (tag.Write(mp3) != 0)
        Fail(index, "cannot write the ID3 tag of " + mp3);
}

void RipBatch::End(bool pauseFirst)
{
    Stop();
    const auto close = [this] {
        if (!failures_.empty())
            view_.ShowFailures(failures_);
        view_.Close();
    };
    if (pauseFirst)
        view_.Pause(kSettleMs, close);
    else
        close();
}

// A track is reported once, with the first reason it failed for.
void RipBatch::Fail(std::size_t index, const std::string& reason)
{
    if (lastFailed_ == index)
        return;
    lastFailed_ = index;
    failures_.push_back({job_.tracks[index], reason});
}

std::string RipBatch::WavOf(std::size_t index) const
{
    return TrackWavePath(settings_.CommonOptions.OutputFolder, fileNames_[index]);
}

std::string RipBatch::TargetOf(std::size_t index) const
{
    return OutputFilePath(settings_.CommonOptions.OutputFolder, fileNames_[index], job_.format);
}

} // namespace corvath
