#include "app/musicbrainz_query_setting.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

// Three tracks at frames 150, 250 and 350, the lead-out at 450, as read with MSF addresses.
CdToc ThreeTrackToc()
{
    CdToc toc;
    toc.FirstTrack = 1;
    toc.LastTrack = 3;
    const uint32_t frames[] = {150, 250, 350, 450};
    for (int k = 0; k < 4; ++k) {
        CdTocEntry& entry = toc.Entries[k];
        entry.TrackNumber = k == 3 ? 0xAA : static_cast<uint8_t>(k + 1);
        entry.Address = {0, static_cast<uint8_t>(frames[k] / 4500),
                         static_cast<uint8_t>(frames[k] / 75 % 60),
                         static_cast<uint8_t>(frames[k] % 75)};
    }
    return toc;
}

TEST(MusicBrainzQuerySetting, TheDiscGoesToTheSettingsServerThroughTheCddbProxy)
{
    TOptionsSetting settings;
    settings.MusicBrainz.Server = "http://127.0.0.1:8080";
    settings.QueryCDDB.UseProxy = true;
    settings.QueryCDDB.ProxyAddress = "proxy.example";
    settings.QueryCDDB.Port = "3128";

    const MusicBrainzQuery query = MusicBrainzQueryOf(ThreeTrackToc(), settings);
    EXPECT_EQ(query.server, "http://127.0.0.1:8080");
    EXPECT_EQ(query.toc, "1+3+450+150+250+350");
    EXPECT_EQ(query.discId.size(), 28u) << query.discId;
    EXPECT_EQ(query.http.proxy, "http://proxy.example:3128");
    EXPECT_GT(query.http.requestTimeout.count(), 0);

    settings.QueryCDDB.UseProxy = false;
    EXPECT_EQ(MusicBrainzQueryOf(ThreeTrackToc(), settings).http.proxy, "");
}

} // namespace
} // namespace corvath
