#pragma once

#include "tags/au_tags.h"

#include <string>
#include <string_view>

namespace corvath {

/// APEv2 items. Identifiers and codes (ISBN, ISRC, EAN/UPC, LC, Catalog, Year, Record Date,
/// Track) are 8-bit text; everything else is wide text.
class TAPEv2Tags : public TAuTags {
public:
    TAPEv2Tags();

    std::string Artist() const { return AsWideString("Artist"); }
    void SetArtist(std::string_view text) { SetWideText("Artist", text); }
    std::string Composer() const { return AsWideString("Composer"); }
    void SetComposer(std::string_view text) { SetWideText("Composer", text); }
    std::string Album() const { return AsWideString("Album"); }
    void SetAlbum(std::string_view text) { SetWideText("Album", text); }
    std::string DebutAlbum() const { return AsWideString("Debut album"); }
    void SetDebutAlbum(std::string_view text) { SetWideText("Debut album", text); }
    std::string Publisher() const { return AsWideString("Publisher"); }
    void SetPublisher(std::string_view text) { SetWideText("Publisher", text); }
    std::string Conductor() const { return AsWideString("Conductor"); }
    void SetConductor(std::string_view text) { SetWideText("Conductor", text); }
    std::string Copyright() const { return AsWideString("Copyright"); }
    void SetCopyright(std::string_view text) { SetWideText("Copyright", text); }
    std::string ISBN() const { return AsString("ISBN"); }
    void SetISBN(std::string_view text) { SetText("ISBN", text); }
    std::string ISRC() const { return AsString("ISRC"); }
    void SetISRC(std::string_view text) { SetText("ISRC", text); }
    std::string BarCode() const { return AsString("EAN/UPC"); }
    void SetBarCode(std::string_view text) { SetText("EAN/UPC", text); }
    std::string LabelCode() const { return AsString("LC"); }
    void SetLabelCode(std::string_view text) { SetText("LC", text); }
    std::string Catalog() const { return AsString("Catalog"); }
    void SetCatalog(std::string_view text) { SetText("Catalog", text); }
    std::string Language() const { return AsWideString("Language"); }
    void SetLanguage(std::string_view text) { SetWideText("Language", text); }
    std::string Genre() const { return AsWideString("Genre"); }
    void SetGenre(std::string_view text) { SetWideText("Genre", text); }
    std::string Year() const { return AsString("Year"); }
    void SetYear(std::string_view text) { SetText("Year", text); }
    std::string RecordDate() const { return AsString("Record Date"); }
    void SetRecordDate(std::string_view text) { SetText("Record Date", text); }
    std::string RecordLocation() const { return AsWideString("Record Location"); }
    void SetRecordLocation(std::string_view text) { SetWideText("Record Location", text); }
    std::string File_() const { return AsWideString("File"); }
    void SetFile_(std::string_view text) { SetWideText("File", text); }
    std::string Related() const { return AsWideString("Related"); }
    void SetRelated(std::string_view text) { SetWideText("Related", text); }
    std::string Abstract() const { return AsWideString("Abstract"); }
    void SetAbstract(std::string_view text) { SetWideText("Abstract", text); }
    std::string Bibliography() const { return AsWideString("Bibliography"); }
    void SetBibliography(std::string_view text) { SetWideText("Bibliography", text); }
    std::string Track() const { return AsString("Track"); }
    void SetTrack(std::string_view text) { SetText("Track", text); }
    std::string Title() const { return AsWideString("Title"); }
    void SetTitle(std::string_view text) { SetWideText("Title", text); }
    std::string SubTitle() const { return AsWideString("Subtitle"); }
    void SetSubTitle(std::string_view text) { SetWideText("Subtitle", text); }
    std::string Comment() const { return AsWideString("Comment"); }
    void SetComment(std::string_view text) { SetWideText("Comment", text); }
};

} // namespace corvath
