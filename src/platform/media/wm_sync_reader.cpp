#include "platform/media/wm_sync_reader.h"

#include "platform/acm/ffmpeg_library.h"
#include "platform/media/asf_protection.h"
#include "platform/media/wm_attributes.h"

#include <algorithm>
#include <cstdint>

namespace corvath {

namespace {

constexpr AVRational kHundredNanoseconds = {1, 10'000'000};
constexpr const char* kContainers = "asf,mp3";
constexpr int64_t kSettleTime = 1'000'000; // 100 ms

} // namespace

bool WmSyncReader::OpenStream(std::unique_ptr<AvioStreamAdapter> adapter)
{
    Close();
    if (!adapter)
        return false;
    AVIOContext* input = adapter->Context();
    const bool encrypted = AsfHeaderDeclaresEncryption(*input);
    AVFormatContext* context = Ffmpeg().avformat_alloc_context();
    if (!context)
        return false;
    context->pb = input;
    // Only the containers this reader stands in for: some other demuxers (playlists) would
    // open further files or addresses that a hostile file names.
    context->format_whitelist = Ffmpeg().av_strdup(kContainers);
    if (!context->format_whitelist) {
        Ffmpeg().avformat_free_context(context);
        return false;
    }
    // On failure FFmpeg frees the context itself.
    if (Ffmpeg().avformat_open_input(&context, nullptr, nullptr, nullptr) < 0)
        return false;
    AvFormatInputPtr format(context);
    if (Ffmpeg().avformat_find_stream_info(context, nullptr) < 0)
        return false;
    adapter_ = std::move(adapter);
    format_ = std::move(format);
    encrypted_ = encrypted;
    return true;
}

uint32_t WmSyncReader::OutputCount() const
{
    return format_ ? format_->nb_streams : 0;
}

std::optional<WmWaveFormat> WmSyncReader::OutputWaveFormat(uint32_t output) const
{
    if (output >= OutputCount())
        return std::nullopt;
    const AVCodecParameters& coding = *format_->streams[output]->codecpar;
    if (coding.codec_type != AVMEDIA_TYPE_AUDIO ||
        !Ffmpeg().avcodec_find_decoder(coding.codec_id) || coding.ch_layout.nb_channels <= 0 ||
        coding.sample_rate <= 0)
        return std::nullopt;
    return WmWaveFormat{static_cast<uint32_t>(coding.ch_layout.nb_channels),
                        static_cast<uint32_t>(coding.sample_rate)};
}

bool WmSyncReader::SetOutputProps(uint32_t output)
{
    const std::optional<WmWaveFormat> format = OutputWaveFormat(output);
    if (!format)
        return false;
    output_ = static_cast<int>(output);
    outputFormat_ = *format;
    return true;
}

WmReadSamples WmSyncReader::SetReadStreamSamples(uint16_t streamNumber, bool compressed)
{
    if (compressed || !ChosenStream() || streamNumber != StreamNumberForOutput(output_))
        return WmReadSamples::kFailed;
    if (encrypted_)
        return WmReadSamples::kProtected;
    return StartDecoder() ? WmReadSamples::kDecoded : WmReadSamples::kFailed;
}

AVStream* WmSyncReader::ChosenStream() const
{
    return output_ >= 0 && static_cast<uint32_t>(output_) < OutputCount()
               ? format_->streams[output_]
               : nullptr;
}

bool WmSyncReader::StartDecoder()
{
    const AVStream& stream = *ChosenStream();
    const AVCodec* codec = Ffmpeg().avcodec_find_decoder(stream.codecpar->codec_id);
    decoder_.reset(Ffmpeg().avcodec_alloc_context3(codec));
    packet_.reset(Ffmpeg().av_packet_alloc());
    frame_.reset(Ffmpeg().av_frame_alloc());
    if (!decoder_ || !packet_ || !frame_ ||
        Ffmpeg().avcodec_parameters_to_context(decoder_.get(), stream.codecpar) < 0)
        return false;
    decoder_->pkt_timebase = stream.time_base;
    if (Ffmpeg().avcodec_open2(decoder_.get(), codec, nullptr) < 0) {
        decoder_.reset();
        return false;
    }
    // Other streams' packets are not even read.
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (static_cast<int>(i) != output_)
            format_->streams[i]->discard = AVDISCARD_ALL;
    }
    RestartDecoding();
    // Decoding the first buffer now tells where the file's time begins for SetRange.
    pending_ = DecodeSome();
    return true;
}

void WmSyncReader::RestartDecoding()
{
    converter_.emplace(static_cast<int>(outputFormat_.sampleRate),
                       static_cast<int>(outputFormat_.channels));
    endSent_ = false;
    drained_ = false;
    pending_ = false;
    dropBefore_.reset();
}

std::optional<std::span<uint8_t>> WmSyncReader::GetNextSample(uint16_t streamNumber)
{
    if (!decoder_ || streamNumber != StreamNumberForOutput(output_))
        return std::nullopt;
    if (!pending_) {
        pcm_.clear();
        if (!DecodeSome())
            return std::nullopt;
    }
    pending_ = false;
    return std::span<uint8_t>(pcm_);
}

