#pragma once

#include "tags/au_tags.h"
#include "tags/track_record.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvath {

/// Vorbis comment fields, all wide text: the six of the title, artist, album, date, genre and
/// track number properties, and the names music libraries read beside them (album artist, track
/// and disc totals, disc number, comment, ISRC and the MusicBrainz identifiers).
class TVorbisTags : public TAuTags {
public:
    TVorbisTags();

    std::string Album() const { return AsWideString("album"); }
    void SetAlbum(std::string_view text) { SetWideText("album", text); }
    std::string Artist() const { return AsWideString("artist"); }
    void SetArtist(std::string_view text) { SetWideText("artist", text); }
    std::string Date() const { return AsWideString("date"); }
    void SetDate(std::string_view text) { SetWideText("date", text); }
    std::string Genre() const { return AsWideString("genre"); }
    void SetGenre(std::string_view text) { SetWideText("genre", text); }
    std::string Title() const { return AsWideString("title"); }
    void SetTitle(std::string_view text) { SetWideText("title", text); }
    std::string Track() const { return AsWideString("tracknumber"); }
    void SetTrack(std::string_view text) { SetWideText("tracknumber", text); }

    /// Every field that holds a value as "NAME=value", the name in capitals, in the order
    /// players list them: title, artists, album, date, genre, numbers, comment, identifiers.
    std::vector<std::string> CommentLines() const;
};

/// Empties tags, then fills them with the record's fields; a number of 0 and an empty text
/// write nothing. The cover has a place of its own in each format.
void FillVorbisTags(TVorbisTags& tags, const TrackRecord& record);

} // namespace corvath
