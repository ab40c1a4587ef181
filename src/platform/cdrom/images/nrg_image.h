#pragma once

#include "platform/cdrom/images/image_layout.h"

#include <cstdint>
#include <filesystem>

namespace corvath {

/// The largest chunk list read from the end of an NRG image: far above any real one (99 tracks
/// with CD-Text take a few KiB).
inline constexpr uint64_t kMaxNrgChunkBytes = 1 << 20;

/// Reads the layout of a Nero image (.nrg): the chunk list its footer points to ("NERO" with a
/// 32-bit offset, or "NER5" with a 64-bit one). Disc-at-once sessions take their tracks' starts
/// and indexes from the cue points (CUES, CUEX) and where their sectors lie in the file from the
/// DAO chunk (DAOI, DAOX), which must agree; track-at-once sessions (ETNF, ETN2) lay their
/// tracks one after another with a 150-sector gap before each but the first. The image is its
/// own data file: raw sectors, audio as 16-bit little-endian samples, up to its chunk list.
/// Audio stored with subchannel data (2448-byte sectors) is refused. Anything malformed gives a
/// problem in words for the user.
ImageParse ReadNrgImage(const std::filesystem::path& nrgFile);

} // namespace corvath