bool WmSyncReader::DecodeSome()
{
    while (pcm_.empty()) {
        if (drained_)
            return false;
        const int received = Ffmpeg().avcodec_receive_frame(decoder_.get(), frame_.get());
        if (received == 0) {
            TakeFrame();
        } else if (received != AVERROR_EOF && !endSent_) {
            // The decoder wants input, or rejected a damaged packet: go on with the next.
            FeedDecoder();
        } else {
            drained_ = true;
            converter_->Finish(pcm_);
        }
    }
    return true;
}

void WmSyncReader::FeedDecoder()
{
    for (;;) {
        if (Ffmpeg().av_read_frame(format_.get(), packet_.get()) < 0) {
            Ffmpeg().avcodec_send_packet(decoder_.get(), nullptr);
            endSent_ = true;
            return;
        }
        const bool ours = packet_->stream_index == output_;
        // A packet the decoder refuses costs only itself.
        if (ours)
            Ffmpeg().avcodec_send_packet(decoder_.get(), packet_.get());
        Ffmpeg().av_packet_unref(packet_.get());
        if (ours)
            return;
    }
}

void WmSyncReader::TakeFrame()
{
    const AVFrame& frame = *frame_;
    if (!origin_ && frame.best_effort_timestamp != AV_NOPTS_VALUE)
        origin_ = frame.best_effort_timestamp;
    int64_t dropped = 0;
    if (dropBefore_) {
        int64_t ahead = 0;
        const int64_t start = frame.best_effort_timestamp;
        if (start != AV_NOPTS_VALUE && frame.sample_rate > 0 &&
            !__builtin_sub_overflow(*dropBefore_, start, &ahead))
            dropped = Ffmpeg().av_rescale_q(ahead, ChosenStream()->time_base,
                                            AVRational{1, frame.sample_rate});
        if (dropped < frame.nb_samples)
            dropBefore_.reset();
    }
    if (dropped < frame.nb_samples) {
        const std::size_t first = pcm_.size();
        converter_->Append(frame, pcm_);
        if (dropped > 0) {
            const std::size_t bytes =
                static_cast<std::size_t>(dropped) * outputFormat_.channels * 2;
            pcm_.erase(pcm_.begin() + static_cast<std::ptrdiff_t>(first),
                       pcm_.begin() +
                           static_cast<std::ptrdiff_t>(std::min(first + bytes, pcm_.size())));
        }
    }
    Ffmpeg().av_frame_unref(frame_.get());
}

bool WmSyncReader::SetRange(uint64_t start)
{
    const AVStream* stream = ChosenStream();
    if (!stream || !decoder_)
        return false;
    const AVRational timeBase = stream->time_base;
    // Time 0 is the first decoded sample, which decoders with a delay stamp later than the
    // container's start.
    const int64_t startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const int64_t origin = origin_.value_or(startTime);
    int64_t delay = 0;
    if (__builtin_sub_overflow(origin, startTime, &delay) || delay < 0)
        delay = 0;
    // Reading starts early enough for the decoder's delay and for what it must have seen
    // before its output is right (overlapping transforms, an MP3 bit reservoir); the samples
    // before the target are dropped. Time stamps may come from a damaged file.
    const auto offset = static_cast<int64_t>(std::min<uint64_t>(start, INT64_MAX));
    int64_t target = Ffmpeg().av_rescale_q(offset, kHundredNanoseconds, timeBase);
    int64_t lead = 0;
    int64_t readFrom = 0;
    if (__builtin_add_overflow(target, origin, &target) ||
        __builtin_add_overflow(
            delay, Ffmpeg().av_rescale_q(kSettleTime, kHundredNanoseconds, timeBase), &lead) ||
        __builtin_sub_overflow(target, lead, &readFrom))
        return false;
    // Some demuxers refuse times before the start.
    readFrom = std::max(readFrom, startTime);
    if (Ffmpeg().av_seek_frame(format_.get(), stream->index, readFrom, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    Ffmpeg().avcodec_flush_buffers(decoder_.get());
    RestartDecoding();
    dropBefore_ = target;
    return true;
}

std::optional<uint64_t> WmSyncReader::Duration() const
{
    if (!format_)
        return std::nullopt;
    int64_t units = 0;
    const AVStream* stream = ChosenStream();
    if (stream && stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        // The container counts an MP3 encoder's delay, which the decoder drops, as part of
        // the duration; what is heard begins at the start time.
        const bool delayed = stream->start_time != AV_NOPTS_VALUE && stream->start_time > 0 &&
                             stream->start_time < stream->duration;
        const int64_t heard = stream->duration - (delayed ? stream->start_time : 0);
        units = Ffmpeg().av_rescale_q(heard, stream->time_base, kHundredNanoseconds);
    } else if (format_->duration != AV_NOPTS_VALUE) {
        units = Ffmpeg().av_rescale_q(format_->duration, AV_TIME_BASE_Q, kHundredNanoseconds);
    }
    // A damaged header can give any number, and FFmpeg marks overflows with a negative one.
    if (units <= 0)
        return std::nullopt;
    return static_cast<uint64_t>(units);
}

std::string WmSyncReader::Attribute(std::string_view name) const
{
    return format_ ? ReadWmAttribute(format_->metadata, name) : std::string();
}

void WmSyncReader::Close()
{
    decoder_.reset();
    packet_.reset();
    frame_.reset();
    converter_.reset();
    format_.reset();
    adapter_.reset();
    encrypted_ = false;
    output_ = -1;
    dropBefore_.reset();
    origin_.reset();
    pending_ = false;
    pcm_.clear();
}

} // namespace corvath
