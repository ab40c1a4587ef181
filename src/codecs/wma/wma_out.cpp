#include "codecs/wma/wma_out.h"

#include "audio/model/au_exception.h"
#include "codecs/wma/wma_format_search.h"
#include "platform/acm/ffmpeg_library.h"
#include "platform/media/wm_codec_info.h"
#include "platform/media/wm_profile.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

namespace corvath {

namespace {

constexpr uint16_t kStreamNumber = 1;
constexpr const char* kStreamName = "NAAudioStream";
constexpr const char* kConnectionName = "NAAudioConnection";
constexpr double kSecondsPerTimeUnit = 0.0000001;
// 80 ms of sound a step: the frames per second x 8 / 100, at least one frame, so that a very low
// rate still moves on.
std::size_t StepBytes(TAuInput& input)
{
    const std::size_t frameBytes = std::size_t{input.GetChannels()} * input.GetBitsPerSample() / 8;
    const std::size_t frames =
        std::max<std::size_t>(1, std::size_t{8} * input.GetSampleRate() / 100);
    return frameBytes * frames;
}

} // namespace

TWMAOut::TWMAOut(TComponent* owner) : TAuTaggedFileOut(owner, TFileWriter::kByName)
{
    const WmCodecInfo codecs;
    for (uint32_t codec = 0; codec < codecs.CodecInfoCount(); ++codec)
        codecs_.push_back(codecs.CodecName(codec));
}

TWMAOut::~TWMAOut() = default;

void TWMAOut::SetDesiredBitrate(uint32_t bitrate)
{
    SetWhileIdle(desiredBitrate_, bitrate);
}

void TWMAOut::SetLossless(bool lossless)
{
    SetWhileIdle(lossless_, lossless);
}

void TWMAOut::SetVBR(bool vbr)
{
    SetWhileIdle(vbr_, vbr);
}

void TWMAOut::SetVBRQuality(uint8_t quality)
{
    SetWhileIdle(vbrQuality_, quality);
}

void TWMAOut::SetCodecIndex(int32_t index)
{
    SetWhileIdle(codecIndex_, index);
}

void TWMAOut::SetFormatIndex(int32_t index)
{
    SetWhileIdle(formatIndex_, index);
}

const std::vector<std::string>& TWMAOut::Formats(int32_t codecIndex)
{
    formats_.clear();
    WmCodecInfo codecs;
    const auto codec = static_cast<uint32_t>(codecIndex);
    if (codecIndex < 0 || codec >= codecs_.size())
        return formats_;
    if ((vbr_ || lossless_) &&
        !codecs.SetCodecEnumerationSetting(codec, WmCodecInfo::kVbrEnabled, true))
        return formats_;
    for (uint32_t format = 0; format < codecs.CodecFormatCount(codec); ++format)
        formats_.push_back(codecs.CodecFormatDesc(codec, format));
    return formats_;
}

void TWMAOut::StartFile(TAuInput& input)
{
    if (!FfmpegAvailable())
        throw EAuException(FfmpegLibrary().NotLoadedMessage());
    writer_ = std::make_unique<WmWriter>();
    inputNumber_ = 0;
    averageBytesPerSecond_ = 0;
    if (codecIndex_ >= 0)
        SetProfileByIndex();
    else
        SetProfileByTarget(vbr_ ? vbrQuality_ : desiredBitrate_);
    pcm_.assign(StepBytes(input), 0);
    WriteAttributes();
    // Only a writer that has all it needs opens the file: a refused format keeps the old one.
    OpenFile();
    if (!writer_->BeginWriting())
        throw EAuException(writer_->ErrorText());
    sampleTime_ = 0;
    inputEnded_ = false;
}

void TWMAOut::OpenFile()
{
    auto sink = std::make_unique<WmWriterFileSink>();
    if (!sink->Open(WorkingName()))
        throw EAuException("Cannot create file " + FileName() + ": " + sink->Failure());
    TargetOpened();
    writer_->AddSink(std::move(sink));
}

void TWMAOut::SetProfileByIndex()
{
    WmCodecInfo codecs;
    const auto codec = static_cast<uint32_t>(codecIndex_);
    // A codec or format the list lacks would write nothing: the run fails instead.
    if (codec >= codecs.CodecInfoCount() ||
        ((vbr_ || lossless_) &&
         !codecs.SetCodecEnumerationSetting(codec, WmCodecInfo::kVbrEnabled, true)))
        throw std::runtime_error("Failed to init codec");
    std::optional<WmStreamConfig> stream =
        formatIndex_ < 0 ? std::nullopt
                         : codecs.CodecFormat(codec, static_cast<uint32_t>(formatIndex_));
    if (!stream)
        throw std::runtime_error("Failed to init codec");
    UseStream(std::move(*stream));
}

void TWMAOut::SetProfileByTarget(uint32_t target)
{
    constexpr uint32_t kBitsPerKilobit = 1000;
    if (!vbr_ && target < kBitsPerKilobit)
        target *= kBitsPerKilobit;
    TAuInput& input = *Input();
    WmCodecInfo codecs;
    std::optional<WmStreamConfig> stream =
        FindWmaStreamConfig(codecs, {static_cast<uint16_t>(input.GetChannels()),
                                     static_cast<uint16_t>(input.GetBitsPerSample()),
                                     input.GetSampleRate(), lossless_, vbr_, target});
    if (!stream)
        throw std::runtime_error("Failed to init codec");
    UseStream(std::move(*stream));
}

void TWMAOut::UseStream(WmStreamConfig stream)
{
    WmProfile profile(kWmProfileVersion9);
    stream.SetStreamNumber(kStreamNumber);
    stream.SetStreamName(kStreamName);
    stream.SetConnectionName(kConnectionName);
    if (!profile.AddStream(stream))
        throw std::runtime_error("fff");
    if (!writer_->SetProfile(profile))
        throw EAuException(writer_->ErrorText());
    SetInputFormat();
}

void TWMAOut::SetInputFormat()
{
    // Every input of the writer takes audio in a wave format record: the first one is used.
    if (writer_->InputCount() == 0)
        return;
    TAuInput& input = *Input();
    const auto channels = static_cast<uint16_t>(input.GetChannels());
    const auto bits = static_cast<uint16_t>(input.GetBitsPerSample());
    const uint32_t rate = input.GetSampleRate();
    const auto blockAlign = static_cast<uint16_t>(channels * bits / 8);
    WmMediaType type = writer_->InputProps(0);
    type.waveFormat.SetFormatTag(WaveFormatRecord::kPcmTag);
    type.waveFormat.SetChannels(channels);
    type.waveFormat.SetSampleRate(rate);
    type.waveFormat.SetBitsPerSample(bits);
    type.waveFormat.SetBlockAlign(blockAlign);
    type.waveFormat.SetAvgBytesPerSec(uint32_t{blockAlign} * rate);
    inputNumber_ = 0;
    averageBytesPerSecond_ = type.waveFormat.AvgBytesPerSec();
    if (!writer_->SetInputProps(inputNumber_, type))
        throw EAuException(writer_->ErrorText());
}

void TWMAOut::WriteAttributes()
{
    TId3v2Tags& tags = Id3v2Tags();
    const std::pair<const char*, std::string> attributes[] = {
        {"Author", tags.Artist()},     {"WM/AlbumTitle", tags.Album()}, {"WM/Genre", tags.Genre()},
        {"WM/Year", tags.Year()},      {"WM/Track", tags.Track()},      {"Title", tags.Title()},
        {"Copyright", tags.Comment()},
    };
    for (const auto& [name, value] : attributes) {
        if (!value.empty())
            writer_->SetAttribute(0, name, value);
    }
}

bool TWMAOut::WriteStep(bool abort)
{
    if (!OutputEnabled())
        return true;
    if (abort || inputEnded_)
        return false;
    const uint32_t bytes =
        Input()->ReadFull(pcm_.data(), static_cast<uint32_t>(pcm_.size()), inputEnded_);
    WmSample sample = writer_->AllocateSample(bytes);
    std::copy_n(pcm_.begin(), bytes, sample.Buffer().begin());
    sample.SetLength(bytes);
    sampleTime_ +=
        std::llround(bytes / static_cast<double>(averageBytesPerSecond_) / kSecondsPerTimeUnit);
    if (!writer_->WriteSample(inputNumber_, sampleTime_, 0, sample))
        throw EAuException(writer_->ErrorText());
    return true;
}

void TWMAOut::EndFile()
{
    const bool ended = writer_->EndWriting();
    const std::string failure = writer_->ErrorText();
    ReleaseWriter();
    if (!ended)
        throw EAuException(failure);
}

void TWMAOut::AbortOutput()
{
    ReleaseWriter();
    TAuTaggedFileOut::AbortOutput();
}

void TWMAOut::ReleaseWriter()
{
    writer_.reset();
    pcm_ = std::vector<uint8_t>();
}

} // namespace corvath
