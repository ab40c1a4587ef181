#include "platform/cdrom/disc_id.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

// A TOC as a drive reports it with MSF addresses: the tracks' starts, then the lead-out.
CdToc MsfToc(const std::vector<uint32_t>& frames)
{
    CdToc toc;
    toc.FirstTrack = 1;
    toc.LastTrack = static_cast<uint8_t>(frames.size() - 1);
    for (std::size_t k = 0; k < frames.size(); ++k) {
        CdTocEntry& entry = toc.Entries[k];
        entry.TrackNumber = k + 1 == frames.size() ? 0xAA : static_cast<uint8_t>(k + 1);
        entry.Address = {0, static_cast<uint8_t>(frames[k] / 4500),
                         static_cast<uint8_t>(frames[k] / 75 % 60),
                         static_cast<uint8_t>(frames[k] % 75)};
    }
    return toc;
}

// The same with the tracks from dataFrom on marked as data.
CdToc MsfTocWithData(const std::vector<uint32_t>& frames, std::size_t dataFrom)
{
    CdToc toc = MsfToc(frames);
    for (std::size_t k = dataFrom; k + 1 < frames.size(); ++k)
        toc.Entries[k].AdrControl = 0x10 | kCdDataTrackControl;
    return toc;
}

// Frames with the lead-in from sector numbers (LBA).
std::vector<uint32_t> WithLeadIn(std::vector<uint32_t> sectors)
{
    for (uint32_t& sector : sectors)
        sector += kCdLeadInSectors;
    return sectors;
}

constexpr uint32_t Frames(uint32_t minutes, uint32_t seconds, uint32_t frames)
{
    return minutes * 4500 + seconds * 75 + frames;
}

TEST(FreedbDiscIdTest, PublishedDiscsFromOffsetsAndFromTheirToc)
{
    // The worked example of the CDDB facts we rely on.
    const DiscFrames tenTracks{
        {150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455}, 270335};
    EXPECT_EQ(FreedbDiscId(tenTracks), "890e120a");

    // A worked example of the identifier from an Italian how-to page,
    // https://corsaro.biz/lemienote/archives/314 ("Come calcolare l'id unico..."): ten tracks
    // and a disc length of 2260 seconds, identifier 6808d20a. The page gives the length in
    // whole seconds only, which is all the identifier uses of the lead-out.
    const DiscFrames howTo{{150, 15095, 28530, 40556, 60479, 81952, 100762, 112675, 128656, 145954},
                           2260 * 75};
    EXPECT_EQ(FreedbDiscId(howTo), "6808d20a");

    for (const DiscFrames* disc : {&tenTracks, &howTo}) {
        std::vector<uint32_t> frames = disc->trackStarts;
        frames.push_back(disc->leadOut);
        const CdToc toc = MsfToc(frames);
        EXPECT_EQ(TocFrames(toc).trackStarts, disc->trackStarts);
        EXPECT_EQ(TocFrames(toc).leadOut, disc->leadOut);
        EXPECT_EQ(FreedbDiscId(toc), FreedbDiscId(*disc));
    }
}

TEST(FreedbDiscIdTest, SingleTrackDisc)
{
    // The worked example of the CDDB article at
    // https://www.liquisearch.com/cddb/example_calculation_of_a_cddb1_freedb_disc_id: one track
    // of 3610 seconds from 00:02:00 is 020e1a01.
    EXPECT_EQ(FreedbDiscId(DiscFrames{{150}, 150 + 3610 * 75}), "020e1a01");
}

TEST(WindowsDiscSerialTest, SumsTheTrackAddressesOfThreeOrMoreTracks)
{
    // 00:02:00, 04:10:33 and 09:59:74 as M<<16|S<<8|F: 0x000200 + 0x040A21 + 0x093B4A
    // = 512 + 264737 + 605002; the lead-out does not count.
    const CdToc toc =
        MsfToc({Frames(0, 2, 0), Frames(4, 10, 33), Frames(9, 59, 74), Frames(15, 0, 10)});
    EXPECT_EQ(WindowsDiscSerial(toc), 870251);
}

