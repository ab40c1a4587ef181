#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace corvath::cli {

/// The whole text as a decimal number; nothing when it is empty, has other characters or does
/// not fit.
template <typename Number> std::optional<Number> ParseNumber(std::string_view text)
{
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

} // namespace corvath::cli
