#include "cd/album_disc_suffix.h"

#include <regex>

namespace corvath {

std::optional<AlbumDisc> SplitAlbumDisc(std::string_view title)
{
    // The disc's part stands in brackets, or after a blank, dash, comma or colon.
    static const std::regex kDiscEnd(
        R"(^(.*?)(?:\s*[\(\[]\s*|[\s,:-]+)(?:disc|disk|cd)\s*(\d{1,2})(?:\s*(?:of|/)\s*(\d{1,2}))?\s*[\)\]]?\s*$)",
        std::regex::icase);
    const std::string text(title);
    std::smatch match;
    if (!std::regex_match(text, match, kDiscEnd) || match[1].length() == 0)
        return std::nullopt;
    const int number = std::stoi(match[2].str());
    if (number == 0)
        return std::nullopt;
    return AlbumDisc{match[1].str(), number, match[3].matched ? std::stoi(match[3].str()) : 0};
}

} // namespace corvath
