#include "platform/acm/acm.h"

#include "platform/acm/body_decoder.h"
#include "platform/acm/ffmpeg_library.h"

#include <algorithm>
#include <array>
#include <new>

namespace corvath {

namespace {

/// How a coding's body splits into the packets its decoder takes.
enum class Packets {
    kParsed,   ///< frames of their own length, found by FFmpeg's parser
    kOneBlock, ///< every block is one frame
    kBlocks,   ///< a block is one sample frame, so many go into a packet
};

struct WaveCodec {
    uint16_t formatTag;
    AVCodecID codec;
    Packets packets;
};

constexpr std::array kWaveCodecs{
    WaveCodec{0x0002, AV_CODEC_ID_ADPCM_MS, Packets::kOneBlock},
    WaveCodec{0x0006, AV_CODEC_ID_PCM_ALAW, Packets::kBlocks},
    WaveCodec{0x0007, AV_CODEC_ID_PCM_MULAW, Packets::kBlocks},
    WaveCodec{0x0011, AV_CODEC_ID_ADPCM_IMA_WAV, Packets::kOneBlock},
    WaveCodec{0x0031, AV_CODEC_ID_GSM_MS, Packets::kParsed},
    WaveCodec{0x0055, AV_CODEC_ID_MP3, Packets::kParsed},
};

constexpr std::size_t kSampleBlocksPacketBytes = 4096;

const WaveCodec* CodecFor(uint16_t formatTag)
{
    const auto* found =
        std::find_if(kWaveCodecs.begin(), kWaveCodecs.end(),
                     [formatTag](const WaveCodec& c) { return c.formatTag == formatTag; });
    return found == kWaveCodecs.end() ? nullptr : found;
}

std::size_t PacketBytes(const WaveCodec& codec, std::size_t blockAlign)
{
    if (codec.packets == Packets::kParsed)
        return 0;
    if (codec.packets == Packets::kOneBlock)
        return blockAlign;
    return blockAlign * std::max<std::size_t>(1, kSampleBlocksPacketBytes / blockAlign);
}

/// The channel counts FFmpeg has standard layouts for, so the resampler can mix them.
constexpr uint16_t kMaxChannels = 8;

/// Above any rate audio is recorded at; a damaged header claiming more would have the whole
/// file resampled up to it, in memory.
constexpr uint32_t kMaxSampleRate = 768000;

/// Whether 16-bit PCM of this shape is a plausible target.
bool PcmShapeFits(uint32_t sampleRate, uint16_t channels)
{
    return sampleRate > 0 && sampleRate <= kMaxSampleRate && channels > 0 &&
           channels <= kMaxChannels;
}

bool Decodable(const WaveFormatRecord& source)
{
    const WaveCodec* codec = CodecFor(source.FormatTag());
    return codec && FfmpegAvailable() && Ffmpeg().avcodec_find_decoder(codec->codec) &&
           PcmShapeFits(source.SampleRate(), source.Channels()) &&
           (codec->packets == Packets::kParsed || source.BlockAlign() > 0);
}

bool IsS16Pcm(const WaveFormatRecord& format)
{
    return format.FormatTag() == WaveFormatRecord::kPcmTag && format.BitsPerSample() == 16 &&
           PcmShapeFits(format.SampleRate(), format.Channels()) &&
           format.BlockAlign() == format.Channels() * 2;
}

BodyCoding CodingOf(const WaveFormatRecord& source)
{
    const WaveCodec& codec = *CodecFor(source.FormatTag());
    return {codec.codec,
            source.Channels(),
            static_cast<int>(source.SampleRate()),
            source.BlockAlign(),
            PacketBytes(codec, source.BlockAlign()),
            source.BitsPerSample(),
            source.Extra()};
}

uint32_t Decode(const WaveFormatRecord& source, const WaveFormatRecord& destination,
                std::span<const uint8_t> body, std::vector<uint8_t>& pcm)
{
    BodyDecoder decoder(static_cast<int>(destination.SampleRate()), destination.Channels());
    if (const int result = decoder.Open(CodingOf(source)); result < 0)
        return result == AVERROR(ENOMEM) ? kAcmNoMemory : kAcmNotPossible;
    if (const int result = decoder.Decode(body, pcm); result < 0)
        return result == AVERROR(ENOMEM) ? kAcmNoMemory : kAcmError;
    return kAcmOk;
}

} // namespace

uint32_t AcmFormatSuggest(const WaveFormatRecord& source, WaveFormatRecord& destination)
{
    if (destination.FormatTag() != WaveFormatRecord::kPcmTag || !Decodable(source))
        return kAcmNotPossible;
    const uint16_t blockAlign = static_cast<uint16_t>(source.Channels() * 2);
    destination.Clear();
    destination.SetFormatTag(WaveFormatRecord::kPcmTag);
    destination.SetChannels(source.Channels());
    destination.SetSampleRate(source.SampleRate());
    destination.SetAvgBytesPerSec(source.SampleRate() * blockAlign);
    destination.SetBlockAlign(blockAlign);
    destination.SetBitsPerSample(16);
    return kAcmOk;
}

uint32_t AcmConvert(const WaveFormatRecord& source, const WaveFormatRecord& destination,
                    std::span<const uint8_t> body, std::vector<uint8_t>& pcm)
{
    pcm.clear();
    if (!Decodable(source) || !IsS16Pcm(destination))
        return kAcmNotPossible;
    uint32_t result = kAcmOk;
    try {
        result = Decode(source, destination, body, pcm);
    } catch (const std::bad_alloc&) {
        result = kAcmNoMemory;
    }
    if (result != kAcmOk)
        pcm.clear();
    return result;
}

} // namespace corvath
