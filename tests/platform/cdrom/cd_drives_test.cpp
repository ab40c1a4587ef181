#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <functional>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <set>
#include <thread>

namespace corvath {
namespace {

using Address = std::array<uint8_t, 4>;

int32_t OpenListEntry(std::size_t index)
{
    CdDriveList list;
    GetCDList(list);
    return GetCDHandle(HandleRequestFor(list.Drives[index]));
}

int32_t OpenImage(const std::filesystem::path& image)
{
    EXPECT_TRUE(RegisterDiscImage(image.string())) << image;
    const std::optional<std::size_t> index = test::DriveListIndex(image);
    if (!index) {
        ADD_FAILURE() << image << " is not in the drive list";
        return 0;
    }
    return OpenListEntry(*index);
}

CdToc ReadMsfToc(int32_t handle)
{
    CdToc toc;
    EXPECT_TRUE(ModifyCDParms(handle, kCdParmMsfAddresses, 1));
    EXPECT_EQ(ReadTOC(handle, toc), 1);
    return toc;
}

Address Msf(uint8_t minute, uint8_t second, uint8_t frame)
{
    return {0, minute, second, frame};
}

std::optional<std::vector<uint8_t>> ReadSectors(int32_t handle, uint32_t start, uint32_t count)
{
    CdTrackBuffer buffer;
    buffer.StartSector = start;
    buffer.SectorCount = count;
    buffer.Capacity = count * kCdSectorBytes;
    buffer.Data.resize(buffer.Capacity);
    if (ReadCDAudioLBA(handle, buffer) != 1)
        return std::nullopt;
    EXPECT_EQ(buffer.ReturnedBytes, buffer.Capacity);
    return std::vector<uint8_t>(buffer.Data.begin() + buffer.DataOffset,
                                buffer.Data.begin() + buffer.DataOffset + buffer.ReturnedBytes);
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, uint32_t start, uint32_t count)
{
    return {bytes.begin() + start * kCdSectorBytes,
            bytes.begin() + (start + count) * kCdSectorBytes};
}

std::vector<uint8_t> Concat(const std::vector<test::ImageTrack>& tracks)
{
    std::vector<uint8_t> all;
    for (const auto& track : tracks)
        all.insert(all.end(), track.sectors.begin(), track.sectors.end());
    return all;
}

// Tracks of 100, 7 and 25 sectors.
const std::vector<test::ImageTrack>& ThreeTracks()
{
    static const std::vector<test::ImageTrack> tracks = {
        {test::AudioSectors(100, 1)}, {test::AudioSectors(7, 2)}, {test::AudioSectors(25, 3)}};
    return tracks;
}

class CdImageTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

TEST_F(CdImageTest, TocAddressesAsADriveReportsThem)
{
    const int32_t handle = OpenImage(test::WriteCueImage(dir_ / "three", ThreeTracks()));
    ASSERT_NE(handle, 0);

    const CdToc toc = ReadMsfToc(handle);
    EXPECT_EQ(toc.FirstTrack, 1);
    EXPECT_EQ(toc.LastTrack, 3);
    EXPECT_EQ(toc.Entries[0].Address, Msf(0, 2, 0));
    EXPECT_EQ(toc.Entries[1].Address, Msf(0, 3, 25)); // 150 + 100 frames
    EXPECT_EQ(toc.Entries[2].Address, Msf(0, 3, 32)); // + 7
    EXPECT_EQ(toc.Entries[3].Address, Msf(0, 3, 57)); // + 25: the lead-out
    for (uint8_t k = 0; k < 3; ++k) {
        EXPECT_EQ(toc.Entries[k].TrackNumber, k + 1);
        EXPECT_EQ(toc.Entries[k].AdrControl & kCdDataTrackControl, 0);
    }
    EXPECT_EQ(toc.Entries[3].TrackNumber, 0xAA);

    // Sector numbers, most significant byte first, from 0 at 00:02:00.
    CdToc lba;
    ASSERT_TRUE(ModifyCDParms(handle, kCdParmMsfAddresses, 0));
    ASSERT_EQ(ReadTOC(handle, lba), 1);
    EXPECT_EQ(lba.Entries[0].Address, (Address{0, 0, 0, 0}));
    EXPECT_EQ(lba.Entries[2].Address, (Address{0, 0, 0, 107}));
    EXPECT_EQ(lba.Entries[3].Address, (Address{0, 0, 0, 132}));
    EXPECT_TRUE(CloseCDHandle(handle));
}

TEST_F(CdImageTest, ReadsEachTracksBytesAndNothingPastTheLeadOut)
{
    const int32_t handle = OpenImage(test::WriteCueImage(dir_ / "three", ThreeTracks()));
    ASSERT_NE(handle, 0);
    const std::vector<uint8_t> disc = Concat(ThreeTracks());

    EXPECT_EQ(ReadSectors(handle, 0, 100), Slice(disc, 0, 100));
    EXPECT_EQ(ReadSectors(handle, 100, 7), Slice(disc, 100, 7));
    EXPECT_EQ(ReadSectors(handle, 107, 25), Slice(disc, 107, 25));
    EXPECT_EQ(ReadSectors(handle, 95, 10), Slice(disc, 95, 10)) << "across a track boundary";
    EXPECT_EQ(ReadSectors(handle, 131, 1), Slice(disc, 131, 1));

    SetCdLastError(kCdErrorNone);
    EXPECT_FALSE(ReadSectors(handle, 125, 10)) << "a read reaching past the lead-out";
    EXPECT_EQ(GetAspiLibError(), kCdErrorRead);
    EXPECT_FALSE(ReadSectors(handle, 132, 1));

    CdTrackBuffer tooSmall;
    tooSmall.SectorCount = 2;
    tooSmall.Capacity = kCdSectorBytes;
    tooSmall.Data.resize(tooSmall.Capacity);
    EXPECT_NE(ReadCDAudioLBA(handle, tooSmall), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorBadRequest);
    EXPECT_TRUE(CloseCDHandle(handle));
}

TEST_F(CdImageTest, HiddenPregapMovesTheFirstTrackLikeOnADrive)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(100, 4)},
                                                  {test::AudioSectors(25, 5)}};
    const int32_t handle = OpenImage(test::WriteCueImage(dir_ / "hidden", tracks, 30));
    ASSERT_NE(handle, 0);

    const CdToc toc = ReadMsfToc(handle);
    EXPECT_EQ(toc.Entries[0].Address, Msf(0, 2, 30));
    EXPECT_EQ(toc.Entries[1].Address, Msf(0, 3, 55));
    EXPECT_EQ(toc.Entries[2].Address, Msf(0, 4, 5));

    // Sector 0 lies in the pregap, before the first track.
    const std::optional<std::vector<uint8_t>> pregap = ReadSectors(handle, 0, 1);
    ASSERT_TRUE(pregap);
    for (std::size_t i = 0; i < pregap->size(); ++i)
        ASSERT_EQ((*pregap)[i], i % 251) << i;
    EXPECT_EQ(ReadSectors(handle, 30, 100), tracks[0].sectors);
    EXPECT_TRUE(CloseCDHandle(handle));
}

