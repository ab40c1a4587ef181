#include "platform/media/asf_wma_encoder.h"

#include "platform/acm/ffmpeg_library.h"
#include "platform/media/av_error_text.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <new>
#include <stdexcept>

namespace corvath {

namespace {

constexpr AVSampleFormat kEncoderFormat = AV_SAMPLE_FMT_FLTP;

AVSampleFormat PcmFormat(uint16_t bitsPerSample)
{
    switch (bitsPerSample) {
    case 8:
        return AV_SAMPLE_FMT_U8;
    case 16:
        return AV_SAMPLE_FMT_S16;
    case 24:
        return AV_SAMPLE_FMT_S32; // widened before conversion: FFmpeg has no packed 24-bit
    default:
        throw std::runtime_error("The WMA encoder takes 8-, 16- or 24-bit sound only.");
    }
}

} // namespace

AsfWmaEncoder::AsfWmaEncoder(AVIOContext& output, const std::string& fileName,
                             const PcmShape& input, const WmaTarget& target,
                             const Metadata& metadata)
    : fileName_(fileName), packet_(Ffmpeg().av_packet_alloc()), held_(Ffmpeg().av_packet_alloc())
{
    if (!packet_ || !held_)
        throw std::bad_alloc();
    AVFormatContext* muxer = nullptr;
    Check(Ffmpeg().avformat_alloc_output_context2(&muxer, nullptr, "asf", nullptr),
          "Cannot start ASF");
    muxer_.reset(muxer);
    muxer_->pb = &output;
    // Keeps the library from adding its name to the tags: the file holds those given only.
    muxer_->flags |= AVFMT_FLAG_BITEXACT;
    OpenEncoder(target);
    OpenResampler(input);

    stream_ = Ffmpeg().avformat_new_stream(muxer_.get(), nullptr);
    if (stream_ == nullptr)
        throw std::bad_alloc();
    Check(Ffmpeg().avcodec_parameters_from_context(stream_->codecpar, encoder_.get()),
          "Cannot describe the WMA stream");
    stream_->time_base = encoder_->time_base;
    for (const auto& [key, value] : metadata)
        Check(Ffmpeg().av_dict_set(&muxer_->metadata, key.c_str(), value.c_str(), 0),
              "Cannot set a tag");
    Check(Ffmpeg().avformat_write_header(muxer_.get(), nullptr), "Cannot write the ASF header");
}

void AsfWmaEncoder::OpenEncoder(const WmaTarget& target)
{
    const AVCodec* codec = Ffmpeg().avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (codec == nullptr)
        throw std::runtime_error("This FFmpeg has no WMA encoder.");
    encoder_.reset(Ffmpeg().avcodec_alloc_context3(codec));
    if (!encoder_)
        throw std::bad_alloc();
    encoder_->sample_fmt = kEncoderFormat;
    encoder_->sample_rate = static_cast<int>(target.sampleRate);
    Ffmpeg().av_channel_layout_default(&encoder_->ch_layout, target.channels);
    encoder_->bit_rate = target.bitrate;
    encoder_->time_base = AVRational{1, encoder_->sample_rate};
    if ((muxer_->oformat->flags & AVFMT_GLOBALHEADER) != 0)
        encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(Ffmpeg().avcodec_open2(encoder_.get(), codec, nullptr), "Cannot open the WMA encoder");
    // The lead-in stays in the timeline, so the first sound starts one frame in.
    nextPts_ = encoder_->initial_padding;

    frame_.reset(Ffmpeg().av_frame_alloc());
    converted_.reset(Ffmpeg().av_frame_alloc());
    queue_.reset(
        Ffmpeg().av_audio_fifo_alloc(kEncoderFormat, target.channels, encoder_->frame_size));
    if (!frame_ || !converted_ || !queue_)
        throw std::bad_alloc();
    frame_->format = kEncoderFormat;
    frame_->nb_samples = encoder_->frame_size;
    frame_->sample_rate = encoder_->sample_rate;
    Check(Ffmpeg().av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout),
          "Cannot lay out");
    Check(Ffmpeg().av_frame_get_buffer(frame_.get(), 0), "Cannot allocate a frame");
}

void AsfWmaEncoder::OpenResampler(const PcmShape& input)
{
    inputBits_ = input.bitsPerSample;
    inputBlockAlign_ = static_cast<uint16_t>(input.channels * input.bitsPerSample / 8);
    AVChannelLayout layout{};
    Ffmpeg().av_channel_layout_default(&layout, input.channels);
    SwrContext* resampler = nullptr;
    const int result = Ffmpeg().swr_alloc_set_opts2(
        &resampler, &encoder_->ch_layout, kEncoderFormat, encoder_->sample_rate, &layout,
        PcmFormat(input.bitsPerSample), static_cast<int>(input.sampleRate), 0, nullptr);
    resampler_.reset(resampler);
    Ffmpeg().av_channel_layout_uninit(&layout);
    Check(result, "Cannot convert the sound");
    Check(Ffmpeg().swr_init(resampler_.get()), "Cannot convert the sound");
}

