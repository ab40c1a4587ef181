#pragma once

#include "platform/acm/av_handles.h"
#include "platform/media/av_format_handles.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace corvath {

/// Interleaved little-endian PCM: 8-bit unsigned, 16- or 24-bit signed.
struct PcmShape {
    uint16_t channels;
    uint32_t sampleRate;
    uint16_t bitsPerSample;
};

/// What the encoder writes: a constant bit rate at a sample rate and channel count.
struct WmaTarget {
    uint32_t bitrate;
    uint32_t sampleRate;
    uint16_t channels;
};

/// Encodes PCM with FFmpeg's WMA v2 encoder into an ASF file written through an AVIO output:
/// the PCM is converted to the encoder's rate, channels and sample format, cut into the
/// encoder's frames and muxed. Decoders drop the encoder's first frame, a lead-in, and give
/// every sample that came in, then silence up to the end of the last frame. ASF cannot mark
/// the lead-in, so the timeline keeps it: the file's duration is the sound's plus one frame
/// (at most 64 ms). Failures throw std::runtime_error: "Cannot write file <name>" when the
/// output refuses bytes, a message naming the step otherwise.
class AsfWmaEncoder {
public:
    using Metadata = std::vector<std::pair<std::string, std::string>>;

    /// Opens the encoder and writes the file header with the metadata (FFmpeg keys).
    AsfWmaEncoder(AVIOContext& output, const std::string& fileName, const PcmShape& input,
                  const WmaTarget& target, const Metadata& metadata);

    /// Takes PCM bytes; a partial sample frame waits for its rest.
    void Write(std::span<const uint8_t> pcm);
    /// Encodes what is left and completes the file (index, final header); the output stays
    /// open.
    void Finish();

private:
    void OpenEncoder(const WmaTarget& target);
    void OpenResampler(const PcmShape& input);
    /// Converts whole input frames into the queue; nullptr and 0 drain the resampler.
    void Resample(const uint8_t* pcm, int frames);
    void EncodeQueuedFrames();
    /// Encodes the frame buffer, its samples from the queue and silence after them.
    void EncodeFrame(int queuedSamples);
    void ReceivePackets();
    void MuxHeldPacket();
    /// Raises the output's failure, if any, else the step's when result is an error.
    void Check(int result, const char* step) const;

    std::string fileName_;
    AvFormatOutputPtr muxer_;
    AVStream* stream_ = nullptr;
    AvCodecContextPtr encoder_;
    SwrContextPtr resampler_;
    AvAudioFifoPtr queue_;
    AvFramePtr frame_;     // one encoder frame
    AvFramePtr converted_; // the resampler's output
    AvPacketPtr packet_;
    AvPacketPtr held_; // the newest packet: the last one's duration ends the file
    uint16_t inputBlockAlign_ = 0;
    uint16_t inputBits_ = 0;
    std::vector<uint8_t> pending_; // input bytes short of a whole frame
    std::vector<int32_t> widened_; // 24-bit input as 32-bit samples
    int64_t nextPts_ = 0;          // in samples of the output rate
    int64_t samplesQueued_ = 0;    // after conversion
};

} // namespace corvath