// INDEX 00 lines give pre-gaps; a track without one has none, not its own start.
TEST_F(CdImageTest, PregapsStartAtTheirIndexZero)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(100, 4)},
                                                  {test::AudioSectors(20, 5), false, 8},
                                                  {test::AudioSectors(25, 6)}};
    const int32_t handle = OpenImage(test::WriteCueImage(dir_ / "gaps", tracks, 30));
    ASSERT_NE(handle, 0);
    std::vector<std::optional<uint32_t>> pregaps;
    ASSERT_TRUE(ReadTrackPregaps(handle, pregaps));
    EXPECT_EQ(pregaps, (std::vector<std::optional<uint32_t>>{0u, 130u, std::nullopt}));
    // The TOC starts track 2 after its pre-gap.
    EXPECT_EQ(ReadMsfToc(handle).Entries[1].Address, Msf(0, 3, 63));
    EXPECT_TRUE(CloseCDHandle(handle));

    EXPECT_FALSE(ReadTrackPregaps(handle, pregaps));
    EXPECT_EQ(GetAspiLibError(), kCdErrorNoDrive);
}

// The data track is marked, and, as a drive answers, cannot be read as audio.
TEST_F(CdImageTest, DataTrackHasTheDataBitAndIsNoAudio)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(20, 6)},
                                                  {test::AudioSectors(30, 7), true}};
    const int32_t handle = OpenImage(test::WriteCueImage(dir_ / "mixed", tracks));
    ASSERT_NE(handle, 0);
    const CdToc toc = ReadMsfToc(handle);
    EXPECT_EQ(toc.Entries[0].AdrControl & kCdDataTrackControl, 0);
    EXPECT_EQ(toc.Entries[1].AdrControl & kCdDataTrackControl, kCdDataTrackControl);
    EXPECT_EQ(toc.Entries[2].Address, Msf(0, 2, 50));

    EXPECT_EQ(ReadSectors(handle, 0, 20), tracks[0].sectors);
    for (const auto& [start, count] : {std::pair{20u, 30u}, {19u, 2u}, {49u, 1u}}) {
        SetCdLastError(kCdErrorNone);
        EXPECT_EQ(ReadSectors(handle, start, count), std::nullopt) << start;
        EXPECT_EQ(GetAspiLibError(), kCdErrorRead);
    }
    EXPECT_TRUE(CloseCDHandle(handle));
}

