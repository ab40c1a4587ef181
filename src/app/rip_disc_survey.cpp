#include "app/rip_disc_survey.h"

#include "app/disc_session.h"
#include "app/folder_image.h"
#include "lookup/cover_cache.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <utility>

namespace corvath {

namespace {

void Survey(int32_t cdHandle, AccurateRipAccess access, const std::string& outputFolder,
            std::stop_token stop, MessageTarget& target, bool& laidOut)
{
    auto layout = std::make_unique<RipDiscLayout>();
    CdToc toc;
    if (ModifyCDParms(cdHandle, kCdParmMsfAddresses, 1) && ReadTOC(cdHandle, toc) == 1) {
        layout->toc = toc;
        ReadTrackPregaps(cdHandle, layout->pregaps); // unknown pre-gaps leave no trace
        ReadDiscFacts(cdHandle, layout->facts, CdFactsDepth::WithCodes); // nor do unknown facts
        if (std::optional<CachedCover> cached = LoadCover(DiscKeyOf(toc))) {
            layout->problem = PlaceFolderImage(cached->picture, outputFolder);
            layout->cover = std::move(cached->picture);
        }
    }
    const bool lookUp = layout->toc && !access.server.empty();
    target.Post(kMsgRipDiscLayout, 0, 0, std::move(layout));
    laidOut = true;
    if (!lookUp)
        return;
    access.http.stop = std::move(stop);
    auto answer = std::make_unique<AccurateRipAnswer>();
    answer->lookup = LookUpAccurateRip(access.server, AccurateRipDiscOf(toc), access.http);
    target.Post(kMsgRipAccurateRip, 0, 0, std::move(answer));
}

} // namespace

RipDiscSurvey::RipDiscSurvey(int32_t cdHandle, AccurateRipAccess access, std::string outputFolder,
                             MessageTarget& target)
    : worker_(
          target,
          [cdHandle, access = std::move(access), outputFolder = std::move(outputFolder),
           laidOut = laidOut_](std::stop_token stop, MessageTarget& target) {
              Survey(cdHandle, access, outputFolder, std::move(stop), target, *laidOut);
          },
          // The rip waits for the layout, then for the answer: whichever is missing comes with
          // the reason, a layout without TOC making the first track say the TOC is unreadable.
          [laidOut = laidOut_](const std::exception& error, MessageTarget& target) {
              if (!*laidOut) {
                  auto layout = std::make_unique<RipDiscLayout>();
                  layout->problem = error.what();
                  target.Post(kMsgRipDiscLayout, 0, 0, std::move(layout));
                  return;
              }
              auto answer = std::make_unique<AccurateRipAnswer>();
              answer->lookup.failure = error.what();
              target.Post(kMsgRipAccurateRip, 0, 0, std::move(answer));
          })
{
}

} // namespace corvath
