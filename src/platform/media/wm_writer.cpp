#include "platform/media/wm_writer.h"

#include "platform/media/wm_attributes.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace corvath {

namespace {

constexpr int64_t kTimeUnitsPerSecond = 10'000'000;
constexpr uint16_t kMaxInputChannels = 8;

bool IsWritablePcm(const WmMediaType& type)
{
    const WaveFormatRecord& format = type.waveFormat;
    const uint16_t bits = format.BitsPerSample();
    const uint16_t channels = format.Channels();
    const uint32_t blockAlign = uint32_t{channels} * bits / 8;
    return type.subtype == WmAudioSubtype::kPcm &&
           format.FormatTag() == WaveFormatRecord::kPcmTag &&
           (bits == 8 || bits == 16 || bits == 24) && channels >= 1 &&
           channels <= kMaxInputChannels && format.SampleRate() > 0 &&
           format.BlockAlign() == blockAlign &&
           format.AvgBytesPerSec() == blockAlign * format.SampleRate();
}

} // namespace

WmWriter::WmWriter() = default;
WmWriter::~WmWriter() = default;

void WmWriter::AddSink(std::unique_ptr<WmWriterFileSink> sink)
{
    sink_ = std::move(sink);
}

bool WmWriter::SetProfile(const WmProfile& profile)
{
    const auto streams = profile.Streams();
    if (profile.Version() != kWmProfileVersion9 || streams.size() != 1 ||
        streams[0].MediaType().subtype != WmAudioSubtype::kWmaV2)
        return Fail("The writer takes a profile of one WMA stream only.");
    stream_ = streams[0];
    const WaveFormatRecord& coded = stream_->MediaType().waveFormat;
    input_ = WmMediaType{};
    input_.waveFormat.SetFormatTag(WaveFormatRecord::kPcmTag);
    input_.waveFormat.SetChannels(coded.Channels());
    input_.waveFormat.SetSampleRate(coded.SampleRate());
    input_.waveFormat.SetBitsPerSample(16);
    input_.waveFormat.SetBlockAlign(static_cast<uint16_t>(2 * coded.Channels()));
    input_.waveFormat.SetAvgBytesPerSec(2 * coded.Channels() * coded.SampleRate());
    inputSet_ = false;
    return true;
}

WmMediaType WmWriter::InputProps(uint32_t /*input*/) const
{
    return input_;
}

bool WmWriter::SetInputProps(uint32_t input, const WmMediaType& type)
{
    if (input >= InputCount())
        return Fail("The writer has no such input.");
    if (!IsWritablePcm(type))
        return Fail("The WMA writer takes 8-, 16- or 24-bit PCM in 1 to 8 channels only.");
    input_ = type;
    inputSet_ = true;
    return true;
}

bool WmWriter::SetAttribute(uint16_t stream, std::string_view name, std::string_view value)
{
    const auto attributes = WmAttributes();
    const auto attribute = std::ranges::find(attributes, name, &WmAttribute::name);
    if (stream != 0 || attribute == attributes.end())
        return Fail("The writer knows no attribute " + std::string(name) + ".");
    metadata_.emplace_back(attribute->metadataKeys.front(), value);
    return true;
}

bool WmWriter::BeginWriting()
{
    if (!sink_ || !sink_->IsOpen() || !stream_ || !inputSet_)
        return Fail("The writer has no file, profile or input format to write.");
    const WaveFormatRecord& in = input_.waveFormat;
    const WaveFormatRecord& out = stream_->MediaType().waveFormat;
    try {
        encoder_ = std::make_unique<AsfWmaEncoder>(
            sink_->Output(), sink_->FileName(),
            PcmShape{in.Channels(), in.SampleRate(), in.BitsPerSample()},
            WmaTarget{stream_->Bitrate(), out.SampleRate(), out.Channels()}, metadata_);
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
    bytesWritten_ = 0;
    samplesWritten_ = 0;
    return true;
}

bool WmWriter::WriteSample(uint32_t input, int64_t time, uint32_t /*flags*/, const WmSample& sample)
{
    if (!encoder_ || input >= InputCount())
        return Fail("The writer is not writing that input.");
    const int64_t bytes = bytesWritten_ + static_cast<int64_t>(sample.Data().size());
    if (!TimeMatchesBytes(time, bytes, samplesWritten_ + 1))
        return Fail("A sample's time does not match the sound written.");
    try {
        encoder_->Write(sample.Data());
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
    bytesWritten_ = bytes;
    ++samplesWritten_;
    return true;
}

bool WmWriter::TimeMatchesBytes(int64_t time, int64_t bytes, int64_t samples) const
{
    // A caller adding up rounded sample lengths is off by at most half a unit per sample.
    const auto bytesTime = std::llround(static_cast<double>(bytes) * kTimeUnitsPerSecond /
                                        input_.waveFormat.AvgBytesPerSec());
    const int64_t tolerance = samples / 2 + 1;
    return time >= bytesTime - tolerance && time <= bytesTime + tolerance;
}

bool WmWriter::EndWriting()
{
    if (!encoder_)
        return Fail("The writer is not writing.");
    std::string failure;
    try {
        encoder_->Finish();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    encoder_.reset();
    if (!sink_->Close() && failure.empty())
        failure = "Cannot write file " + sink_->FileName() + ": " + sink_->Failure();
    return failure.empty() || Fail(std::move(failure));
}

bool WmWriter::Fail(std::string text)
{
    errorText_ = std::move(text);
    return false;
}

} // namespace corvath