TEST_F(CdImageTest, CdrdaoTocImageOpensLikeADrive)
{
    const std::vector<uint8_t> audio = test::AudioSectors(107, 8);
    // cdrdao's raw audio files hold their samples most significant byte first.
    std::string bigEndian(audio.begin(), audio.end());
    for (std::size_t i = 0; i + 1 < bigEndian.size(); i += 2)
        std::swap(bigEndian[i], bigEndian[i + 1]);
    test::WriteFile(dir_ / "disc.bin", bigEndian);
    // Two audio tracks of 100 and 7 sectors from one file: start and length as MM:SS:FF.
    test::WriteFile(dir_ / "disc.toc", "CD_DA\n\n"
                                       "TRACK AUDIO\nFILE \"disc.bin\" 0 00:01:25\n\n"
                                       "TRACK AUDIO\nFILE \"disc.bin\" 00:01:25 00:00:07\n");
    const int32_t handle = OpenImage(dir_ / "disc.toc");
    ASSERT_NE(handle, 0);

    const CdToc toc = ReadMsfToc(handle);
    EXPECT_EQ(toc.LastTrack, 2);
    EXPECT_EQ(toc.Entries[0].Address, Msf(0, 2, 0));
    EXPECT_EQ(toc.Entries[1].Address, Msf(0, 3, 25));
    EXPECT_EQ(toc.Entries[2].Address, Msf(0, 3, 32));
    EXPECT_EQ(ReadSectors(handle, 98, 9), Slice(audio, 98, 9));
    EXPECT_TRUE(CloseCDHandle(handle));
}

TEST_F(CdImageTest, TruncatedBinEndsTheDiscWhereItsSectorsEnd)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(100, 9)},
                                                  {test::AudioSectors(25, 10)}};
    const std::filesystem::path cue = test::WriteCueImage(dir_ / "cut", tracks);
    std::filesystem::resize_file(dir_ / "cut.bin", 120 * kCdSectorBytes + 1000);
    const int32_t handle = OpenImage(cue);
    ASSERT_NE(handle, 0);

    EXPECT_EQ(ReadMsfToc(handle).Entries[2].Address, Msf(0, 3, 45)); // 150 + 120
    EXPECT_EQ(ReadSectors(handle, 110, 10), Slice(Concat(tracks), 110, 10));
    EXPECT_FALSE(ReadSectors(handle, 115, 10));
    EXPECT_EQ(GetAspiLibError(), kCdErrorRead);
    EXPECT_TRUE(CloseCDHandle(handle));
}

TEST_F(CdImageTest, HandlesOpenPerRequestAndCloseOnce)
{
    const std::filesystem::path cue = test::WriteCueImage(dir_ / "handles", ThreeTracks());
    const int32_t first = OpenImage(cue);
    const int32_t second = OpenImage(cue);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    EXPECT_NE(first, second);

    // Each handle has its own address mode.
    ASSERT_TRUE(ModifyCDParms(first, kCdParmMsfAddresses, 1));
    ASSERT_TRUE(ModifyCDParms(second, kCdParmMsfAddresses, 0));
    CdToc toc;
    ASSERT_EQ(ReadTOC(first, toc), 1);
    EXPECT_EQ(toc.Entries[0].Address, Msf(0, 2, 0));
    ASSERT_EQ(ReadTOC(second, toc), 1);
    EXPECT_EQ(toc.Entries[0].Address, (Address{0, 0, 0, 0}));
    EXPECT_FALSE(ModifyCDParms(first, 7, 1));
    EXPECT_EQ(GetAspiLibError(), kCdErrorBadRequest);

    EXPECT_TRUE(CloseCDHandle(first));
    EXPECT_FALSE(CloseCDHandle(first));
    EXPECT_EQ(GetAspiLibError(), kCdErrorNoDrive);
    EXPECT_NE(ReadTOC(first, toc), 1);
    EXPECT_FALSE(ReadSectors(first, 0, 1));
    EXPECT_FALSE(ModifyCDParms(first, kCdParmMsfAddresses, 1));
    EXPECT_EQ(ReadTOC(second, toc), 1) << "the other handle stays open";
    EXPECT_TRUE(CloseCDHandle(second));

    CdHandleRequest unknown;
    unknown.HostAdapter = 200;
    EXPECT_EQ(GetCDHandle(unknown), 0);
    EXPECT_EQ(GetAspiLibError(), kCdErrorNoDrive);
}

