#pragma once

#include "lookup/query_cddb_thread.h"
#include "ui/stop_query_dialog.h"

namespace corvath::ui {

/// The wait window of a CDDB lookup. It closes as Accepted once the lookup has written the
/// disc's entry into the entry target.
class TfrmStopCddbQuery : public TfrmStopQuery {
    Q_OBJECT

public:
    /// entry receives what the lookup finds and must outlive the window.
    TfrmStopCddbQuery(QWidget* parent, const CddbServer& server, uint8_t firstTrack,
                      uint8_t lastTrack, int32_t cdHandle, CddbEntryTarget& entry);

protected:
    std::unique_ptr<StoppableLookup> StartLookup(MessageTarget& messages) override;
    void Handle(uint32_t message, intptr_t wParam, MessagePayload* payload) override;

private:
    const CddbServer server_;
    const uint8_t firstTrack_;
    const uint8_t lastTrack_;
    const int32_t cdHandle_;
    CddbEntryTarget& entry_;
};

} // namespace corvath::ui
