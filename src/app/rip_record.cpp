#include "app/rip_record.h"

#include <cstdio>

namespace corvath {

std::string VerdictText(const TrackVerdict& verdict)
{
    switch (verdict.kind) {
    case TrackVerdict::Kind::Accurate:
        return "accurately ripped (confidence " + std::to_string(verdict.confidence) + ")";
    case TrackVerdict::Kind::NotAccurate:
        return "not accurate";
    case TrackVerdict::Kind::NotInDatabase:
        return "not in database";
    case TrackVerdict::Kind::LookupFailed:
        return "lookup failed";
    case TrackVerdict::Kind::NotChecked:
        break;
    }
    return "not verified";
}

std::string SingleLine(std::string text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return text;
}

std::string SectorTime(uint32_t sectors, char frameSeparator)
{
    constexpr uint32_t kPerSecond = 75;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u%c%02u", sectors / (60 * kPerSecond),
                  sectors / kPerSecond % 60, frameSeparator, sectors % kPerSecond);
    return text;
}

} // namespace corvath
