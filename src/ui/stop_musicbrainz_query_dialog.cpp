#include "ui/stop_musicbrainz_query_dialog.h"

#include "lookup/query_musicbrainz_thread.h"

#include <utility>

namespace corvath::ui {

TfrmStopMusicBrainzQuery::TfrmStopMusicBrainzQuery(QWidget* parent, MusicBrainzQuery query)
    : TfrmStopQuery(parent, "MusicBrainz"), query_(std::move(query))
{
}

std::unique_ptr<StoppableLookup> TfrmStopMusicBrainzQuery::StartLookup(MessageTarget& messages)
{
    return std::make_unique<TQueryMusicBrainzThread>(query_, messages);
}

void TfrmStopMusicBrainzQuery::Handle(uint32_t message, intptr_t, MessagePayload* payload)
{
    auto* answer = dynamic_cast<MusicBrainzAnswer*>(payload);
    if (message != kMsgMusicBrainzQuery || !answer)
        return;
    MusicBrainzLookup& lookup = answer->lookup;
    switch (lookup.outcome) {
    case MusicBrainzLookup::Outcome::Found:
        releases_ = std::move(lookup.releases);
        accept();
        break;
    case MusicBrainzLookup::Outcome::NoMatch:
        ShowNoMatch();
        break;
    case MusicBrainzLookup::Outcome::Failed:
        ShowFailure(lookup.failure);
        break;
    case MusicBrainzLookup::Outcome::Cancelled: // only after Stop, which ends the wait
        break;
    }
}

} // namespace corvath::ui
