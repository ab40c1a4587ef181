#include "app/rip_record.h"

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

} // namespace corvath
