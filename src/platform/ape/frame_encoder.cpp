#include "platform/ape/frame_encoder.h"

namespace corvath::ape {

// Work in progress: replaced by the real encoder.
struct FrameEncoder::State {};

FrameEncoder::FrameEncoder(const FrameFormat& format) : format_(format) {}
FrameEncoder::~FrameEncoder() = default;
void FrameEncoder::Encode(std::span<const uint8_t>, std::vector<uint8_t>&) {}

} // namespace corvath::ape