void AsfWmaEncoder::Write(std::span<const uint8_t> pcm)
{
    pending_.insert(pending_.end(), pcm.begin(), pcm.end());
    const std::size_t frames = pending_.size() / inputBlockAlign_;
    if (frames == 0)
        return;
    const uint8_t* data = pending_.data();
    if (inputBits_ == 24) {
        widened_.resize(frames * inputBlockAlign_ / 3);
        for (std::size_t i = 0; i < widened_.size(); ++i) {
            const uint8_t* sample = data + 3 * i;
            widened_[i] = static_cast<int32_t>(static_cast<uint32_t>(sample[0]) << 8 |
                                               static_cast<uint32_t>(sample[1]) << 16 |
                                               static_cast<uint32_t>(sample[2]) << 24);
        }
        data = reinterpret_cast<const uint8_t*>(widened_.data());
    }
    Resample(data, static_cast<int>(frames));
    pending_.erase(pending_.begin(),
                   pending_.begin() + static_cast<std::ptrdiff_t>(frames * inputBlockAlign_));
    EncodeQueuedFrames();
}

void AsfWmaEncoder::Resample(const uint8_t* pcm, int frames)
{
    for (;;) {
        const int capacity = Ffmpeg().swr_get_out_samples(resampler_.get(), frames);
        Check(capacity, "Cannot convert the sound");
        if (capacity == 0)
            return;
        if (converted_->nb_samples < capacity) {
            Ffmpeg().av_frame_unref(converted_.get());
            converted_->format = kEncoderFormat;
            converted_->nb_samples = capacity;
            Check(Ffmpeg().av_channel_layout_copy(&converted_->ch_layout, &encoder_->ch_layout),
                  "Cannot lay out");
            Check(Ffmpeg().av_frame_get_buffer(converted_.get(), 0), "Cannot allocate a frame");
        }
        const int converted = Ffmpeg().swr_convert(resampler_.get(), converted_->data, capacity,
                                                   pcm != nullptr ? &pcm : nullptr, frames);
        Check(converted, "Cannot convert the sound");
        if (Ffmpeg().av_audio_fifo_write(queue_.get(), reinterpret_cast<void**>(converted_->data),
                                         converted) < converted)
            throw std::bad_alloc();
        samplesQueued_ += converted;
        // Input is taken whole in one call; only draining takes several.
        if (pcm != nullptr || converted == 0)
            return;
    }
}

void AsfWmaEncoder::EncodeQueuedFrames()
{
    while (Ffmpeg().av_audio_fifo_size(queue_.get()) >= encoder_->frame_size)
        EncodeFrame(encoder_->frame_size);
}

void AsfWmaEncoder::EncodeFrame(int queuedSamples)
{
    AVFrame* frame = frame_.get();
    Check(Ffmpeg().av_frame_make_writable(frame), "Cannot allocate a frame");
    if (Ffmpeg().av_audio_fifo_read(queue_.get(), reinterpret_cast<void**>(frame->data),
                                    queuedSamples) < queuedSamples)
        throw std::runtime_error("The WMA encoder's queue ran short.");
    Ffmpeg().av_samples_set_silence(frame->data, queuedSamples, frame->nb_samples - queuedSamples,
                                    frame->ch_layout.nb_channels, kEncoderFormat);
    frame->pts = nextPts_;
    nextPts_ += frame->nb_samples;
    Check(Ffmpeg().avcodec_send_frame(encoder_.get(), frame), "Cannot encode WMA");
    ReceivePackets();
}

void AsfWmaEncoder::ReceivePackets()
{
    for (;;) {
        const int result = Ffmpeg().avcodec_receive_packet(encoder_.get(), packet_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return;
        Check(result, "Cannot encode WMA");
        if (held_->data != nullptr)
            MuxHeldPacket();
        Ffmpeg().av_packet_move_ref(held_.get(), packet_.get());
    }
}

void AsfWmaEncoder::MuxHeldPacket()
{
    held_->stream_index = stream_->index;
    Ffmpeg().av_packet_rescale_ts(held_.get(), encoder_->time_base, stream_->time_base);
    const int result = Ffmpeg().av_write_frame(muxer_.get(), held_.get());
    Ffmpeg().av_packet_unref(held_.get());
    Check(result, "Cannot write WMA");
}

void AsfWmaEncoder::Finish()
{
    Resample(nullptr, 0);
    EncodeQueuedFrames();
    if (const int rest = Ffmpeg().av_audio_fifo_size(queue_.get()); rest > 0)
        EncodeFrame(rest);
    // Decoders complete a frame's sound with the next frame: a silent one completes the last.
    if (samplesQueued_ > 0)
        EncodeFrame(0);
    Check(Ffmpeg().avcodec_send_frame(encoder_.get(), nullptr), "Cannot encode WMA");
    ReceivePackets();
    if (held_->data != nullptr) {
        const int64_t end = encoder_->initial_padding + samplesQueued_;
        held_->duration = std::max<int64_t>(end - held_->pts, 0);
        MuxHeldPacket();
    }
    Check(Ffmpeg().av_write_trailer(muxer_.get()), "Cannot complete the ASF file");
}

void AsfWmaEncoder::Check(int result, const char* step) const
{
    if (muxer_ && muxer_->pb != nullptr && muxer_->pb->error < 0)
        throw std::runtime_error("Cannot write file " + fileName_ + ": " +
                                 AvErrorText(muxer_->pb->error));
    if (result < 0)
        throw std::runtime_error(std::string(step) + ": " + AvErrorText(result) + ".");
}

} // namespace corvath
