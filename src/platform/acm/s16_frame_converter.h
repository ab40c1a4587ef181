#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include "platform/acm/av_handles.h"

#include <cstdint>
#include <vector>

namespace corvath {

/// Turns decoded frames of any sample format, rate and channel layout into interleaved signed
/// 16-bit little-endian samples at one output rate and channel count, appended to a byte
/// vector. When a frame's format, rate or layout differs from the previous frame's, what the
/// resampler still holds is flushed and a new conversion starts. Throws std::bad_alloc only.
class S16FrameConverter {
public:
    S16FrameConverter(int sampleRate, int channels);

    /// Appends the frame's samples; false when libswresample refuses the frame.
    bool Append(const AVFrame& frame, std::vector<uint8_t>& pcm);

    /// Appends the samples the resampler still holds (only rate conversion holds any).
    bool Finish(std::vector<uint8_t>& pcm);

private:
    struct InputShape {
        int format = -1;
        int sampleRate = 0;
        AVChannelLayout layout{};
        bool operator==(const InputShape& other) const;
    };

    static InputShape ShapeOf(const AVFrame& frame);
    /// Takes the input by value: libswresample wants its layout writable.
    bool Start(InputShape input);
    /// Converts inputSamples frames (none to flush); returns the frames appended or < 0.
    int Convert(const uint8_t** input, int inputSamples, std::vector<uint8_t>& pcm);

    int sampleRate_;
    AVChannelLayout layout_{};
    InputShape input_;
    SwrContextPtr resampler_;
};

} // namespace corvath
