#include "codecs/mp3/mp3_out.h"

#include "audio/model/au_exception.h"
#include "platform/bytes/little_endian.h"

#include <algorithm>
#include <array>
#include <bit>
#include <stdexcept>
#include <string>
#include <utility>

namespace corvath {

namespace {

static_assert(std::endian::native == std::endian::little,
              "stereo blocks go to the library as they are");

constexpr std::array<int, br320 + 1> kBitRateKbps = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                                                     96, 112, 128, 144, 160, 192, 224, 256, 320};
constexpr std::array<int, sr48kHz + 1> kSampleRateHz = {0, 32000, 44100, 48000};

// The library's worst case for 8192 samples per channel: 1.25 x 8192 + 7200 bytes.
constexpr int kFrameBufferBytes = 17440;
constexpr uint64_t kLibrarySamplesPerStep = 8192;
constexpr uint32_t kStepBytes = 16384;

int OutputSampleRate(uint32_t inputRate, TMP3SampleRate choice)
{
    return inputRate < 41000 ? 32000 : kSampleRateHz[choice];
}

} // namespace

TMP3Out::TMP3Out(TComponent* owner) : TAuTaggedFileOut(owner) {}

void TMP3Out::SetBitRate(TMP3BitRate rate)
{
    if (rate <= br320)
        SetWhileIdle(bitRate_, rate);
}

void TMP3Out::SetQuality(TMP3Quality quality)
{
    if (quality <= ql9)
        SetWhileIdle(quality_, quality);
}

void TMP3Out::SetSampleRate(TMP3SampleRate rate)
{
    if (rate <= sr48kHz)
        SetWhileIdle(sampleRate_, rate);
}

void TMP3Out::SetMode(TMP3Mode mode)
{
    if (mode <= MONO)
        SetWhileIdle(mode_, mode);
}

void TMP3Out::SetCRC(bool on)
{
    SetWhileIdle(crc_, on);
}
void TMP3Out::SetCopyright(bool on)
{
    SetWhileIdle(copyright_, on);
}
void TMP3Out::SetOriginal(bool on)
{
    SetWhileIdle(original_, on);
}
void TMP3Out::SetWriteVBRHeader(bool on)
{
    SetWhileIdle(writeVBRHeader_, on);
}
void TMP3Out::SetEnableVBR(bool on)
{
    SetWhileIdle(enableVBR_, on);
}

void TMP3Out::SetVBRQuality(TMP3Quality quality)
{
    if (quality <= ql9)
        SetWhileIdle(vbrQuality_, quality);
}

void TMP3Out::SetVBRMinBitrate(int32_t kbps)
{
    if (!IsBusy())
        vbrMinBitrate_ = kbps;
}
void TMP3Out::SetVBRMaxBitrate(int32_t kbps)
{
    if (!IsBusy())
        vbrMaxBitrate_ = kbps;
}

void TMP3Out::StartFile(TAuInput& input)
{
    startPosition_ = Stream()->IsSeekable() ? Stream()->Position() : 0;
    encodedAudio_ = false;
    OpenEncoder(input);
}

void TMP3Out::CheckInput(TAuInput& input)
{
    const uint32_t channels = input.GetChannels();
    const uint32_t bits = input.GetBitsPerSample();
    if (channels == 0 || bits == 0 || input.GetSampleRate() == 0)
        throw EAuException("The input holds no sound that an MP3 file can take.");
    if (bits != 16)
        throw EAuException("The MP3 encoder takes 16-bit sound only.");
    if (channels > 2)
        throw EAuException("The MP3 encoder takes mono or stereo sound only.");
}

