#pragma once

#include "tags/au_tags.h"

#include <string>
#include <string_view>

namespace corvath {

/// Vorbis comment fields, all wide text: "album", "artist", "date", "genre", "title" and
/// "tracknumber".
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
};

} // namespace corvath
