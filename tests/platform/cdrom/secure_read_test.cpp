#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/cd_errors.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

namespace corvath {
namespace {

namespace fs = std::filesystem;

struct SecureRead {
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> doubtfulSectors;
};

std::optional<SecureRead> ReadSecurely(int32_t handle, uint32_t start, uint32_t count)
{
    CdTrackBuffer buffer;
    buffer.StartSector = start;
    buffer.SectorCount = count;
    buffer.Capacity = count * kCdSectorBytes;
    buffer.Data.resize(buffer.Capacity);
    SecureRead read;
    if (ReadCDAudioLBASecure(handle, buffer, read.doubtfulSectors) != 1)
        return std::nullopt;
    EXPECT_EQ(buffer.ReturnedBytes, buffer.Capacity);
    read.bytes.assign(buffer.Data.begin() + buffer.DataOffset,
                      buffer.Data.begin() + buffer.DataOffset + buffer.ReturnedBytes);
    return read;
}

// The sectors as the image's .bin holds them.
std::vector<uint8_t> BinSectors(const fs::path& cue, uint32_t start, uint32_t count)
{
    const std::string bin = test::ReadFile(fs::path(cue).replace_extension(".bin"));
    const auto from = bin.begin() + std::ptrdiff_t{start} * kCdSectorBytes;
    return {from, from + std::ptrdiff_t{count} * kCdSectorBytes};
}

// Tracks of 100, 7 and 25 sectors.
std::vector<test::ImageTrack> ThreeTracks()
{
    return {{test::AudioSectors(100, 1)}, {test::AudioSectors(7, 2)}, {test::AudioSectors(25, 3)}};
}

class SecureReadTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

// In order, sharing a sector with the read before as shifted rips do, backwards, across track
// boundaries and all at once: always the image's bytes, nothing doubtful.
TEST_F(SecureReadTest, ReadsTheImagesBytesWhereverTheReadsGo)
{
    const fs::path cue = test::WriteCueImage(dir_ / "three", ThreeTracks());
    const int32_t handle = OpenDiscImage(cue.string());
    ASSERT_NE(handle, 0);
    const std::vector<std::pair<uint32_t, uint32_t>> reads = {
        {0, 10},  {10, 10}, {19, 11},  {29, 11}, {39, 1}, {5, 3},
        {95, 10}, {100, 7}, {106, 26}, {131, 1}, {60, 1}, {0, 132}};
    for (const auto& [start, count] : reads) {
        const std::optional<SecureRead> read = ReadSecurely(handle, start, count);
        ASSERT_TRUE(read) << start << "+" << count;
        EXPECT_TRUE(read->bytes == BinSectors(cue, start, count)) << start << "+" << count;
        EXPECT_TRUE(read->doubtfulSectors.empty()) << start << "+" << count;
    }
    EXPECT_TRUE(CloseCDHandle(handle));
}

TEST_F(SecureReadTest, RefusesWhatPlainReadsRefuse)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(20, 4)},
                                                  {test::AudioSectors(30, 5), true}};
    const fs::path cue = test::WriteCueImage(dir_ / "mixed", tracks);
    const int32_t handle = OpenDiscImage(cue.string());
    ASSERT_NE(handle, 0);

    // Data sectors, and sectors past the lead-out.
    for (const auto& [start, count] : {std::pair{20u, 30u}, {19u, 2u}, {49u, 1u}, {45u, 10u}}) {
        SetCdLastError(kCdErrorNone);
        EXPECT_FALSE(ReadSecurely(handle, start, count)) << start << "+" << count;
        EXPECT_EQ(GetAspiLibError(), kCdErrorRead);
    }
    CdTrackBuffer tooSmall;
    tooSmall.SectorCount = 2;
    tooSmall.Capacity = kCdSectorBytes;
    tooSmall.Data.resize(tooSmall.Capacity);
    std::vector<uint32_t> doubtful{7};
    EXPECT_NE(ReadCDAudioLBASecure(handle, tooSmall, doubtful), 1);
    EXPECT_EQ(GetAspiLibError(), kCdErrorBadRequest);
    EXPECT_TRUE(doubtful.empty());

    // The refusals leave the session usable.
    const std::optional<SecureRead> audio = ReadSecurely(handle, 0, 20);
    ASSERT_TRUE(audio);
    EXPECT_TRUE(audio->bytes == tracks[0].sectors);
    EXPECT_TRUE(CloseCDHandle(handle));

    EXPECT_FALSE(ReadSecurely(handle, 0, 1));
    EXPECT_EQ(GetAspiLibError(), kCdErrorNoDrive);
}

// Sectors that disappear from the image after its TOC was read cannot be read however often
// paranoia tries: the read fails, and ends. The rest of the disc still reads exactly.
TEST_F(SecureReadTest, SectorsCutFromTheImageFailTheReadWhichEnds)
{
    const std::vector<test::ImageTrack> tracks = {{test::AudioSectors(100, 6)},
                                                  {test::AudioSectors(25, 7)}};
    const fs::path cue = test::WriteCueImage(dir_ / "cut", tracks);
    const int32_t handle = OpenDiscImage(cue.string());
    ASSERT_NE(handle, 0);
    fs::resize_file(dir_ / "cut.bin", 110 * kCdSectorBytes);

    for (const auto& [start, count] : {std::pair{100u, 20u}, {105u, 10u}, {110u, 1u}}) {
        SetCdLastError(kCdErrorNone);
        EXPECT_FALSE(ReadSecurely(handle, start, count)) << start << "+" << count;
        EXPECT_EQ(GetAspiLibError(), kCdErrorRead);
    }
    for (const auto& [start, count] : {std::pair{0u, 50u}, {90u, 20u}}) {
        const std::optional<SecureRead> read = ReadSecurely(handle, start, count);
        ASSERT_TRUE(read) << start << "+" << count;
        EXPECT_TRUE(read->bytes == BinSectors(cue, start, count)) << start << "+" << count;
        EXPECT_TRUE(read->doubtfulSectors.empty()) << start << "+" << count;
    }
    EXPECT_TRUE(CloseCDHandle(handle));
}

// Each thread its own handle; paranoia's reads take turns with every other call into libcdio.
TEST_F(SecureReadTest, HandlesReadSecurelyAtTheSameTime)
{
    const fs::path cue = test::WriteCueImage(dir_ / "threads", ThreeTracks());
    const std::vector<uint8_t> disc = BinSectors(cue, 0, 132);
    std::vector<std::thread> readers;
    std::array<bool, 3> same{};
    for (std::size_t r = 0; r < same.size(); ++r) {
        readers.emplace_back([&, r] {
            const int32_t handle = OpenDiscImage(cue.string());
            bool equal = handle != 0;
            for (uint32_t start = 0; equal && start < 132; start += 12) {
                const uint32_t count = std::min(12u, 132 - start);
                const std::optional<SecureRead> read = ReadSecurely(handle, start, count);
                equal = read && read->doubtfulSectors.empty() &&
                        std::equal(read->bytes.begin(), read->bytes.end(),
                                   disc.begin() + std::ptrdiff_t{start} * kCdSectorBytes);
            }
            same[r] = equal && CloseCDHandle(handle);
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(same, (std::array<bool, 3>{true, true, true}));
}

} // namespace
} // namespace corvath
