#include "app/disc_info_store.h"

#include "app/output_naming.h"
#include "platform/cdrom/track_span.h"
#include "platform/profile/profile_file.h"
#include "tags/genre_names.h"

#include <algorithm>

namespace corvath {

std::string DefaultTitle(int track)
{
    return track == kHiddenTrackPosition ? "Hidden track" : "Track" + TwoDigits(track);
}

namespace {

// Where the disc stands in a set, after the titles: keys older versions do not know.
constexpr std::string_view kDiscNumberKey = "DiscNumber";
constexpr std::string_view kDiscTotalKey = "DiscTotal";

// The keys of a release's details, after the titles; those of a track end in its number.
struct ReleaseKeys {
    std::string_view key;
    std::string ReleaseDetails::*field;
};
constexpr ReleaseKeys kReleaseKeys[] = {
    {"AlbumArtist", &ReleaseDetails::albumArtist},
    {"MusicBrainzAlbumId", &ReleaseDetails::albumId},
    {"MusicBrainzReleaseGroupId", &ReleaseDetails::releaseGroupId},
    {"MusicBrainzAlbumArtistId", &ReleaseDetails::albumArtistId},
    {"MusicBrainzDiscId", &ReleaseDetails::discId},
};
struct TrackKeys {
    std::string_view prefix;
    std::string ReleaseDetails::Track::*field;
};
constexpr TrackKeys kTrackKeys[] = {
    {"Artist", &ReleaseDetails::Track::artist},
    {"MusicBrainzArtistId", &ReleaseDetails::Track::artistId},
    {"MusicBrainzRecordingId", &ReleaseDetails::Track::recordingId},
    {"MusicBrainzReleaseTrackId", &ReleaseDetails::Track::releaseTrackId},
    {"ISRC", &ReleaseDetails::Track::isrc},
};

std::string TrackKey(std::string_view prefix, int track)
{
    return std::string(prefix) + std::to_string(track);
}

ReleaseDetails LoadRelease(const ProfileDocument& file, std::string_view id, int titleCount)
{
    ReleaseDetails release;
    for (const auto& [key, field] : kReleaseKeys)
        release.*field = file.ReadString(id, key, "");
    if (release.Empty())
        return release;
    for (int track = 1; track <= titleCount; ++track) {
        ReleaseDetails::Track& details = release.tracks.emplace_back();
        for (const auto& [prefix, field] : kTrackKeys)
            details.*field = file.ReadString(id, TrackKey(prefix, track), "");
    }
    return release;
}

// Written only for a disc that has or had a release, so other sections keep their few keys;
// a release that went is overwritten with empty values.
void SaveRelease(ProfileDocument& file, std::string_view id, const ReleaseDetails& release,
                 int titleCount)
{
    if (release.Empty() && file.ReadString(id, "MusicBrainzAlbumId", "").empty())
        return;
    for (const auto& [key, field] : kReleaseKeys)
        file.WriteString(id, key, release.*field);
    const ReleaseDetails::Track none;
    for (int track = 1; track <= titleCount; ++track) {
        const auto index = static_cast<std::size_t>(track - 1);
        const ReleaseDetails::Track& details =
            index < release.tracks.size() ? release.tracks[index] : none;
        for (const auto& [prefix, field] : kTrackKeys)
            file.WriteString(id, TrackKey(prefix, track), details.*field);
    }
}

} // namespace

std::string GenreNameOf(const TDiscFields& fields)
{
    const int32_t index = fields.GenreIndex;
    const bool listed = index >= 1 && index <= static_cast<int32_t>(GenreNames.size());
    return listed ? std::string(GenreNames[static_cast<std::size_t>(index - 1)]) : std::string();
}

TDiscFields StoredDiscFields(const TCDInfo& info)
{
    return {info.CDArtist,  info.CDAlbum,      info.CDYear,     info.CDGenre,
            info.CDComment, info.CDDiscNumber, info.CDDiscTotal};
}

DiscInfoLoad LoadDiscInfo(TCDInfo& info, const std::filesystem::path& discInfoFile,
                          std::string_view id)
{
    if (id.empty())
        return {};
    ProfileDocument file;
    try {
        file = LoadProfile(discInfoFile);
    } catch (const ProfileReadError&) {
        // Read as a disc never seen; saving will refuse to write over the file.
    }
    info.CDArtist = file.ReadString(id, "CDArtist", "");
    info.CDAlbum = file.ReadString(id, "CDAlbum", "");
    info.CDYear = file.ReadString(id, "CDYear", "");
    info.CDGenre = file.ReadInteger(id, "CDGenre", -1);
    info.CDComment = file.ReadString(id, "CDComment", "");
    info.CDDiscNumber = file.ReadInteger(id, kDiscNumberKey, 0);
    info.CDDiscTotal = file.ReadInteger(id, kDiscTotalKey, 0);
    info.CDTrackNumber = file.ReadInteger(id, "CDTrackNumber", TTitleSlots::kCount);

    const int count = std::min(info.CDTrackNumber, TTitleSlots::kCount);
    for (int track = 1; track <= count; ++track) {
        std::string title = file.ReadString(id, std::to_string(track), "");
        info.Titles[track] = title.empty() ? DefaultTitle(track) : std::move(title);
    }
    // Only discs with a hidden track have one.
    info.Titles[0] = file.ReadString(id, "0", "");
    info.Release = LoadRelease(file, id, std::max(count, 0));
    return {file.HasSection(id), MendedLinesNote(file, discInfoFile)};
}

void SaveDiscInfo(const TCDInfo& info, const TDiscFields& fields,
                  const std::filesystem::path& discInfoFile, std::string_view id)
{
    if (id.empty())
        return;
    ProfileDocument file = LoadProfile(discInfoFile);
    file.WriteString(id, "CDArtist", fields.Artist);
    file.WriteString(id, "CDAlbum", fields.Album);
    file.WriteString(id, "CDYear", fields.Year);
    file.WriteString(id, "CDGenre", std::to_string(fields.GenreIndex));
    file.WriteString(id, "CDComment", fields.Comment);
    file.WriteString(id, "CDTrackNumber", std::to_string(info.CDTrackNumber));
    const int count = std::min(info.CDTrackNumber, TTitleSlots::kCount);
    for (int track = info.Titles[0].empty() ? 1 : 0; track <= count; ++track)
        file.WriteString(id, std::to_string(track), info.Titles[track]);
    // Only for a disc that is or was part of a set, so other sections keep their few keys.
    if (fields.DiscNumber != 0 || fields.DiscTotal != 0 ||
        !file.ReadString(id, kDiscNumberKey, "").empty()) {
        file.WriteString(id, kDiscNumberKey, std::to_string(fields.DiscNumber));
        file.WriteString(id, kDiscTotalKey, std::to_string(fields.DiscTotal));
    }
    SaveRelease(file, id, info.Release, std::max(count, 0));
    SaveProfile(file, discInfoFile);
}

} // namespace corvath
