#pragma once

#include "tags/loudness.h"

#include <optional>
#include <string>

namespace corvath {

/// The files loudness tags go into, each with its own place for them.
enum class LoudnessTagFormat {
    Flac,      ///< REPLAYGAIN_* fields of the Vorbis comment
    OggVorbis, ///< REPLAYGAIN_* fields of the Vorbis comment
    Opus,      ///< R128_TRACK_GAIN and R128_ALBUM_GAIN fields of the comment header (RFC 7845)
    Mp3,       ///< ID3v2.4 TXXX frames described REPLAYGAIN_*
    Ape,       ///< REPLAYGAIN_* items of the APEv2 tag
    Wma,       ///< REPLAYGAIN_* attributes of the ASF header
};

/// Writes the track's and the album's loudness tags into a finished file: gain and peak of each
/// given measurement (ReplayGainText, ReplayGainPeakText), for Opus the R128 gains only
/// (R128GainText, for an output gain of 0) with any REPLAYGAIN_* fields removed. A measurement
/// not given leaves its tags as they are, so the album's can follow the track's later. Fields of
/// the same names, case ignored, are replaced; every other field stays, as do other tags (an
/// MP3's ID3v1 tag is left exactly as it is).
///
/// Worker thread. Throws std::runtime_error "Cannot write the tags of <file>: <why>" when the
/// file cannot be opened for writing, is not a file of that format, or cannot be saved.
void WriteLoudnessTags(const std::string& path, LoudnessTagFormat format,
                       const std::optional<Loudness>& track, const std::optional<Loudness>& album);

} // namespace corvath
