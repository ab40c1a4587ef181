#include "platform/acm/s16_frame_converter.h"

#include "platform/acm/ffmpeg_library.h"

#include <algorithm>

namespace corvath {

namespace {

/// Decoders that cannot name their channels leave the order unspecified; the resampler needs
/// named channels to mix, so those get the usual layout for their channel count.
AVChannelLayout NamedLayout(const AVChannelLayout& layout)
{
    if (layout.order == AV_CHANNEL_ORDER_NATIVE)
        return layout;
    AVChannelLayout named{};
    Ffmpeg().av_channel_layout_default(&named, layout.nb_channels);
    return named;
}

} // namespace

S16FrameConverter::S16FrameConverter(int sampleRate, int channels) : sampleRate_(sampleRate)
{
    Ffmpeg().av_channel_layout_default(&layout_, channels);
}

bool S16FrameConverter::InputShape::operator==(const InputShape& other) const
{
    return format == other.format && sampleRate == other.sampleRate &&
           Ffmpeg().av_channel_layout_compare(&layout, &other.layout) == 0;
}

S16FrameConverter::InputShape S16FrameConverter::ShapeOf(const AVFrame& frame)
{
    return {frame.format, frame.sample_rate, NamedLayout(frame.ch_layout)};
}

bool S16FrameConverter::Append(const AVFrame& frame, std::vector<uint8_t>& pcm)
{
    const InputShape shape = ShapeOf(frame);
    if (!resampler_ || shape != input_) {
        if (!Finish(pcm) || !Start(shape))
            return false;
    }
    const auto** input = const_cast<const uint8_t**>(frame.extended_data);
    return Convert(input, frame.nb_samples, pcm) >= 0;
}

bool S16FrameConverter::Finish(std::vector<uint8_t>& pcm)
{
    if (!resampler_)
        return true;
    int converted = 0;
    do
        converted = Convert(nullptr, 0, pcm);
    while (converted > 0);
    return converted == 0;
}

bool S16FrameConverter::Start(InputShape input)
{
    resampler_.reset();
    SwrContext* context = nullptr;
    if (Ffmpeg().swr_alloc_set_opts2(&context, &layout_, AV_SAMPLE_FMT_S16, sampleRate_,
                                     &input.layout, static_cast<AVSampleFormat>(input.format),
                                     input.sampleRate, 0, nullptr) < 0)
        return false;
    resampler_.reset(context);
    if (Ffmpeg().swr_init(context) < 0) {
        resampler_.reset();
        return false;
    }
    input_ = input;
    return true;
}

int S16FrameConverter::Convert(const uint8_t** input, int inputSamples, std::vector<uint8_t>& pcm)
{
    const int capacity = Ffmpeg().swr_get_out_samples(resampler_.get(), inputSamples);
    if (capacity <= 0)
        return capacity;
    const std::size_t frameBytes = static_cast<std::size_t>(layout_.nb_channels) * 2;
    const std::size_t start = pcm.size();
    pcm.resize(start + static_cast<std::size_t>(capacity) * frameBytes);
    uint8_t* output = pcm.data() + start;
    const int converted =
        Ffmpeg().swr_convert(resampler_.get(), &output, capacity, input, inputSamples);
    pcm.resize(start + static_cast<std::size_t>(std::max(converted, 0)) * frameBytes);
    return converted;
}

} // namespace corvath
