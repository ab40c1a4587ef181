#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvath::test {

/// A track of a generated Nero image.
struct NrgTrack {
    std::vector<uint8_t> sectors; ///< raw, 2352 bytes each; audio as 16-bit little-endian stereo
    uint32_t pregap = 0;          ///< how many of its first sectors are its pre-gap (INDEX 00)
    bool data = false;
    std::string isrc;    ///< 12 characters, or empty
    uint8_t session = 1; ///< sessions rise from 1 with the tracks
};

enum class NrgKind {
    DaoVersion2, ///< "NER5" footer; CUEX and DAOX chunks with 64-bit offsets
    DaoVersion1, ///< "NERO" footer; CUES (MSF addresses) and DAOI chunks with 32-bit offsets
    TaoVersion1, ///< "NERO" footer; an ETNF chunk for each session
    TaoVersion2, ///< "NER5" footer; an ETN2 chunk for each session
};

struct NrgOptions {
    std::string catalog; ///< 13 digits, or empty (DAO only)
    /// DAO only: the file starts with the 150 silent sectors before the first track, as Nero
    /// writes them (track 1's INDEX 00 at 00:00:00). Without them the file is 352,800 bytes
    /// shorter, for small images.
    bool leadIn = true;
    std::string cdText; ///< the content of a CDTX chunk (18-byte packs), or none
};

/// The bytes of a Nero image of the tracks, laid out as Nero lays them: the tracks' sectors one
/// after another, then the chunks, then the footer pointing at them. A DAO image lists the
/// tracks' cue points (a track's pre-gap at its first sector, INDEX 01 pregap sectors later)
/// and byte offsets; a second session's first sector comes 11,400 sectors after the first
/// session's end. A TAO image stores neither pre-gaps nor ISRCs: each track's sectors are its
/// content, and a reader puts 150 sectors of silence before every track but a session's first.
std::string NrgImageBytes(const std::vector<NrgTrack>& tracks, NrgKind kind,
                          const NrgOptions& options = {});

/// Writes NrgImageBytes to the file.
void WriteNrgImage(const std::filesystem::path& file, const std::vector<NrgTrack>& tracks,
                   NrgKind kind, const NrgOptions& options = {});

/// CD-Text packs (18 bytes each, CRC left zero) of the first block in ISO 8859-1: the disc's
/// title and performer (track 0), then each track's in turn, with a size information pack.
std::string NrgCdText(const std::vector<std::string>& titles,
                      const std::vector<std::string>& performers);

} // namespace corvath::test
