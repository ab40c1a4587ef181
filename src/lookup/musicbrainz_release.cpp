#include "lookup/musicbrainz_release.h"

#include "platform/text/control_characters.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace corvath {

namespace {

using Json = nlohmann::json;

// MusicBrainz writes null for unknown values, so absent and null read alike.
const Json* Field(const Json& object, const char* key)
{
    if (!object.is_object())
        throw std::runtime_error("an entry is not a JSON object");
    const auto found = object.find(key);
    return found == object.end() || found->is_null() ? nullptr : &*found;
}

// Every text of the answer comes through here, so none shows or is stored with control
// characters ("\u0000" is valid JSON).
std::string Text(const Json& value)
{
    return value.is_string() ? BlankControlCharacters(value.get<std::string>()) : std::string();
}

std::string Text(const Json& object, const char* key)
{
    const Json* value = Field(object, key);
    return value != nullptr ? Text(*value) : std::string();
}

int Number(const Json& object, const char* key)
{
    const Json* value = Field(object, key);
    return value != nullptr && value->is_number_integer() ? value->get<int>() : 0;
}

const Json& List(const Json& object, const char* key)
{
    static const Json empty = Json::array();
    const Json* value = Field(object, key);
    if (value == nullptr)
        return empty;
    if (!value->is_array())
        throw std::runtime_error(std::string("\"") + key + "\" is not a list");
    return *value;
}

int YearOf(const std::string& date)
{
    if (date.size() < 4 ||
        !std::all_of(date.begin(), date.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoi(date.substr(0, 4));
}

std::string JoinedArtistCredit(const Json& entity)
{
    std::string artist;
    for (const Json& credit : List(entity, "artist-credit"))
        artist += Text(credit, "name") + Text(credit, "joinphrase");
    return artist;
}

// The MBID of the first artist credited.
std::string FirstArtistId(const Json& entity)
{
    const Json& credits = List(entity, "artist-credit");
    if (credits.empty())
        return {};
    const Json* artist = Field(credits.front(), "artist");
    return artist != nullptr ? Text(*artist, "id") : std::string();
}

bool HasDisc(const Json& medium, const std::string& discId)
{
    const Json& discs = List(medium, "discs");
    return std::any_of(discs.begin(), discs.end(),
                       [&](const Json& disc) { return Text(disc, "id") == discId; });
}

int TrackCountOf(const Json& medium)
{
    const int count = Number(medium, "track-count");
    return count > 0 ? count : static_cast<int>(List(medium, "tracks").size());
}

// The medium that is the disc: by its disc ID, else by its track count.
const Json* MatchingMedium(const Json& media, const std::string& discId, int tocTrackCount)
{
    const auto byId =
        std::find_if(media.begin(), media.end(), [&](const Json& m) { return HasDisc(m, discId); });
    if (byId != media.end())
        return &*byId;
    const auto byCount = std::find_if(media.begin(), media.end(), [&](const Json& m) {
        return TrackCountOf(m) == tocTrackCount;
    });
    return byCount != media.end() ? &*byCount : nullptr;
}

std::vector<const Json*> TracksInOrder(const Json& medium)
{
    std::vector<const Json*> tracks;
    for (const Json& track : List(medium, "tracks"))
        tracks.push_back(&track);
    std::stable_sort(tracks.begin(), tracks.end(), [](const Json* a, const Json* b) {
        return Number(*a, "position") < Number(*b, "position");
    });
    return tracks;
}

// A track's own credit counts only where it is not the album's.
ReleaseDetails::Track TrackDetails(const Json& track, const std::string& albumArtist)
{
    ReleaseDetails::Track details;
    details.releaseTrackId = Text(track, "id");
    const Json* recording = Field(track, "recording");
    const Json& credited =
        !List(track, "artist-credit").empty() || recording == nullptr ? track : *recording;
    if (const std::string artist = JoinedArtistCredit(credited); artist != albumArtist)
        details.artist = artist;
    details.artistId = FirstArtistId(credited);
    if (recording != nullptr) {
        details.recordingId = Text(*recording, "id");
        const Json& isrcs = List(*recording, "isrcs");
        if (!isrcs.empty())
            details.isrc = Text(isrcs.front());
    }
    return details;
}

void ReadLabel(const Json& release, MusicBrainzRelease& into)
{
    const Json& labels = List(release, "label-info");
    if (labels.empty())
        return;
    into.catalogNumber = Text(labels.front(), "catalog-number");
    if (const Json* label = Field(labels.front(), "label"))
        into.label = Text(*label, "name");
}

} // namespace

std::vector<MusicBrainzRelease>
ParseMusicBrainzReleases(const std::string& json, const std::string& discId, int tocTrackCount)
{
    const Json answer = Json::parse(json);
    std::vector<MusicBrainzRelease> releases;
    for (const Json& release : List(answer, "releases")) {
        const Json& media = List(release, "media");
        const Json* medium = MatchingMedium(media, discId, tocTrackCount);
        if (medium == nullptr)
            continue;
        MusicBrainzRelease& entry = releases.emplace_back();
        entry.id = Text(release, "id");
        entry.title = Text(release, "title");
        entry.artist = JoinedArtistCredit(release);
        entry.date = Text(release, "date");
        entry.year = YearOf(entry.date);
        entry.country = Text(release, "country");
        ReadLabel(release, entry);
        entry.format = Text(*medium, "format");
        entry.trackCount = TrackCountOf(*medium);
        entry.mediumPosition = Number(*medium, "position");
        entry.mediumCount = static_cast<int>(media.size());
        for (const Json& genre : List(release, "genres"))
            entry.genres.push_back(Text(genre, "name"));
        ReleaseDetails& details = entry.details;
        details.albumArtist = entry.artist;
        details.albumArtistId = FirstArtistId(release);
        details.albumId = entry.id;
        if (const Json* group = Field(release, "release-group"))
            details.releaseGroupId = Text(*group, "id");
        if (HasDisc(*medium, discId))
            details.discId = discId;
        for (const Json* track : TracksInOrder(*medium)) {
            entry.trackTitles.push_back(Text(*track, "title"));
            details.tracks.push_back(TrackDetails(*track, entry.artist));
        }
    }
    return releases;
}

} // namespace corvath
