#pragma once

#include "platform/acm/wave_format_record.h"

namespace corvath {

/// What an audio stream or a writer input carries.
enum class WmAudioSubtype { kPcm, kWmaV2, kWmaLossless };

/// The media type of a stream configuration or a writer input: every one here is audio
/// described by a wave format record.
struct WmMediaType {
    WmAudioSubtype subtype = WmAudioSubtype::kPcm;
    WaveFormatRecord waveFormat;
};

} // namespace corvath
