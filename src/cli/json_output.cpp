#include "cli/json_output.h"

#include "lookup/accurate_rip.h"
#include "platform/cdrom/disc_id.h"
#include "platform/text/hex_text.h"

#include <nlohmann/json.hpp>

namespace corvath::cli {

namespace {

using Json = nlohmann::ordered_json;

// Indented, with bytes that are not UTF-8 replaced rather than refused: titles come from
// servers and discs.
std::string Text(const Json& json)
{
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
}

Json OrNull(const std::string& text)
{
    return text.empty() ? Json(nullptr) : Json(text);
}

Json AccurateRipJson(const CdToc& toc)
{
    const AccurateRipDisc disc = AccurateRipDiscOf(toc);
    return {{"audio_tracks", disc.audioTracks},
            {"id1", HexText(disc.id1, 8, HexLetters::Lower)},
            {"id2", HexText(disc.id2, 8, HexLetters::Lower)},
            {"freedb_id", HexText(disc.freedbId, 8, HexLetters::Lower)},
            {"path", AccurateRipPath(disc)}};
}

} // namespace

std::string TocJson(const CdToc& toc, bool hiddenTrack, int32_t readOffset)
{
    const DiscFrames disc = TocFrames(toc);
    const std::vector<uint32_t> ends = TrackEndFrames(toc);
    Json tracks = Json::array();
    for (std::size_t k = 0; k < disc.trackStarts.size(); ++k) {
        Json track = {{"number", toc.Entries[k].TrackNumber},
                      {"start", disc.trackStarts[k] - kCdLeadInSectors},
                      {"length", ends[k] - disc.trackStarts[k]},
                      {"type", IsDataTrack(toc.Entries[k]) ? "data" : "audio"}};
        // Only the first track's pre-gap shows in a TOC: the sectors before it.
        if (k == 0)
            track["pregap"] = disc.trackStarts[0] - kCdLeadInSectors;
        tracks.push_back(std::move(track));
    }
    const Json json = {{"first_track", toc.FirstTrack},
                       {"last_track", toc.LastTrack},
                       {"lead_out", disc.leadOut - kCdLeadInSectors},
                       {"hidden_track", hiddenTrack},
                       {"freedb_disc_id", FreedbDiscId(disc)},
                       {"musicbrainz_disc_id", OrNull(MusicBrainzDiscOf(toc).id)},
                       {"windows_disc_serial", WindowsDiscSerial(toc)},
                       {"accuraterip", AccurateRipJson(toc)},
                       {"read_offset", readOffset},
                       {"tracks", std::move(tracks)}};
    return Text(json);
}

std::string ReleasesJson(const std::vector<MusicBrainzRelease>& releases)
{
    Json list = Json::array();
    for (std::size_t i = 0; i < releases.size(); ++i) {
        const MusicBrainzRelease& release = releases[i];
        list.push_back({{"number", i + 1},
                        {"id", release.id},
                        {"title", release.title},
                        {"artist", release.artist},
                        {"date", OrNull(release.date)},
                        {"country", OrNull(release.country)},
                        {"label", OrNull(release.label)},
                        {"catalog_number", OrNull(release.catalogNumber)},
                        {"format", OrNull(release.format)},
                        {"medium_position", release.mediumPosition},
                        {"medium_count", release.mediumCount},
                        {"track_count", release.trackCount}});
    }
    return Text(Json{{"releases", std::move(list)}});
}

} // namespace corvath::cli
