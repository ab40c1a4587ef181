#pragma once

#include "tags/track_record.h"

#include <algorithm>
#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvath {

/// The text fields of a track record, so that each tag format can list its names for them in
/// one table that both its writer and its reader use.
enum class RecordText {
    Title,
    Artist,
    AlbumArtist,
    Album,
    Date,
    Genre,
    Comment,
    Isrc,
    RecordingId,
    ReleaseTrackId,
    AlbumId,
    ReleaseGroupId,
    ArtistId,
    AlbumArtistId,
    DiscId,
};

/// The record's field of that name. Any thread.
std::string& TextOf(TrackRecord& record, RecordText field);
const std::string& TextOf(const TrackRecord& record, RecordText field);

/// One text field's name in a tag format.
struct NamedText {
    RecordText field;
    std::string_view name;
};

/// ISRC and the MusicBrainz ids as Vorbis comments and APEv2 tags both name them.
inline constexpr std::array<NamedText, 8> kVorbisStyleIdNames{{
    {RecordText::Isrc, "ISRC"},
    {RecordText::RecordingId, "MUSICBRAINZ_TRACKID"},
    {RecordText::ReleaseTrackId, "MUSICBRAINZ_RELEASETRACKID"},
    {RecordText::AlbumId, "MUSICBRAINZ_ALBUMID"},
    {RecordText::ReleaseGroupId, "MUSICBRAINZ_RELEASEGROUPID"},
    {RecordText::ArtistId, "MUSICBRAINZ_ARTISTID"},
    {RecordText::AlbumArtistId, "MUSICBRAINZ_ALBUMARTISTID"},
    {RecordText::DiscId, "MUSICBRAINZ_DISCID"},
}};

/// A format's own names followed by the shared ones, as one table.
template <std::size_t Own, std::size_t Shared>
constexpr std::array<NamedText, Own + Shared>
JoinedNames(const NamedText (&own)[Own], const std::array<NamedText, Shared>& shared)
{
    std::array<NamedText, Own + Shared> joined{};
    std::copy(std::begin(own), std::end(own), joined.begin());
    std::copy(shared.begin(), shared.end(), joined.begin() + Own);
    return joined;
}

/// The names a tag format gives the record's texts and its track and disc numbers, which it
/// stores as "n/N" texts; an empty name where the format has no such text.
struct TextNames {
    std::span<const NamedText> texts;
    std::string_view track;
    std::string_view disc;
};

/// The record's texts under the format's names, in the table's order, then the numbers; empty
/// texts too, for a writer to remove what the tag held. A field named twice appears twice.
std::vector<std::pair<std::string_view, std::string>> TextsByName(const TrackRecord& record,
                                                                  const TextNames& names);

/// Fills the record from textOf(name) for each of the format's names: a field takes the first
/// name that gives a text, so a table may name a field twice, the usual name first.
void ReadTextsByName(TrackRecord& record, const TextNames& names,
                     const std::function<std::string(std::string_view name)>& textOf);

/// Fills what the record lacks from a second tag of the same file: each empty text, the track
/// number with its total when there is no track number (the disc the same way), and the cover.
void FillGaps(TrackRecord& record, const TrackRecord& fallback);

/// "n/N", or "n" without a total; empty when the number is unknown (0), whatever the total.
std::string NumberPairText(int number, int total);

/// Reads "n/N" or "n" (spaces around either allowed) into number and total; what is not a
/// positive number leaves 0.
void ReadNumberPair(const std::string& text, int& number, int& total);

} // namespace corvath
