#include "tags/xiph_record.h"

#include "tags/cover_choice.h"
#include "tags/record_fields.h"
#include "tags/taglib_text.h"

#include <string_view>

namespace corvath {

namespace {

// Xiph's own name for the comment comes second: Picard and TagLib write COMMENT.
constexpr auto kTextFields = JoinedNames(
    {
        {RecordText::Title, "TITLE"},
        {RecordText::Artist, "ARTIST"},
        {RecordText::AlbumArtist, "ALBUMARTIST"},
        {RecordText::Album, "ALBUM"},
        {RecordText::Date, "DATE"},
        {RecordText::Genre, "GENRE"},
        {RecordText::Comment, "COMMENT"},
        {RecordText::Comment, "DESCRIPTION"},
    },
    kVorbisStyleIdNames);
constexpr TextNames kTextNames{kTextFields, "TRACKNUMBER", "DISCNUMBER"};

// TagLib keeps the names in upper case.
std::string FieldText(const TagLib::Ogg::FieldListMap& fields, std::string_view name)
{
    const auto found = fields.find(TagText(name));
    return found == fields.end() || found->second.isEmpty() ? std::string()
                                                            : Utf8Of(found->second.front());
}

// A total of its own, under either name, where the number came without one.
void ReadTotal(const TagLib::Ogg::FieldListMap& fields, std::string_view name,
               std::string_view otherName, int& total)
{
    for (const std::string_view totalName : {name, otherName}) {
        int ignored = 0;
        if (total == 0)
            ReadNumberPair(FieldText(fields, totalName), total, ignored);
    }
}

} // namespace

TrackRecord RecordOf(TagLib::Ogg::XiphComment& comment)
{
    const TagLib::Ogg::FieldListMap& fields = comment.fieldListMap();
    TrackRecord record;
    ReadTextsByName(record, kTextNames,
                    [&fields](std::string_view name) { return FieldText(fields, name); });
    ReadTotal(fields, "TRACKTOTAL", "TOTALTRACKS", record.trackTotal);
    ReadTotal(fields, "DISCTOTAL", "TOTALDISCS", record.discTotal);
    record.cover = CoverOf(comment.pictureList());
    return record;
}

std::optional<CoverPicture> CoverOf(const TagLib::List<TagLib::FLAC::Picture*>& pictures)
{
    CoverChoice choice;
    for (const TagLib::FLAC::Picture* picture : pictures)
        choice.Offer(picture->type() == TagLib::FLAC::Picture::FrontCover,
                     BytesOf(picture->data()));
    return choice.Chosen();
}

} // namespace corvath
