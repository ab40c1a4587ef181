#pragma once

#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace corvath {

/// A disc's tracks as its table of contents lists them: where each starts (0 = the sector at
/// 00:02:00) with its control bits, and the lead-out.
struct DiscTracks {
    struct Track {
        uint32_t start = 0;
        uint8_t control =
            0; ///< kCdDataTrackControl, kCdCopyPermittedControl, kCdPreEmphasisControl
    };
    uint8_t firstTrack = 1;
    std::vector<Track> tracks;
    uint32_t leadOut = 0;
};

/// The table of contents record of the tracks: MSF addresses (the two-second lead-in counted)
/// when msf is set, else sector numbers.
CdToc MakeTocRecord(const DiscTracks& disc, bool msf);

/// A disc the layer reads: in a drive, through libcdio, or described by a disc image. Calls may
/// come from several threads.
class OpenDisc {
public:
    virtual ~OpenDisc() = default;

    /// Nothing when the disc has no readable TOC, or one whose addresses do not rise up to the
    /// lead-out.
    virtual std::optional<DiscTracks> Tracks() = 0;

    /// The first sector after the disc's last track, which no read may reach; nothing without a
    /// disc. Asked before every read, so cheaper than Tracks.
    virtual std::optional<uint32_t> LeadOut() = 0;

    /// Per track from the first, where its pre-gap starts when the drive or image tells and
    /// it lies before the track's start; empty when the disc has no tracks.
    virtual std::vector<std::optional<uint32_t>> Pregaps() = 0;

    /// What the disc tells beyond its TOC, as deep as asked; nothing when it has no tracks.
    virtual std::optional<CdDiscFacts> Facts(CdFactsDepth depth) = 0;

    /// Reads count raw sectors from start; false, as a drive answers, when any of them lies
    /// outside the disc's audio.
    virtual bool ReadAudio(uint8_t* data, uint32_t start, uint32_t count) = 0;

    /// Reads like ReadAudio, with every sector checked as well as the disc allows; doubtful gets
    /// the sectors that could not be read exactly (see ReadCDAudioLBASecure). A stop asked for
    /// through stop fails the read before its next sector, as such a read may take minutes.
    virtual bool ReadAudioSecure(uint8_t* data, uint32_t start, uint32_t count,
                                 std::vector<uint32_t>& doubtful, const std::stop_token& stop) = 0;
};

} // namespace corvath
