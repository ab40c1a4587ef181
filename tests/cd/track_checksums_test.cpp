// The checksums a rip computes while it reads, against the tools people compare rips with:
// accuraterip-checksum for the AccurateRip v1 and v2 checksums, zlib for the copy CRC.

#include "cd/track_checksums.h"
#include "support/audio_tools.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace corvath {
namespace {

using test::Quoted;
using test::RunCommand;

std::string Hex(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

class TrackChecksumsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool("accuraterip-checksum") || !test::HaveTool("sox") ||
            !test::HaveTool("python3"))
            GTEST_SKIP() << "accuraterip-checksum (whipper), sox and python3 are the oracles";
    }

    // The checksums of a WAV's audio fed in uneven pieces, as reads and split samples come.
    static TrackChecksums Feed(const std::string& audio, const TrackPlace& place)
    {
        TrackChecksums sums(place);
        const auto* bytes = reinterpret_cast<const uint8_t*>(audio.data());
        for (std::size_t at = 0, piece = 1; at < audio.size();
             at += piece, piece = piece * 7 % 9413)
            sums.Add({bytes + at, std::min(piece, audio.size() - at)});
        return sums;
    }

    static std::string Oracle(const std::filesystem::path& wav, const char* version, int track,
                              int tracks)
    {
        return RunCommand("accuraterip-checksum " + std::string(version) + " " + Quoted(wav) + " " +
                          std::to_string(track) + " " + std::to_string(tracks));
    }

    test::TempDir dir_;
};

TEST_F(TrackChecksumsTest, EqualTheToolsForEveryPlaceOnTheDisc)
{
    // 100 sectors of noise: every sample counts, and none is zero by chance.
    const auto wav = test::Sox(dir_ / "track.wav", "-b 16 -c 2 -r 44100", "58800s", "whitenoise");
    const std::string audio = test::WaveData(wav);
    test::WriteFile(dir_ / "track.raw", audio);
    const std::string crc = test::ZlibCrc32(dir_ / "track.raw") + "\n";
    struct Place {
        int track, tracks;
    };
    for (const Place place : {Place{1, 3}, Place{2, 3}, Place{3, 3}, Place{1, 1}}) {
        SCOPED_TRACE(std::to_string(place.track) + " of " + std::to_string(place.tracks));
        const TrackChecksums sums =
            Feed(audio, {place.track == 1, place.track == place.tracks, audio.size() / 4});
        EXPECT_EQ(Hex(sums.AccurateRipV1()) + "\n",
                  Oracle(wav, "--accuraterip-v1", place.track, place.tracks));
        EXPECT_EQ(Hex(sums.AccurateRipV2()) + "\n",
                  Oracle(wav, "--accuraterip-v2", place.track, place.tracks));
        EXPECT_EQ(Hex(sums.CopyCrc()) + "\n", crc);
    }
}

// A track shorter than the samples left out at the disc's edges counts nothing.
TEST(TrackChecksumsEdges, ATrackShorterThanTheEdgesCountsNothing)
{
    const std::string audio(4 * 1000, '\x5A');
    TrackChecksums sums({true, true, 1000});
    sums.Add({reinterpret_cast<const uint8_t*>(audio.data()), audio.size()});
    EXPECT_EQ(sums.AccurateRipV1(), 0u);
    EXPECT_EQ(sums.AccurateRipV2(), 0u);
    EXPECT_NE(sums.CopyCrc(), 0u);
}

} // namespace
} // namespace corvath
