#include "platform/acm/body_decoder.h"

#include "platform/acm/ffmpeg_library.h"

#include <algorithm>
#include <cstring>

namespace corvath {

namespace {

/// How many body bytes go to the parser at a time.
constexpr std::size_t kFeedBytes = 4096;

/// Decoding errors inside the data cost only the packet; these end the conversion.
bool Fatal(int error)
{
    return error == AVERROR(ENOMEM);
}

} // namespace

int BodyDecoder::Open(const BodyCoding& coding)
{
    const AVCodec* codec = Ffmpeg().avcodec_find_decoder(coding.codec);
    if (!codec)
        return AVERROR_DECODER_NOT_FOUND;
    context_.reset(Ffmpeg().avcodec_alloc_context3(codec));
    packet_.reset(Ffmpeg().av_packet_alloc());
    frame_.reset(Ffmpeg().av_frame_alloc());
    if (!context_ || !packet_ || !frame_)
        return AVERROR(ENOMEM);

    AVCodecContext& context = *context_;
    context.sample_rate = coding.sampleRate;
    Ffmpeg().av_channel_layout_default(&context.ch_layout, coding.channels);
    context.block_align = coding.blockAlign;
    context.bits_per_coded_sample = coding.bitsPerSample;
    if (!coding.extra.empty()) {
        const std::size_t size = coding.extra.size();
        context.extradata =
            static_cast<uint8_t*>(Ffmpeg().av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!context.extradata)
            return AVERROR(ENOMEM);
        std::memcpy(context.extradata, coding.extra.data(), size);
        context.extradata_size = static_cast<int>(size);
    }
    if (const int result = Ffmpeg().avcodec_open2(&context, codec, nullptr); result < 0)
        return result;
    packetBytes_ = coding.packetBytes;
    if (packetBytes_ == 0) {
        parser_.reset(Ffmpeg().av_parser_init(coding.codec));
        if (!parser_)
            return AVERROR_DECODER_NOT_FOUND;
    }
    return 0;
}

int BodyDecoder::Decode(std::span<const uint8_t> body, std::vector<uint8_t>& pcm)
{
    const std::size_t start = pcm.size();
    int result = parser_ ? DecodeParsed(body, pcm) : DecodeCut(body, pcm);
    if (result >= 0)
        result = SendPacket({}, pcm);
    if (result >= 0 && !output_.Finish(pcm))
        result = AVERROR_EXTERNAL;
    if (result >= 0 && pcm.size() == start)
        result = AVERROR_INVALIDDATA;
    return result;
}

int BodyDecoder::DecodeParsed(std::span<const uint8_t> body, std::vector<uint8_t>& pcm)
{
    // The parser may read up to the padding size past the bytes it is given.
    std::vector<uint8_t> feed(kFeedBytes + AV_INPUT_BUFFER_PADDING_SIZE);
    std::size_t offset = 0;
    bool flushed = false;
    while (!flushed) {
        const std::size_t count = std::min(kFeedBytes, body.size() - offset);
        std::copy_n(body.begin() + static_cast<std::ptrdiff_t>(offset), count, feed.begin());
        std::fill(feed.begin() + static_cast<std::ptrdiff_t>(count), feed.end(), uint8_t{0});
        offset += count;
        // An empty feed asks the parser for what it still holds.
        flushed = count == 0;
        const uint8_t* data = flushed ? nullptr : feed.data();
        int left = static_cast<int>(count);
        do {
            uint8_t* packet = nullptr;
            int packetSize = 0;
            const int used =
                Ffmpeg().av_parser_parse2(parser_.get(), context_.get(), &packet, &packetSize, data,
                                          left, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0)
                return used;
            if (used == 0 && packetSize == 0)
                break; // a parser that neither eats nor gives would loop for ever
            data += used;
            left -= used;
            if (packetSize > 0) {
                if (const int result =
                        SendPacket({packet, static_cast<std::size_t>(packetSize)}, pcm);
                    result < 0)
                    return result;
            }
        } while (left > 0);
    }
    return 0;
}

int BodyDecoder::DecodeCut(std::span<const uint8_t> body, std::vector<uint8_t>& pcm)
{
    for (std::size_t offset = 0; offset < body.size(); offset += packetBytes_) {
        const auto packet = body.subspan(offset, std::min(packetBytes_, body.size() - offset));
        if (const int result = SendPacket(packet, pcm); result < 0)
            return result;
    }
    return 0;
}

int BodyDecoder::SendPacket(std::span<const uint8_t> data, std::vector<uint8_t>& pcm)
{
    int result = 0;
    if (data.empty()) {
        result = Ffmpeg().avcodec_send_packet(context_.get(), nullptr);
    } else {
        if (Ffmpeg().av_new_packet(packet_.get(), static_cast<int>(data.size())) < 0)
            return AVERROR(ENOMEM);
        std::copy(data.begin(), data.end(), packet_->data);
        result = Ffmpeg().avcodec_send_packet(context_.get(), packet_.get());
        Ffmpeg().av_packet_unref(packet_.get());
    }
    if (Fatal(result))
        return result;
    return ReceiveFrames(pcm);
}

int BodyDecoder::ReceiveFrames(std::vector<uint8_t>& pcm)
{
    for (;;) {
        const int result = Ffmpeg().avcodec_receive_frame(context_.get(), frame_.get());
        if (result < 0)
            return Fatal(result) ? result : 0;
        const bool appended = output_.Append(*frame_, pcm);
        Ffmpeg().av_frame_unref(frame_.get());
        if (!appended)
            return AVERROR_EXTERNAL;
    }
}

} // namespace corvath
