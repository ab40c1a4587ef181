#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/disc_queries.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

// The machine has no CD drive, so the registered images are the whole list; images stay
// registered for the rest of the run, so each test finds its own by path.
int32_t OpenImage(const std::filesystem::path& image)
{
    EXPECT_TRUE(RegisterDiscImage(image.string()));
    CdDriveList list;
    GetCDList(list);
    for (std::size_t i = 0; i < list.Count; ++i) {
        const CdDriveInfo& drive = list.Drives[i];
        if (image.string() == drive.Identification.data()) {
            CdHandleRequest request;
            request.HostAdapter = drive.HostAdapter;
            request.Target = drive.Target;
            request.Lun = drive.Lun;
            return GetCDHandle(request);
        }
    }
    ADD_FAILURE() << image << " is not in the drive list";
    return 0;
}

struct Msf {
    uint8_t m, s, f;
    bool operator==(const Msf&) const = default;
};

Msf EntryMsf(const CdTocEntry& entry)
{
    return {entry.Address[1], entry.Address[2], entry.Address[3]};
}

std::vector<uint8_t> Concat(const std::vector<test::ImageTrack>& tracks)
{
    std::vector<uint8_t> all;
    for (const auto& track : tracks)
        all.insert(all.end(), track.sectors.begin(), track.sectors.end());
    return all;
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

class CdImageTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

TEST_F(CdImageTest, ThreeTrackImageReadsItsTocAndSectors)
{
    const std::vector<test::ImageTrack> tracks = {
        {test::AudioSectors(100, 1)}, {test::AudioSectors(7, 2)}, {test::AudioSectors(25, 3)}};
    const int32_t handle = OpenImage(test::WriteCueImage(dir_ / "three", tracks));
    ASSERT_NE(handle, 0);

    ASSERT_TRUE(ModifyCDParms(handle, kCdParmMsfAddresses, 1));
    CdToc toc;
    ASSERT_EQ(ReadTOC(handle, toc), 1);
    EXPECT_EQ(toc.FirstTrack, 1);
    EXPECT_EQ(toc.LastTrack, 3);
    EXPECT_EQ(EntryMsf(toc.Entries[0]), (Msf{0, 2, 0}));
    EXPECT_EQ(EntryMsf(toc.Entries[1]), (Msf{0, 3, 25}));  // 150 + 100
    EXPECT_EQ(EntryMsf(toc.Entries[2]), (Msf{0, 3, 32}));  // + 7
    EXPECT_EQ(EntryMsf(toc.Entries[3]), (Msf{0, 3, 57}));  // + 25
    EXPECT_EQ(toc.Entries[3].TrackNumber, 0xAA);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(toc.Entries[k].TrackNumber, k + 1);
        EXPECT_EQ(toc.Entries[k].AdrControl & kCdDataTrackControl, 0);
    }

    ASSERT_TRUE(ModifyCDParms(handle, kCdParmMsfAddresses, 0));
    ASSERT_EQ(ReadTOC(handle, toc), 1);
    EXPECT_EQ(toc.Entries[1].Address, (std::array<uint8_t, 4>{0, 0, 0, 100}));
    EXPECT_EQ(toc.Entries[3].Address, (std::array<uint8_t, 4>{0, 0, 0, 132}));

    const std::vector<uint8_t> all = Concat(tracks);
    const auto bytes = [&](uint32_t start, uint32_t count) {
        return std::vector<uint8_t>(all.begin() + start * kCdSectorBytes,
                                    all.begin() + (start + count) * kCdSectorBytes);
    };
    EXPECT_EQ(ReadSectors(handle, 0, 100), bytes(0, 100));
    EXPECT_EQ(ReadSectors(handle, 100, 7), bytes(100, 7));
    EXPECT_EQ(ReadSectors(handle, 107, 25), bytes(107, 25));
    EXPECT_EQ(ReadSectors(handle, 95, 10), bytes(95, 10)) << "across a track boundary";
    EXPECT_FALSE(ReadSectors(handle, 130, 3)) << "past the lead-out";
    EXPECT_EQ(GetAspiLibError(), kCdErrorRead);

    EXPECT_TRUE(CloseCDHandle(handle));
    EXPECT_FALSE(CloseCDHandle(handle));
}

} // namespace
} // namespace corvath
