#include "codecs/opus/opus_out.h"

#include "audio/model/au_exception.h"
#include "codecs/pcm_to_float.h"
#include "platform/text/base64.h"

#include <algorithm>
#include <array>
#include <opus_defines.h>
#include <random>
#include <span>
#include <string>
#include <utility>

namespace corvath {

namespace {

opus_int32 RandomSerial()
{
    static thread_local std::mt19937 numbers{std::random_device{}()};
    return static_cast<opus_int32>(numbers());
}

constexpr int32_t kMinBitrate = 6;
constexpr int32_t kMaxBitrate = 512;
constexpr int32_t kMaxComplexity = 10;
constexpr uint32_t kMaxChannels = 8;
// About a tenth of a second at the CD's rate: a stop is served promptly, and the calls per step
// cost nothing beside the encoding.
constexpr uint32_t kStepFrames = 4096;

// The place in the stream of each input channel, by channel count. The sources deliver WAV's
// order (front left, front right, centre, LFE, back, side); mapping family 1 wants front left,
// centre, front right, then the surround pairs, LFE last. Without this the LFE channel would be
// coded as a full-range one and a full-range one as LFE.
constexpr std::array<std::array<uint8_t, kMaxChannels>, kMaxChannels + 1> kStreamPlace = {{
    {},
    {0},
    {0, 1},
    {0, 2, 1},
    {0, 1, 2, 3},
    {0, 2, 1, 3, 4},
    {0, 2, 1, 5, 3, 4},
    {0, 2, 1, 6, 5, 3, 4},
    {0, 2, 1, 7, 5, 6, 3, 4},
}};

} // namespace

TOpusOut::TOpusOut(TComponent* owner) : TAuFileOut(owner)
{
    RequireLoaded(OpusEncLibrary());
}

void TOpusOut::SetBitrate(int32_t kbps)
{
    SetWhileIdle(bitrate_, std::clamp(kbps, kMinBitrate, kMaxBitrate));
}

void TOpusOut::SetComplexity(int32_t complexity)
{
    if (complexity >= 0 && complexity <= kMaxComplexity)
        SetWhileIdle(complexity_, complexity);
}

void TOpusOut::SetTags(const TVorbisTags& tags)
{
    if (!IsBusy())
        tags_.Assign(tags);
}

void TOpusOut::SetCoverPicture(std::optional<CoverPicture> picture)
{
    if (!IsBusy())
        cover_ = std::move(picture);
}

void TOpusOut::CheckInput(TAuInput& input)
{
    bitsPerSample_ = input.GetBitsPerSample();
    channels_ = input.GetChannels();
    sampleRate_ = input.GetSampleRate();
    if (bitsPerSample_ != 8 && bitsPerSample_ != 16 && bitsPerSample_ != 24)
        throw EAuException("Cannot encode " + std::to_string(bitsPerSample_) +
                           " bit sound into Opus.");
    if (channels_ == 0 || channels_ > kMaxChannels)
        throw EAuException("Cannot encode " + std::to_string(channels_) + " channels into Opus.");
    if (sampleRate_ == 0)
        throw EAuException("Cannot encode sound without a sample rate into Opus.");
}

void TOpusOut::StartFile(TAuInput& /*input*/)
{
    static constexpr OpusEncCallbacks kCallbacks{WriteCallback, CloseCallback};
    const OpusEncApi& ope = OpusEncLibrary().Functions();
    callbackFailure_ = nullptr;
    int error = OPE_OK;
    // The encoder keeps a copy of the comments.
    encoder_.reset(ope.encoderCreateCallbacks(
        &kCallbacks, this, MakeComments().get(), static_cast<opus_int32>(sampleRate_),
        static_cast<int>(channels_), channels_ <= 2 ? 0 : 1, &error));
    Check(error);
    Check(ope.encoderCtl(encoder_.get(), OPUS_SET_BITRATE(bitrate_ * 1000)));
    Check(ope.encoderCtl(encoder_.get(), OPUS_SET_COMPLEXITY(complexity_)));
    // libopusenc draws its serial number from an unseeded rand(): every process's first file
    // would carry the same one, and streams chained or mixed in one Ogg file must differ.
    Check(ope.encoderCtl(encoder_.get(), OPE_SET_SERIALNO(RandomSerial())));
    pcm_.resize(std::size_t{kStepFrames} * channels_ * (bitsPerSample_ / 8));
    samples_.resize(std::size_t{kStepFrames} * channels_);
    // An empty write puts the headers out now and sets where the stream ends, which libopusenc
    // leaves unset until the first write: a drain before any sound (a stop before the first
    // step) would read garbage into the last page.
    Check(ope.encoderWriteFloat(encoder_.get(), samples_.data(), 0));
}

OpusCommentsPtr TOpusOut::MakeComments() const
{
    const OpusEncApi& ope = OpusEncLibrary().Functions();
    OpusCommentsPtr comments(ope.commentsCreate());
    if (!comments)
        Check(OPE_ALLOC_FAIL);
    for (const std::string& line : tags_.CommentLines())
        Check(ope.commentsAddString(comments.get(), line.c_str()));
    // Built as the Vorbis output builds it, so that both formats carry the same picture bytes.
    if (cover_) {
        const std::string block = PictureBlockBody(*cover_);
        const std::string line =
            "METADATA_BLOCK_PICTURE=" +
            Base64(std::span(reinterpret_cast<const uint8_t*>(block.data()), block.size()));
        Check(ope.commentsAddString(comments.get(), line.c_str()));
    }
    return comments;
}

bool TOpusOut::WriteStep(bool abort)
{
    if (!OutputEnabled())
        return true;
    if (abort)
        return false;
    bool atEnd = false;
    const uint32_t bytes =
        Input()->ReadFull(pcm_.data(), static_cast<uint32_t>(pcm_.size()), atEnd);
    const uint32_t channels = channels_;
    const uint32_t frames = bytes / (bitsPerSample_ / 8 * channels);
    const uint8_t* place = kStreamPlace[channels].data();
    float* samples = samples_.data();
    PcmToFloat(pcm_.data(), frames, channels, bitsPerSample_,
               [=](uint32_t frame, uint32_t channel, float value) {
                   samples[std::size_t{frame} * channels + place[channel]] = value;
               });
    Check(OpusEncLibrary().Functions().encoderWriteFloat(encoder_.get(), samples,
                                                         static_cast<int>(frames)));
    return !atEnd;
}

void TOpusOut::EndFile()
{
    // Encodes what the library still holds and ends the stream, after a stop as well.
    const int result = OpusEncLibrary().Functions().encoderDrain(encoder_.get());
    encoder_.reset();
    Check(result);
}

void TOpusOut::AbortOutput()
{
    // The encoder goes before the stream it writes to.
    encoder_.reset();
    TAuFileOut::AbortOutput();
}

void TOpusOut::Check(int result) const
{
    if (result == OPE_OK)
        return;
    // The callback's own failure (a full disk) says more than the library's "write failed".
    if (callbackFailure_)
        std::rethrow_exception(callbackFailure_);
    throw EAuException(std::string("Opus encoding failed: ") +
                       OpusEncLibrary().Functions().strerror(result) + ".");
}

int TOpusOut::WriteCallback(void* client, const unsigned char* data, opus_int32 bytes) noexcept
{
    auto& self = *static_cast<TOpusOut*>(client);
    try {
        self.Stream()->Write(data, static_cast<std::size_t>(bytes));
        return 0;
    } catch (...) {
        // The library gives up on the stream after a failed write: the first failure is the one.
        self.callbackFailure_ = std::current_exception();
        return 1;
    }
}

int TOpusOut::CloseCallback(void* /*client*/) noexcept
{
    // The file belongs to the base class, which closes it after EndFile.
    return 0;
}

} // namespace corvath
