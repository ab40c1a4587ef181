#include "tags/riff_info_record.h"

#include "tags/record_fields.h"
#include "tags/taglib_text.h"
#include "tags/text_encodings.h"

#include <algorithm>

namespace corvath {

namespace {

constexpr NamedText kTextFields[] = {
    {RecordText::Title, "INAM"}, {RecordText::Artist, "IART"}, {RecordText::Album, "IPRD"},
    {RecordText::Date, "ICRD"},  {RecordText::Genre, "IGNR"},  {RecordText::Comment, "ICMT"},
};
// There is no standard track field: ffmpeg and TagLib write IPRT, Picard ITRK.
constexpr TextNames kTextNames{kTextFields, "IPRT", {}};
constexpr TextNames kOtherTrackName{{}, "ITRK", {}};

class Utf8OrWindows1252 : public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override
    {
        std::string text = BytesOf(data);
        text.resize(std::min(text.size(), text.find('\0'))); // the field ends at its first NUL
        return TagText(IsValidUtf8(text) ? text : Windows1252ToUtf8(text));
    }
    TagLib::ByteVector render(const TagLib::String& text) const override
    {
        return text.data(TagLib::String::UTF8);
    }
};

} // namespace

void DecodeInfoTextAsUtf8OrWindows1252()
{
    static const Utf8OrWindows1252 handler;
    [[maybe_unused]] static const bool installed =
        (TagLib::RIFF::Info::Tag::setStringHandler(&handler), true);
}

void PutRecord(TagLib::RIFF::Info::Tag& tag, const TrackRecord& record)
{
    // Players show "3/12" as it is; the total is in the ID3v2 chunk beside it.
    TrackRecord own = record;
    own.trackTotal = 0;
    for (const auto& [id, text] : TextsByName(own, kTextNames)) {
        if (text.empty())
            tag.removeField(TagBytes(id));
        else
            tag.setFieldText(TagBytes(id), TagText(text));
    }
}

TrackRecord RecordOf(const TagLib::RIFF::Info::Tag& tag)
{
    const auto fieldText = [&tag](std::string_view id) {
        return Utf8Of(tag.fieldText(TagBytes(id)));
    };
    TrackRecord record;
    ReadTextsByName(record, kTextNames, fieldText);
    ReadTextsByName(record, kOtherTrackName, fieldText);
    return record;
}

} // namespace corvath
