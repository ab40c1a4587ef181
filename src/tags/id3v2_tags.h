#pragma once

#include "tags/au_tags.h"

#include <string>
#include <string_view>

namespace corvath {

/// ID3v2 text frames, all wide text. The properties use the ID3v2.3 frame ids; the matching
/// ID3v2.2 ids (TT2, TP1, TAL, TRK, TYE, TCO, COM, TCM, TEN, TCR, TLA, WXX) are declared too,
/// so that Assign can carry them, but no property reaches them.
class TId3v2Tags : public TAuTags {
public:
    TId3v2Tags();

    std::string Title() const { return AsWideString("TIT2"); }
    void SetTitle(std::string_view text) { SetWideText("TIT2", text); }
    std::string Artist() const { return AsWideString("TPE1"); }
    void SetArtist(std::string_view text) { SetWideText("TPE1", text); }
    std::string Album() const { return AsWideString("TALB"); }
    void SetAlbum(std::string_view text) { SetWideText("TALB", text); }
    std::string Track() const { return AsWideString("TRCK"); }
    void SetTrack(std::string_view text) { SetWideText("TRCK", text); }
    std::string Year() const { return AsWideString("TYER"); }
    void SetYear(std::string_view text) { SetWideText("TYER", text); }
    std::string Genre() const { return AsWideString("TCON"); }
    void SetGenre(std::string_view text) { SetWideText("TCON", text); }
    std::string Comment() const { return AsWideString("COMM"); }
    void SetComment(std::string_view text) { SetWideText("COMM", text); }
    std::string Composer() const { return AsWideString("TCOM"); }
    void SetComposer(std::string_view text) { SetWideText("TCOM", text); }
    std::string Encoder() const { return AsWideString("TENC"); }
    void SetEncoder(std::string_view text) { SetWideText("TENC", text); }
    std::string Copyright() const { return AsWideString("TCOP"); }
    void SetCopyright(std::string_view text) { SetWideText("TCOP", text); }
    std::string Language() const { return AsWideString("TLAN"); }
    void SetLanguage(std::string_view text) { SetWideText("TLAN", text); }
    std::string Link() const { return AsWideString("WXXX"); }
    void SetLink(std::string_view text) { SetWideText("WXXX", text); }
};

} // namespace corvath
