#include "tags/taglib_text.h"

namespace corvath {

TagLib::String TagText(std::string_view utf8)
{
    return {std::string(utf8), TagLib::String::UTF8};
}

std::string Utf8Of(const TagLib::String& text)
{
    return text.to8Bit(true);
}

TagLib::ByteVector TagBytes(std::string_view bytes)
{
    return {bytes.data(), static_cast<unsigned int>(bytes.size())};
}

std::string BytesOf(const TagLib::ByteVector& bytes)
{
    return {bytes.data(), bytes.size()};
}

} // namespace corvath