TEST(WindowsDiscSerialTest, FewerThanThreeTracksAddTheFirstFrameByteAndTheDiscLength)
{
    // Tracks at 00:02:33 and 30:00:10, lead-out 61:05:20: 0x000221 + 0x1E000A = 545 + 1966090,
    // plus the first track's frame byte 33, plus 274895 - 183 frames from the first track to
    // the lead-out.
    const CdToc twoTracks = MsfToc({Frames(0, 2, 33), Frames(30, 0, 10), Frames(61, 5, 20)});
    EXPECT_EQ(WindowsDiscSerial(twoTracks), 545 + 1966090 + 33 + 274712);

    // One track at 00:02:00 ending at 10:00:00: 512 + 0 + (45000 - 150).
    EXPECT_EQ(WindowsDiscSerial(MsfToc({Frames(0, 2, 0), Frames(10, 0, 0)})), 45362);

    CdToc empty;
    empty.FirstTrack = 1;
    EXPECT_EQ(WindowsDiscSerial(empty), 0);
}

TEST(MusicBrainzDiscIdTest, KnownDiscs)
{
    // 22 tracks, lead-out 303602; the same disc's freedb identifier is 370fce16.
    const CdToc twentyTwo = MsfToc({150,    9700,   25887,  39297,  53795,  63735,  77517,  94877,
                                    107270, 123552, 135522, 148422, 161197, 174790, 192022, 205545,
                                    218010, 228700, 239590, 255470, 266932, 288750, 303602});
    EXPECT_EQ(MusicBrainzDiscOf(twentyTwo).id, "xUp1F2NkfP8s8jaeFn_Av3jNEI4-");
    EXPECT_EQ(FreedbDiscId(twentyTwo), "370fce16");

    const MusicBrainzDisc six =
        MusicBrainzDiscOf(MsfToc(WithLeadIn({0, 15213, 32164, 46442, 63264, 80339, 95312})));
    EXPECT_EQ(six.id, "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
    EXPECT_EQ(six.tocQuery, "1+6+95462+150+15363+32314+46592+63414+80489");
}

TEST(MusicBrainzDiscIdTest, EnhancedCdEndsItsAudio11400FramesBeforeTheDataTrack)
{
    // Twelve audio tracks, then the data session's track at sector 207106 and a lead-out that
    // does not count.
    const CdToc enhanced =
        MsfTocWithData(WithLeadIn({0, 15537, 31691, 50866, 66466, 81202, 99409, 115920, 133093,
                                   149847, 161560, 177682, 207106, 250000}),
                       12);
    const MusicBrainzDisc disc = MusicBrainzDiscOf(enhanced);
    EXPECT_EQ(disc.id, "KnpGsLhvH.lPrNc1PBL21lb9Bg4-");
    EXPECT_EQ(disc.tocQuery, "1+12+195856+150+15687+31841+51016+66616+81352+99559+116070+133243+"
                             "149997+161710+177832");
}

TEST(MusicBrainzDiscIdTest, DataTrackTooCloseForASecondSessionAndDataOnlyDisc)
{
    // Audio at frames 150 and 5000, data at 9000: no room for the sessions' gap, so the disc
    // reads as the two audio tracks ending at 9000.
    const CdToc mixed = MsfTocWithData({150, 5000, 9000, 12000}, 2);
    const MusicBrainzDisc audioOnly = MusicBrainzDiscOf(MsfToc({150, 5000, 9000}));
    EXPECT_EQ(MusicBrainzDiscOf(mixed).id, audioOnly.id);
    EXPECT_EQ(MusicBrainzDiscOf(mixed).tocQuery, "1+2+9000+150+5000");

    const MusicBrainzDisc dataOnly = MusicBrainzDiscOf(MsfTocWithData({150, 9000}, 0));
    EXPECT_TRUE(dataOnly.id.empty());
    EXPECT_TRUE(dataOnly.tocQuery.empty());
}

TEST(TrackEndFramesTest, TheLastAudioTrackOfAnEnhancedCdEndsBeforeTheSessionGap)
{
    struct Case {
        const char* disc;
        CdToc toc;
        std::vector<uint32_t> ends;
    };
    const std::vector<Case> cases = {
        {"audio only", MsfToc({150, 5000, 9000}), {5000, 9000}},
        {"enhanced CD", MsfTocWithData({150, 5000, 30000, 40000}, 2), {5000, 30000 - 11400, 40000}},
        {"data too close for a second session",
         MsfTocWithData({150, 5000, 9000, 12000}, 2),
         {5000, 9000, 12000}},
        {"data first (mixed mode)", MsfToc({150, 5000, 30000}), {5000, 30000}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrackEndFrames(c.toc), c.ends) << c.disc;
}

} // namespace
} // namespace corvath
