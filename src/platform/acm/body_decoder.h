#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/acm/av_handles.h"
#include "platform/acm/s16_frame_converter.h"

#include <cstdint>
#include <span>
#include <vector>

namespace corvath {

/// How a compressed body is coded, as far as an FFmpeg decoder needs to know.
struct BodyCoding {
    AVCodecID codec = AV_CODEC_ID_NONE;
    int channels = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    /// 0: FFmpeg's parser for the codec finds the packets; otherwise the body is cut into
    /// packets of this many bytes (the last may be shorter).
    std::size_t packetBytes = 0;
    int bitsPerSample = 0;
    std::span<const uint8_t> extra;
};

/// Decodes one whole compressed body with an FFmpeg decoder into interleaved signed 16-bit
/// little-endian PCM at a chosen rate and channel count. The body is only read inside its
/// bounds: every packet is a padded copy. Packets the decoder rejects are skipped, as a
/// player would. Errors are FFmpeg's negative AVERROR codes. Throws std::bad_alloc only.
class BodyDecoder {
public:
    BodyDecoder(int outputRate, int outputChannels) : output_(outputRate, outputChannels) {}

    /// Opens the decoder; < 0 when FFmpeg has none for the coding or refuses its parameters.
    int Open(const BodyCoding& coding);

    /// Decodes the whole body after a successful Open, appending to pcm. AVERROR_INVALIDDATA
    /// when not one sample came out.
    int Decode(std::span<const uint8_t> body, std::vector<uint8_t>& pcm);

private:
    int DecodeParsed(std::span<const uint8_t> body, std::vector<uint8_t>& pcm);
    int DecodeCut(std::span<const uint8_t> body, std::vector<uint8_t>& pcm);
    /// Sends one packet (empty: the end of the body) and takes every frame it gives.
    int SendPacket(std::span<const uint8_t> data, std::vector<uint8_t>& pcm);
    int ReceiveFrames(std::vector<uint8_t>& pcm);

    std::size_t packetBytes_ = 0;
    S16FrameConverter output_;
    AvCodecContextPtr context_;
    AvCodecParserPtr parser_;
    AvPacketPtr packet_;
    AvFramePtr frame_;
};

} // namespace corvath
