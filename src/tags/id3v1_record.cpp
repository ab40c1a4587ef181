#include "tags/id3v1_record.h"

#include "tags/taglib_text.h"

namespace corvath {

TrackRecord RecordOf(const TagLib::ID3v1::Tag& tag)
{
    TrackRecord record;
    record.title = Utf8Of(tag.title());
    record.artist = Utf8Of(tag.artist());
    record.album = Utf8Of(tag.album());
    if (tag.year() > 0)
        record.date = std::to_string(tag.year());
    record.comment = Utf8Of(tag.comment());
    record.genre = Utf8Of(tag.genre());
    record.trackNumber = static_cast<int>(tag.track());
    return record;
}

} // namespace corvath
