#include "tags/vorbis_tags.h"

#include "platform/text/ascii_case.h"

#include <array>
#include <string>

namespace corvath {

namespace {

constexpr std::array<std::string_view, 19> kFieldOrder{
    "title",
    "artist",
    "albumartist",
    "album",
    "date",
    "genre",
    "tracknumber",
    "tracktotal",
    "discnumber",
    "disctotal",
    "comment",
    "isrc",
    "musicbrainz_trackid",
    "musicbrainz_releasetrackid",
    "musicbrainz_albumid",
    "musicbrainz_releasegroupid",
    "musicbrainz_artistid",
    "musicbrainz_albumartistid",
    "musicbrainz_discid",
};

std::string NumberText(int number)
{
    return number > 0 ? std::to_string(number) : std::string();
}

} // namespace

TVorbisTags::TVorbisTags()
{
    for (std::string_view name : kFieldOrder)
        DeclareName(name);
}

std::vector<std::string> TVorbisTags::CommentLines() const
{
    std::vector<std::string> lines;
    for (std::string_view name : kFieldOrder) {
        const std::string value = AsWideString(name);
        if (!value.empty())
            lines.push_back(UpperAscii(name) + "=" + value);
    }
    return lines;
}

void FillVorbisTags(TVorbisTags& tags, const TrackRecord& record)
{
    const MusicBrainzIds& ids = record.musicBrainz;
    const std::pair<std::string_view, std::string> fields[] = {
        {"title", record.title},
        {"artist", record.artist},
        {"albumartist", record.albumArtist},
        {"album", record.album},
        {"date", record.date},
        {"genre", record.genre},
        {"tracknumber", NumberText(record.trackNumber)},
        {"tracktotal", NumberText(record.trackTotal)},
        {"discnumber", NumberText(record.discNumber)},
        {"disctotal", NumberText(record.discTotal)},
        {"comment", record.comment},
        {"isrc", record.isrc},
        {"musicbrainz_trackid", ids.recordingId},
        {"musicbrainz_releasetrackid", ids.releaseTrackId},
        {"musicbrainz_albumid", ids.albumId},
        {"musicbrainz_releasegroupid", ids.releaseGroupId},
        {"musicbrainz_artistid", ids.artistId},
        {"musicbrainz_albumartistid", ids.albumArtistId},
        {"musicbrainz_discid", ids.discId},
    };
    tags.Clear();
    for (const auto& [name, value] : fields) {
        if (!value.empty())
            tags.SetValue(name, TagValue::FromWideText(value));
    }
}

} // namespace corvath
