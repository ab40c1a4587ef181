#include "lookup/query_musicbrainz_thread.h"

#include <utility>

namespace corvath {

namespace {

JobMessage AnswerMessage(MusicBrainzLookup lookup)
{
    const auto outcome = static_cast<intptr_t>(lookup.outcome);
    return {kMsgMusicBrainzQuery, outcome, std::make_unique<MusicBrainzAnswer>(std::move(lookup))};
}

} // namespace

MusicBrainzAnswer::MusicBrainzAnswer(MusicBrainzLookup lookup) : lookup(std::move(lookup)) {}

TQueryMusicBrainzThread::TQueryMusicBrainzThread(MusicBrainzQuery query, MessageTarget& messages)
    : BackgroundJob(
          [query = std::move(query)](std::stop_token stop) mutable {
              query.http.stop = std::move(stop);
              return AnswerMessage(LookUpMusicBrainz(query));
          },
          [](const std::exception& error) {
              MusicBrainzLookup failed;
              failed.outcome = MusicBrainzLookup::Outcome::Failed;
              failed.failure = error.what();
              return AnswerMessage(std::move(failed));
          },
          messages)
{
}

} // namespace corvath
