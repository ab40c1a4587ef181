#include "tags/tag_value.h"

namespace corvath {

TagValue::TagValue(TagKind kind, std::string_view text, std::int64_t integer)
    : kind_(kind), text_(text), integer_(integer)
{
}

TagValue TagValue::FromText(std::string_view utf8)
{
    return {TagKind::Text, utf8, 0};
}

TagValue TagValue::FromWideText(std::string_view utf8)
{
    return {TagKind::WideText, utf8, 0};
}

TagValue TagValue::FromInteger(std::int64_t number)
{
    return {TagKind::Integer, {}, number};
}

} // namespace corvath
