#include "app/rip_disc_survey.h"

#include "app/disc_session.h"
#include "app/folder_image.h"
#include "lookup/cover_cache.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <utility>

namespace corvath {

RipDiscSurvey::RipDiscSurvey(int32_t cdHandle, AccurateRipAccess access, std::string outputFolder,
                             MessageTarget& target)
    : access_(std::move(access)), outputFolder_(std::move(outputFolder)), target_(target)
{
    thread_ = std::thread([this, cdHandle] { Run(cdHandle); });
}

RipDiscSurvey::~RipDiscSurvey()
{
    cancel_ = true;
    thread_.join();
}

void RipDiscSurvey::Run(int32_t cdHandle)
{
    auto layout = std::make_unique<RipDiscLayout>();
    CdToc toc;
    if (ModifyCDParms(cdHandle, kCdParmMsfAddresses, 1) && ReadTOC(cdHandle, toc) == 1) {
        layout->toc = toc;
        ReadTrackPregaps(cdHandle, layout->pregaps); // unknown pre-gaps leave no trace
        ReadDiscFacts(cdHandle, layout->facts, CdFactsDepth::WithCodes); // nor do unknown facts
        if (std::optional<CachedCover> cached = LoadCover(DiscKeyOf(toc))) {
            layout->coverProblem = PlaceFolderImage(cached->picture, outputFolder_);
            layout->cover = std::move(cached->picture);
        }
    }
    const bool lookUp = layout->toc && !access_.server.empty();
    target_.Post(kMsgRipDiscLayout, 0, 0, std::move(layout));
    if (!lookUp)
        return;
    HttpGetOptions http = access_.http;
    http.cancel = &cancel_;
    auto answer = std::make_unique<AccurateRipAnswer>();
    answer->lookup = LookUpAccurateRip(access_.server, AccurateRipDiscOf(toc), http);
    target_.Post(kMsgRipAccurateRip, 0, 0, std::move(answer));
}

} // namespace corvath
