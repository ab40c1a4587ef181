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

} // namespace
} // namespace corvath
