#include "app/musicbrainz_query_setting.h"

#include "app/cddb_server_setting.h"
#include "lookup/cddb_options.h"
#include "platform/cdrom/disc_id.h"

namespace corvath {

MusicBrainzQuery MusicBrainzQueryOf(const CdToc& toc, const TOptionsSetting& settings)
{
    const MusicBrainzDisc disc = MusicBrainzDiscOf(toc);
    MusicBrainzQuery query;
    query.server = settings.MusicBrainz.Server;
    query.discId = disc.id;
    query.toc = disc.tocQuery;
    query.http = LookupHttpOptions(CddbServerOf(settings.QueryCDDB));
    return query;
}

} // namespace corvath
