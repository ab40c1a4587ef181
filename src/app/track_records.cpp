#include "app/track_records.h"

#include <filesystem>

namespace corvath {

namespace {

void FillIfEmpty(std::string& field, const std::string& value)
{
    if (field.empty())
        field = value;
}

} // namespace

TrackRecord RippedTrackRecord(const DiscTrack& track, const TDiscFields& disc,
                              const ReleaseDetails& release)
{
    TrackRecord record;
    record.title = track.title;
    record.trackNumber = track.number;
    record.trackTotal = track.total;
    record.album = disc.Album;
    record.date = disc.Year;
    record.genre = GenreNameOf(disc);
    record.comment = disc.Comment;
    record.artist = disc.Artist;

    const bool released = !release.Empty();
    const ReleaseDetails::Track* own =
        track.row >= 0 && static_cast<std::size_t>(track.row) < release.tracks.size()
            ? &release.tracks[static_cast<std::size_t>(track.row)]
            : nullptr;
    if (own != nullptr && !own->artist.empty())
        record.artist = own->artist;
    if (released || record.artist != disc.Artist)
        record.albumArtist = disc.Artist;
    // "Disc 1 of 1" is no set.
    if (disc.DiscNumber > 0 && disc.DiscTotal != 1) {
        record.discNumber = disc.DiscNumber;
        record.discTotal = disc.DiscTotal;
    }
    MusicBrainzIds& ids = record.musicBrainz;
    ids.albumId = release.albumId;
    ids.releaseGroupId = release.releaseGroupId;
    ids.albumArtistId = release.albumArtistId;
    ids.discId = release.discId;
    if (own != nullptr) {
        record.isrc = own->isrc;
        ids.artistId = own->artistId.empty() ? release.albumArtistId : own->artistId;
        ids.recordingId = own->recordingId;
        ids.releaseTrackId = own->releaseTrackId;
    }
    return record;
}

TrackRecord ConvertedTrackRecord(TrackRecord own, const TDiscFields& disc,
                                 const std::string& inputPath)
{
    FillIfEmpty(own.title, std::filesystem::path(inputPath).stem().string());
    FillIfEmpty(own.artist, disc.Artist);
    FillIfEmpty(own.album, disc.Album);
    FillIfEmpty(own.date, disc.Year);
    FillIfEmpty(own.genre, GenreNameOf(disc));
    FillIfEmpty(own.comment, disc.Comment);
    return own;
}

} // namespace corvath
