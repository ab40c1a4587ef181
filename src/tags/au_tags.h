#pragma once

#include "tags/tag_value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvath {

/// A set of named tag values. Names are kept sorted and compared without regard to the case of
/// ASCII letters; each declared name owns one value, null until set. Containers never touch
/// files: outputs turn them into metadata through their codec libraries.
///
/// A new container is Empty and not Changed. Not thread-safe; its owner serialises access.
class TAuTags {
public:
    /// Number of declared names.
    int Count() const { return static_cast<int>(entries_.size()); }

    /// The name at index in sorted order; empty when index is out of range.
    std::string NameAt(int index) const;

    /// The value stored under name; null for an undeclared name.
    TagValue GetValue(std::string_view name) const;

    /// Stores value under a declared name when it differs from the stored value, and then makes
    /// the container non-Empty and Changed. An undeclared name or the same value changes nothing.
    void SetValue(std::string_view name, const TagValue& value);

    /// Integers as they are, text parsed as a whole decimal integer (0 when it is not one),
    /// anything else 0.
    std::int64_t AsInteger(std::string_view name) const;

    /// Integers in decimal, text as it is, anything else empty.
    std::string AsString(std::string_view name) const;

    /// As AsString; wide text is UTF-8 inside the program as well.
    std::string AsWideString(std::string_view name) const { return AsString(name); }

    /// Adds name with a null value unless it is empty or already declared.
    void DeclareName(std::string_view name);

    /// Makes every value null; the container becomes Empty and Changed.
    void Clear();

    /// True after Clear (and when new), false after any change.
    bool Empty() const { return empty_; }

    /// True after any change or Clear; never reset.
    bool Changed() const { return changed_; }

    /// Clears this container, then copies every value of source whose name this container
    /// declares (names compared without regard to case). Assigning a container to itself
    /// keeps its values.
    void Assign(const TAuTags& source);

    /// destination.Assign(*this).
    void AssignTo(TAuTags& destination) const { destination.Assign(*this); }

protected:
    void SetText(std::string_view name, std::string_view text)
    {
        SetValue(name, TagValue::FromText(text));
    }
    void SetWideText(std::string_view name, std::string_view text)
    {
        SetValue(name, TagValue::FromWideText(text));
    }
    void SetInteger(std::string_view name, std::int64_t number)
    {
        SetValue(name, TagValue::FromInteger(number));
    }

private:
    using Entry = std::pair<std::string, TagValue>;

    /// Where name is or would be inserted.
    std::vector<Entry>::const_iterator LowerBound(std::string_view name) const;
    /// Index of a declared name, or entries_.size() when name is not declared.
    std::size_t IndexOf(std::string_view name) const;

    std::vector<Entry> entries_;
    bool empty_ = true;
    bool changed_ = false;
};

} // namespace corvath
