#include "tags/au_tags.h"

#include "platform/text/ascii_case.h"

#include <algorithm>
#include <charconv>

namespace corvath {

namespace {

bool NameBefore(const std::pair<std::string, TagValue>& entry, std::string_view name)
{
    return CompareIgnoringCase(entry.first, name) < 0;
}

} // namespace

std::vector<TAuTags::Entry>::const_iterator TAuTags::LowerBound(std::string_view name) const
{
    return std::lower_bound(entries_.begin(), entries_.end(), name, NameBefore);
}

std::size_t TAuTags::IndexOf(std::string_view name) const
{
    const auto at = LowerBound(name);
    if (at == entries_.end() || !EqualIgnoringCase(at->first, name))
        return entries_.size();
    return static_cast<std::size_t>(at - entries_.begin());
}

std::string TAuTags::NameAt(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return entries_[static_cast<std::size_t>(index)].first;
}

TagValue TAuTags::GetValue(std::string_view name) const
{
    const std::size_t index = IndexOf(name);
    return index == entries_.size() ? TagValue() : entries_[index].second;
}

void TAuTags::SetValue(std::string_view name, const TagValue& value)
{
    const std::size_t index = IndexOf(name);
    if (index == entries_.size() || entries_[index].second == value)
        return;
    entries_[index].second = value;
    empty_ = false;
    changed_ = true;
}

std::int64_t TAuTags::AsInteger(std::string_view name) const
{
    const TagValue value = GetValue(name);
    if (value.Kind() == TagKind::Integer)
        return value.Integer();
    if (!value.IsText())
        return 0;
    const std::string& text = value.Text();
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() ? number : 0;
}

std::string TAuTags::AsString(std::string_view name) const
{
    const TagValue value = GetValue(name);
    if (value.Kind() == TagKind::Integer)
        return std::to_string(value.Integer());
    return value.Text();
}

void TAuTags::DeclareName(std::string_view name)
{
    if (name.empty() || IndexOf(name) != entries_.size())
        return;
    entries_.insert(LowerBound(name), Entry(name, TagValue()));
}

void TAuTags::Clear()
{
    for (Entry& entry : entries_)
        entry.second = TagValue();
    empty_ = true;
    changed_ = true;
}

void TAuTags::Assign(const TAuTags& source)
{
    // Clearing first would wipe the very values a self-assignment is meant to copy.
    if (&source == this)
        return;
    Clear();
    for (const auto& [name, value] : source.entries_)
        SetValue(name, value);
}

} // namespace corvath
