#include "ui/stop_cddb_query_dialog.h"

namespace corvath::ui {

TfrmStopCddbQuery::TfrmStopCddbQuery(QWidget* parent, const CddbServer& server, uint8_t firstTrack,
                                     uint8_t lastTrack, int32_t cdHandle, CddbEntryTarget& entry)
    : TfrmStopQuery(parent, "CDDB"), server_(server), firstTrack_(firstTrack),
      lastTrack_(lastTrack), cdHandle_(cdHandle), entry_(entry)
{
}

std::unique_ptr<StoppableLookup> TfrmStopCddbQuery::StartLookup(MessageTarget& messages)
{
    return std::make_unique<TQueryCDDBThread>(server_, firstTrack_, lastTrack_, cdHandle_, messages,
                                              entry_);
}

void TfrmStopCddbQuery::Handle(uint32_t message, intptr_t wParam, MessagePayload* payload)
{
    if (message != kMsgCddbQuery)
        return;
    if (wParam == kCddbFinished) {
        accept();
    } else if (wParam == kCddbNoMatch) {
        ShowNoMatch();
    } else if (wParam == kCddbFailed) {
        const auto* failure = dynamic_cast<const CddbFailure*>(payload);
        ShowFailure(failure ? failure->reason : std::string());
    }
}

} // namespace corvath::ui
