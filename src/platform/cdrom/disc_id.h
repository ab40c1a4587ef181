#pragma once

#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvath {

/// Where a disc's tracks start and its lead-out lies, in frames (75 per second) counted with
/// the two-second lead-in, so an ordinary first track starts at frame 150.
struct DiscFrames {
    std::vector<uint32_t> trackStarts;
    uint32_t leadOut = 0;
};

/// An MSF address in frames: minute × 4500 + second × 75 + frame.
uint32_t TocEntryFrames(const CdTocEntry& entry);

/// The track starts and lead-out of a TOC read with MSF addresses (kCdParmMsfAddresses on).
DiscFrames TocFrames(const CdToc& toc);

/// Where each track of a TOC read with MSF addresses ends, in frames: where the next one starts,
/// but the last audio track before trailing data tracks (an enhanced CD's data session, whose
/// first track lies 11400 frames past the audio session's lead-out) ends that much before the
/// first of them; a data track too close for that ends the audio where it starts. The last
/// track ends at the lead-out.
std::vector<uint32_t> TrackEndFrames(const CdToc& toc);

/// The freedb/CDDB disc identifier: 8 lower-case hex digits. Every track counts, data tracks
/// included, as CDDB servers index discs that way.
std::string FreedbDiscId(const DiscFrames& disc);
/// The same identifier as a number.
uint32_t FreedbDiscNumber(const DiscFrames& disc);
std::string FreedbDiscId(const CdToc& toc);

/// The serial number Windows gives an audio CD (stored in its "Track01.cda" files), from a TOC
/// read with MSF addresses: the sum of the tracks' addresses taken as M<<16 | S<<8 | F, plus,
/// for a disc of fewer than three tracks, the first track's frame byte and the frames from the
/// first track to the lead-out; modulo 2^32, as a signed number. 0 for a TOC without tracks.
int32_t WindowsDiscSerial(const CdToc& toc);

/// How MusicBrainz knows a disc: its disc ID (28 characters of URL-safe Base64) and the text of
/// its web service's "toc" parameter, "first+last+leadout+offset1+offset2+...".
struct MusicBrainzDisc {
    std::string id;
    std::string tocQuery;
};

/// The MusicBrainz identifiers of a TOC read with MSF addresses. Only audio tracks count: data
/// tracks after the last audio track are taken for an enhanced CD's data session, whose start
/// lies 11400 frames past the audio session's lead-out; a data track too close to the audio for
/// that ends the audio where it starts. Empty for a TOC without audio tracks.
MusicBrainzDisc MusicBrainzDiscOf(const CdToc& toc);

} // namespace corvath
