#include "app/cd_text_fill.h"

#include "app/disc_info_store.h"
#include "app/disc_session.h"
#include "platform/cdrom/cd_drive_interface.h"

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

std::string LoadDiscInfoOrCdText(TCDInfo& info, const std::filesystem::path& discInfoFile,
                                 int32_t handle, const CdToc& toc)
{
    const std::string id = DiscKeyOf(toc);
    DiscInfoLoad load = LoadDiscInfo(info, discInfoFile, id);
    if (CdDiscFacts facts;
        !load.stored && !id.empty() && ReadDiscFacts(handle, facts, CdFactsDepth::TextAndFlags))
        FillFromCdText(info, facts, toc.FirstTrack);
    return std::move(load.note);
}

} // namespace corvath
