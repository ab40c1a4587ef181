#pragma once

#include "platform/profile/profile_document.h"

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace corvath {

/// The values a settings key may hold when read: anything outside is clamped.
struct ProfileRange {
    int32_t min;
    int32_t max;
};

/// One key of a settings file and the member of a record that it stores: text, an integer or
/// a boolean ("1"/"0").
template <typename Record> struct ProfileKey {
    template <typename Value> using Member = std::function<Value&(Record&)>;

    std::string_view section;
    std::string_view key;
    std::variant<Member<std::string>, Member<int32_t>, Member<bool>> member;
    std::optional<ProfileRange> range{};

    /// The same key for a record that holds this one's as its base.
    template <typename Derived>
    requires std::derived_from<Derived, Record> ProfileKey<Derived> For()
    const
    {
        return {section, key,
                std::visit(
                    [](const auto& of) -> typename ProfileKey<Derived>::Members {
                        return [of](Derived& record) -> decltype(auto) { return of(record); };
                    },
                    member),
                range};
    }

    using Members = decltype(member);

    /// The value as the file stores it: text unchanged, integers in decimal, booleans "1"/"0".
    std::string ValueText(const Record& record) const
    {
        // The members are only read here; the accessors are shared with the reading side.
        auto& readable = const_cast<Record&>(record);
        return std::visit([&](const auto& of) { return Text(of(readable)); }, member);
    }

    /// Reads the key into record; a missing key or a malformed number gives its value in
    /// defaults.
    void Read(const ProfileDocument& file, Record& defaults, Record& record) const
    {
        std::visit([&](const auto& of) { of(record) = ReadValue(file, of(defaults)); }, member);
    }

private:
    static std::string Text(const std::string& value) { return value; }
    static std::string Text(int32_t value) { return std::to_string(value); }
    static std::string Text(bool value) { return value ? "1" : "0"; }

    std::string ReadValue(const ProfileDocument& file, const std::string& fallback) const
    {
        return file.ReadString(section, key, fallback);
    }
    int32_t ReadValue(const ProfileDocument& file, int32_t fallback) const
    {
        const int32_t value = file.ReadInteger(section, key, fallback);
        return range ? std::clamp(value, range->min, range->max) : value;
    }
    bool ReadValue(const ProfileDocument& file, bool fallback) const
    {
        return file.ReadBool(section, key, fallback);
    }
};

namespace profile_key_detail {
template <typename Pointer> struct MemberPointer;
template <typename Class, typename Value> struct MemberPointer<Value Class::*> {
    using ClassType = Class;
    using ValueType = Value;
};
} // namespace profile_key_detail

/// The key of (record.*Group).*Field, for the record type that declares Group.
template <auto Group, auto Field>
auto MemberKey(std::string_view section, std::string_view key,
               std::optional<ProfileRange> range = std::nullopt)
{
    using Record = typename profile_key_detail::MemberPointer<decltype(Group)>::ClassType;
    using Value = typename profile_key_detail::MemberPointer<decltype(Field)>::ValueType;
    typename ProfileKey<Record>::template Member<Value> member = [](Record& record) -> Value& {
        return (record.*Group).*Field;
    };
    return ProfileKey<Record>{section, key, member, range};
}

} // namespace corvath