// A closed handle's number is not given out again, so an owner that closes its number late,
// or twice, finds nothing to close rather than a newer handle.
TEST_F(CdImageTest, AClosedHandlesNumberIsNotGivenOutAgain)
{
    const std::filesystem::path cue = test::WriteCueImage(dir_ / "numbers", ThreeTracks());
    const int32_t kept = OpenImage(cue);
    ASSERT_NE(kept, 0);
    std::set<int32_t> given = {kept};
    for (int round = 0; round < 3; ++round) {
        const int32_t handle = OpenImage(cue);
        ASSERT_NE(handle, 0);
        EXPECT_TRUE(given.insert(handle).second) << handle << " was given out before";
        ASSERT_TRUE(CloseCDHandle(handle));
    }
    const int32_t latest = OpenImage(cue);
    EXPECT_TRUE(given.insert(latest).second) << latest << " was given out before";
    for (const int32_t closed : given) {
        if (closed != kept && closed != latest) {
            EXPECT_FALSE(CloseCDHandle(closed)) << closed;
        }
    }
    CdToc toc;
    EXPECT_EQ(ReadTOC(latest, toc), 1) << "the newest handle stays open";
    EXPECT_TRUE(CloseCDHandle(latest));
    EXPECT_TRUE(CloseCDHandle(kept));
}

TEST_F(CdImageTest, ImagesJoinTheListOnceWithTheirFileName)
{
    const std::filesystem::path cue =
        test::WriteCueImage(dir_ / "a-rather-long-image-name", ThreeTracks());
    ASSERT_TRUE(RegisterDiscImage(cue.string()));
    CdDriveList before;
    GetCDList(before);
    ASSERT_TRUE(RegisterDiscImage(cue.string()));
    CdDriveList after;
    GetCDList(after);
    EXPECT_EQ(after.Count, before.Count) << "registered twice";

    const std::optional<std::size_t> index = test::DriveListIndex(cue);
    ASSERT_TRUE(index);
    EXPECT_STREQ(after.Drives[*index].Vendor.data(), "Image   ");
    EXPECT_STREQ(after.Drives[*index].Product.data(), "a-rather-long-im");

    CdDriveList small;
    small.Capacity = 1;
    GetCDList(small);
    EXPECT_EQ(small.Count, 1);

    test::WriteFile(dir_ / "notes.cue", "not a cue sheet\n");
    EXPECT_FALSE(RegisterDiscImage((dir_ / "notes.cue").string()));
    EXPECT_FALSE(RegisterDiscImage((dir_ / "missing.cue").string()));
    CdDriveList unchanged;
    GetCDList(unchanged);
    EXPECT_EQ(unchanged.Count, after.Count);
}

TEST_F(CdImageTest, HandlesReadConcurrently)
{
    const std::filesystem::path cue = test::WriteCueImage(dir_ / "threads", ThreeTracks());
    const std::vector<uint8_t> disc = Concat(ThreeTracks());
    std::vector<std::thread> readers;
    std::array<bool, 4> same{};
    for (std::size_t r = 0; r < same.size(); ++r) {
        readers.emplace_back([&, r] {
            const int32_t handle = OpenImage(cue);
            bool equal = handle != 0;
            for (uint32_t start = 0; equal && start < 132; start += 12)
                equal = ReadSectors(handle, start, 1) == Slice(disc, start, 1);
            same[r] = equal && CloseCDHandle(handle);
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(same, (std::array<bool, 4>{true, true, true, true}));
}

// Runs the checks and exits with 0 when all passed, else with 1 after writing their failures
// where the parent test shows them.
void RunChecksAndExit(const std::function<void()>& checks)
{
    ::testing::TestPartResultArray results;
    {
        const ::testing::ScopedFakeTestPartResultReporter reporter(&results);
        checks();
    }
    bool failed = false;
    for (int i = 0; i < results.size(); ++i) {
        const ::testing::TestPartResult& result = results.GetTestPartResult(i);
        if (result.failed()) {
            failed = true;
            std::cerr << result.file_name() << ':' << result.line_number() << ": "
                      << result.summary() << '\n';
        }
    }
    std::exit(failed ? 1 : 0);
}

// Images stay registered while their files exist, so the checks of an empty list run in a fresh
// copy of this program, where none is registered yet.
void ExpectInFreshProcess(const std::function<void()>& checks)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunChecksAndExit(checks), ::testing::ExitedWithCode(0), "");
}

TEST(CdDriveListTest, WithoutDrivesOrImagesTheListIsEmpty)
{
    ExpectInFreshProcess([] {
        CdDriveList list;
        GetCDList(list);
        EXPECT_EQ(list.Count, 0);
        EXPECT_EQ(GetCDHandle(CdHandleRequest{}), 0);
        EXPECT_EQ(GetAspiLibError(), kCdErrorNoDrive);
    });
}

} // namespace
} // namespace corvath
