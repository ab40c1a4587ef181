#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvath {

/// What a tag value holds. Both text kinds carry UTF-8; the kind only records the width the
/// value is meant to have where a format distinguishes 8-bit from wide text.
enum class TagKind { Null, Text, WideText, Integer };

/// One value of a tag container: null, 8-bit text, wide text or an integer.
///
/// Two values are the same when they have the same kind and the same content: "7" as text,
/// "7" as wide text and the integer 7 are three different values.
class TagValue {
public:
    /// The null value, which stands for "no value".
    TagValue() = default;

    static TagValue FromText(std::string_view utf8);
    static TagValue FromWideText(std::string_view utf8);
    static TagValue FromInteger(std::int64_t number);

    TagKind Kind() const { return kind_; }
    bool IsNull() const { return kind_ == TagKind::Null; }
    bool IsText() const { return kind_ == TagKind::Text || kind_ == TagKind::WideText; }

    /// The text of a text value; empty for any other kind.
    const std::string& Text() const { return text_; }
    /// The number of an integer value; 0 for any other kind.
    std::int64_t Integer() const { return integer_; }

    bool operator==(const TagValue&) const = default;

private:
    TagValue(TagKind kind, std::string_view text, std::int64_t integer);

    TagKind kind_ = TagKind::Null;
    std::string text_;
    std::int64_t integer_ = 0;
};

} // namespace corvath