void TMP3Out::OpenEncoder(TAuInput& input)
{
    const LameApi& lame = LameLibrary().Functions();
    encoder_.reset(lame.lame_init());
    if (!encoder_)
        throw std::runtime_error("LAME init failed");
    lame_global_flags* handle = encoder_.get();
    const uint32_t channels = input.GetChannels();
    const uint32_t inputRate = input.GetSampleRate();
    const uint32_t frameBytes = 2 * channels;
    if (input.Size() > 0)
        lame.lame_set_num_samples(handle, static_cast<uint32_t>(input.Size() / frameBytes));
    lame.lame_set_in_samplerate(handle, static_cast<int>(inputRate));
    // Mono is handed over as two equal channels.
    lame.lame_set_num_channels(handle, 2);
    const int outputRate = OutputSampleRate(inputRate, sampleRate_);
    lame.lame_set_out_samplerate(handle, outputRate);
    lame.lame_set_mode(handle, static_cast<MPEG_mode>(channels == 1 ? MONO : mode_));
    lame.lame_set_copyright(handle, copyright_ ? 1 : 0);
    lame.lame_set_original(handle, original_ ? 1 : 0);
    lame.lame_set_error_protection(handle, crc_ ? 1 : 0);
    if (!enableVBR_) {
        lame.lame_set_brate(handle, kBitRateKbps[bitRate_]);
        lame.lame_set_quality(handle, quality_);
    } else {
        if (writeVBRHeader_)
            lame.lame_set_bWriteVbrTag(handle, 1);
        lame.lame_set_VBR(handle, vbr_rh);
        lame.lame_set_VBR_q(handle, vbrQuality_);
        int32_t low = vbrMinBitrate_;
        int32_t high = vbrMaxBitrate_;
        if (high < low) {
            std::swap(low, high);
            vbrMinBitrate_ = low;
            vbrMaxBitrate_ = high;
        }
        lame.lame_set_VBR_min_bitrate_kbps(handle, low);
        lame.lame_set_VBR_max_bitrate_kbps(handle, high);
    }
    if (lame.lame_init_params(handle) < 0)
        throw std::runtime_error("LAME init failed");

    // The buffer holds what 8192 samples per channel can give after resampling; when the
    // library raises the rate, steps take fewer input frames so that it never runs short
    // (running short breaks the library's state for good).
    const uint64_t resampledRate = std::max<uint64_t>(inputRate, static_cast<uint64_t>(outputRate));
    const uint64_t frames = std::clamp<uint64_t>(kLibrarySamplesPerStep * inputRate / resampledRate,
                                                 1, kStepBytes / frameBytes);
    stepBytes_ = static_cast<uint32_t>(frames * frameBytes);
    frameBuffer_.assign(kFrameBufferBytes, 0);
    stereo_.assign(channels == 1 ? 2 * frames : 0, 0);
}

bool TMP3Out::WriteStep(bool abort)
{
    if (!OutputEnabled())
        return true;
    if (abort)
        return false;
    const AudioChunk chunk = Input()->ReadData(stepBytes_);
    if (chunk.data == nullptr || chunk.bytes == 0)
        return false;
    const int bytes = EncodeChunk(chunk);
    if (bytes < 0)
        throw EAuException("MP3 encoding failed (LAME error " + std::to_string(bytes) + ").");
    WriteFrames(bytes);
    encodedAudio_ = true;
    return true;
}

int TMP3Out::EncodeChunk(const AudioChunk& chunk)
{
    const LameApi& lame = LameLibrary().Functions();
    if (stereo_.empty()) {
        return lame.lame_encode_buffer_interleaved(
            encoder_.get(), reinterpret_cast<short*>(chunk.data), static_cast<int>(chunk.bytes / 4),
            frameBuffer_.data(), kFrameBufferBytes);
    }
    const uint32_t samples = chunk.bytes / 2;
    for (uint32_t i = 0; i < samples; ++i) {
        const auto sample = ReadLeInt16(chunk.data + 2 * i);
        stereo_[2 * i] = sample;
        stereo_[2 * i + 1] = sample;
    }
    return lame.lame_encode_buffer_interleaved(encoder_.get(), stereo_.data(),
                                               static_cast<int>(samples), frameBuffer_.data(),
                                               kFrameBufferBytes);
}

void TMP3Out::WriteFrames(int bytes)
{
    if (bytes > 0)
        Stream()->Write(frameBuffer_.data(), static_cast<std::size_t>(bytes));
}

void TMP3Out::EndFile()
{
    const LameApi& lame = LameLibrary().Functions();
    // Initialising the tag and setting none keeps the library from writing one of its own.
    lame.id3tag_init(encoder_.get());
    const int bytes =
        lame.lame_encode_flush(encoder_.get(), frameBuffer_.data(), kFrameBufferBytes);
    if (bytes < 0)
        throw EAuException("MP3 encoding failed at the end (LAME error " + std::to_string(bytes) +
                           ").");
    WriteFrames(bytes);
    CompleteHeaderFrame();
    ReleaseEncoder();
}

void TMP3Out::CompleteHeaderFrame()
{
    // Left as it is, the placeholder is a frame of zeros: no frame count for VBR players and a
    // wrong length for all. A header announcing no sound at all is one that readers reject.
    if (!encodedAudio_)
        return;
    const std::size_t bytes = LameLibrary().Functions().lame_get_lametag_frame(
        encoder_.get(), frameBuffer_.data(), frameBuffer_.size());
    if (bytes == 0 || bytes > frameBuffer_.size() || !Stream()->IsSeekable())
        return;
    const int64_t end = Stream()->Position();
    Stream()->SetPosition(startPosition_);
    Stream()->Write(frameBuffer_.data(), bytes);
    Stream()->SetPosition(end);
}

void TMP3Out::ReleaseEncoder()
{
    encoder_.reset();
    frameBuffer_ = {};
    stereo_ = {};
}

void TMP3Out::AbortOutput()
{
    ReleaseEncoder();
    TAuTaggedFileOut::AbortOutput();
}

} // namespace corvath
