#pragma once

#include "lookup/musicbrainz_lookup.h"
#include "ui/stop_query_dialog.h"

#include <vector>

namespace corvath::ui {

/// The wait window of a MusicBrainz lookup. It closes as Accepted once releases are found;
/// choosing and applying one is up to its owner.
class TfrmStopMusicBrainzQuery : public TfrmStopQuery {
    Q_OBJECT

public:
    TfrmStopMusicBrainzQuery(QWidget* parent, MusicBrainzQuery query);

    /// The releases found, once the window is accepted.
    const std::vector<MusicBrainzRelease>& Releases() const { return releases_; }

protected:
    std::unique_ptr<StoppableLookup> StartLookup(MessageTarget& messages) override;
    void Handle(uint32_t message, intptr_t wParam, MessagePayload* payload) override;

private:
    const MusicBrainzQuery query_;
    std::vector<MusicBrainzRelease> releases_;
};

} // namespace corvath::ui
