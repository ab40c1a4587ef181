#include "app/cd_text_fill.h"

namespace corvath {

namespace {

void FillFrom(std::string& field, const std::string& text)
{
    if (!text.empty())
        field = text;
}

} // namespace

void FillFromCdText(TCDInfo& info, const CdDiscFacts& facts, int firstTrack)
{
    FillFrom(info.CDAlbum, facts.Title);
    FillFrom(info.CDArtist, facts.Performer);
    for (std::size_t k = 0; k < facts.Tracks.size(); ++k) {
        const int track = firstTrack + static_cast<int>(k);
        if (track >= 1 && track <= TTitleSlots::kCount)
            FillFrom(info.Titles[track], facts.Tracks[k].Title);
    }
}

} // namespace corvath
