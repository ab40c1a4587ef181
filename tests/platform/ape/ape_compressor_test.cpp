#include "platform/ape/ape_compressor.h"
#include "platform/ape/ape_file_layout.h"
#include "support/audio_tools.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/test_signals.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace corvath::ape {
namespace {

using std::filesystem::path;
using test::Signal;
using Bytes = std::vector<uint8_t>;

Bytes FromHex(std::string_view hex)
{
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); ++i) {
        if (std::isxdigit(static_cast<unsigned char>(hex[i])) == 0)
            continue;
        bytes.push_back(
            static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
        ++i;
    }
    return bytes;
}

Bytes ReadBytes(const path& file)
{
    const std::string content = test::ReadFile(file);
    return {content.begin(), content.end()};
}

// Interleaved samples of a 16- or 24-bit stereo or mono signal, as a WAV data chunk holds them.
Bytes Interleaved(uint16_t bits, const std::vector<std::vector<int32_t>>& channels)
{
    Bytes pcm;
    for (std::size_t block = 0; block < channels[0].size(); ++block)
        for (const auto& channel : channels)
            for (int byte = 0; byte < bits / 8; ++byte)
                pcm.push_back(
                    static_cast<uint8_t>(static_cast<uint32_t>(channel[block]) >> (8 * byte)));
    return pcm;
}

struct Target {
    int maxAudioBytes = -1;
    uint32_t blocksPerFrame = 0;
    const Bytes* wavHeader = nullptr;
    const Bytes* terminating = nullptr;
};

// Compresses pcm into file the way the program does: pieces handed over as the buffer offers
// room, at most a little over 64 KiB at a time. Returns the first error code.
int Compress(const path& file, uint16_t bits, uint16_t channels, int level, const Bytes& pcm,
             const Target& target = {})
{
    ApeCompressor compressor(target.blocksPerFrame);
    ApeWaveFormat format{1,    channels, 44100, 0, static_cast<uint16_t>(bits / 8 * channels),
                         bits, 0};
    const int headerBytes = target.wavHeader != nullptr ? static_cast<int>(target.wavHeader->size())
                                                        : APE_CREATE_WAV_HEADER_ON_DECOMPRESSION;
    if (int code =
            compressor.Start(file.c_str(), &format, target.maxAudioBytes, level,
                             target.wavHeader ? target.wavHeader->data() : nullptr, headerBytes))
        return code;
    for (std::size_t done = 0; done < pcm.size();) {
        int room = 0;
        uint8_t* buffer = compressor.LockBuffer(&room);
        const std::size_t piece =
            std::min<std::size_t>({pcm.size() - done, std::size_t(room), 65537});
        std::copy_n(pcm.begin() + static_cast<std::ptrdiff_t>(done), piece, buffer);
        if (int code = compressor.UnlockBuffer(static_cast<int>(piece), true))
            return code;
        done += piece;
    }
    const Bytes none;
    const Bytes& terminating = target.terminating ? *target.terminating : none;
    return compressor.Finish(terminating.data(), static_cast<int>(terminating.size()),
                             static_cast<int>(terminating.size()));
}

// The samples as ffmpeg decodes the file, in the raw layout of the input; frame CRCs are
// checked and a mismatch fails the decode.
Bytes FfmpegDecode(const path& file, uint16_t bits)
{
    const char* format = bits == 8 ? "u8" : bits == 16 ? "s16le" : "s24le";
    const std::string decoded =
        test::RunCommand("ffmpeg -v error -err_detect crccheck+explode -i '" + file.string() +
                         "' -f " + format + " - 2>/dev/null");
    return {decoded.begin(), decoded.end()};
}

class ApeCompressorTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool("ffmpeg") || !test::HaveTool("ffprobe"))
            GTEST_SKIP() << "ffmpeg and ffprobe decode the files";
    }
    test::TempDir dir_;
};

// Files of the format's published examples, byte for byte: layout, word swap across frames that
// start inside a word, seek table and MD5.
TEST_F(ApeCompressorTest, WritesTheKnownFilesByteForByte)
{
    const path file = dir_ / "vector.ape";

    ASSERT_EQ(Compress(file, 16, 1, 1000, Interleaved(16, {{1, -1, 2, -2, 1000}})), 0);
    EXPECT_EQ(ReadBytes(file), FromHex(R"(
        4d 41 43 20 96 0f 00 00 34 00 00 00 18 00 00 00 04 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00
        00 00 00 00 c7 e6 43 26 0f 5e 8d 1c 9f c9 7f 83 75 b3 a0 84 e8 03 20 00 00 20 01 00 05 00 00 00
        01 00 00 00 10 00 01 00 44 ac 00 00 50 00 00 00 d9 49 39 11 48 26 00 00 5c 00 cc d2 00 00 6a 90)"));

    const Bytes stereo = Interleaved(16, {{0, 100, 200, -300, 32767, -32768, 5, 6, 7, 8},
                                          {0, -100, 50, -301, 32767, 32767, -5, 6, 0, 1}});
    ASSERT_EQ(Compress(file, 16, 2, 2000, stereo, {.blocksPerFrame = 4}), 0);
    EXPECT_EQ(ReadBytes(file), FromHex(R"(
        4d 41 43 20 96 0f 00 00 34 00 00 00 18 00 00 00 0c 00 00 00 00 00 00 00 50 00 00 00 00 00 00 00
        00 00 00 00 7f 2c a8 47 c1 df 66 c1 ba 7e c4 8b a2 61 33 43 d0 07 20 00 04 00 00 00 02 00 00 00
        03 00 00 00 10 00 02 00 44 ac 00 00 58 00 00 00 6a 00 00 00 99 00 00 00 fc 5d dd 29 01 00 00 00
        8b a7 35 60 1e d8 cc 21 27 13 c8 cf 00 00 5a 0e c4 d9 3b 26 d9 1d 13 00 00 e2 ec c3 39 cb bb 13
        02 00 24 2c b6 dd 4d b5 8b 00 00 58 e3 62 bc e9 2d 97 5e b4 5d b2 69 84 67 a4 59 e8 17 02 00 ef
        ba 08 02 7e 00 00 00 00)"));

    // Loud 24-bit stereo: the predictor's sums must be cut to 32 bits as decoders do.
    const Bytes loud = Interleaved(24, {{0, 8388607, -8388608, 8388607, 5000000, -5000000, 1, -1},
                                        {0, -8388608, 8388607, -8388608, -5000000, 5000000, 0, 0}});
    ASSERT_EQ(Compress(file, 24, 2, 1000, loud), 0);
    EXPECT_EQ(ReadBytes(file), FromHex(R"(
        4d 41 43 20 96 0f 00 00 34 00 00 00 18 00 00 00 04 00 00 00 00 00 00 00 44 00 00 00 00 00 00 00
        00 00 00 00 08 47 39 4c aa 37 e6 3c 29 c5 f4 f8 a4 4d 00 48 e8 03 20 00 00 20 01 00 08 00 00 00
        01 00 00 00 18 00 02 00 44 ac 00 00 50 00 00 00 a5 a6 7b 75 05 00 00 00 05 4a fa b5 6d 44 29 e5
        c0 8b 3f cc 88 95 36 00 ec cf 19 6c 1f 0e 21 52 1f 00 10 e6 bf 49 a0 ae bb d5 2f 41 73 aa c2 0a
        7e f5 fa dd 29 46 d5 64 a2 3b f4 d3 0e 76 54 6d 00 00 5a e0)"));

    // Two frames of generated material, compared through the file's checksum.
    std::vector<std::vector<int32_t>> channels(2, std::vector<int32_t>(80000));
    uint64_t state = 12345;
    for (int32_t i = 0; i < 80000; ++i) {
        state = (state * 1103515245 + 12345) % (uint64_t{1} << 31);
        const int32_t noise = static_cast<int32_t>(state / 65536 % 201) - 100;
        int32_t t = i * 37 % 4000;
        if (t >= 2000)
            t = 4000 - t;
        int32_t u = i * 53 % 3000;
        if (u >= 1500)
            u = 3000 - u;
        channels[0][i] = (t - 1000) * 16 + noise;
        channels[1][i] = (u - 750) * 20 - noise;
    }
    ASSERT_EQ(Compress(file, 16, 2, 3000, Interleaved(16, channels)), 0);
    EXPECT_EQ(std::filesystem::file_size(file), 190980u);
    EXPECT_EQ(test::RunCommand("md5sum '" + file.string() + "' | cut -c1-32"),
              "681eecf33889c706e23995de6ca0fe61\n");
}

// Every level, sample size and channel count, at the lengths where frames begin and end: one
// block, exactly one frame, and one frame and one block made of silence, full-scale square
// waves, full-scale noise and music-like material.
class ApeRoundTripTest : public ApeCompressorTest,
                         public testing::WithParamInterface<std::tuple<int, uint16_t, uint16_t>> {};

TEST_P(ApeRoundTripTest, FfmpegDecodesEveryFileToItsInput)
{
    const auto [level, bits, channels] = GetParam();
    const std::size_t frame = DefaultBlocksPerFrame(static_cast<uint16_t>(level));
    Bytes mixed;
    const Signal kinds[] = {Signal::kSilence, Signal::kSquare, Signal::kNoise, Signal::kMusic};
    for (std::size_t part = 0; part < 4; ++part) {
        const std::size_t blocks = (frame + 1) / 4 + (part == 3 ? (frame + 1) % 4 : 0);
        const Bytes piece =
            test::GeneratePcm(kinds[part], bits, channels, blocks, part * frame / 4);
        mixed.insert(mixed.end(), piece.begin(), piece.end());
    }
    const std::pair<const char*, Bytes> inputs[] = {
        {"one block", test::GeneratePcm(Signal::kNoise, bits, channels, 1)},
        {"one frame", test::GeneratePcm(Signal::kMusic, bits, channels, frame)},
        {"one frame and a block", mixed},
    };
    for (const auto& [name, pcm] : inputs) {
        SCOPED_TRACE(name);
        const path file = dir_ / "round.ape";
        ASSERT_EQ(Compress(file, bits, channels, level, pcm), 0);
        EXPECT_TRUE(FfmpegDecode(file, bits) == pcm);
    }

    const std::string probe =
        test::RunCommand("ffprobe -v error -show_entries "
                         "stream=sample_rate,channels,bits_per_raw_sample,duration_ts "
                         "-of default=nw=1 '" +
                         (dir_ / "round.ape").string() + "'");
    EXPECT_EQ(probe, "sample_rate=44100\nchannels=" + std::to_string(channels) +
                         "\nduration_ts=" + std::to_string(frame + 1) +
                         "\nbits_per_raw_sample=" + std::to_string(bits) + "\n");
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ApeRoundTripTest,
                         testing::Combine(testing::Values(1000, 2000, 3000, 4000),
                                          testing::Values<uint16_t>(8, 16, 24),
                                          testing::Values<uint16_t>(1, 2)));

TEST_F(ApeCompressorTest, SeveralMinutesOfMusicDecodeExactly)
{
    const path file = dir_ / "long.ape";
    const Bytes pcm = test::GeneratePcm(Signal::kMusic, 16, 2, 44100 * 200);
    ASSERT_EQ(Compress(file, 16, 2, 2000, pcm), 0);
    EXPECT_TRUE(FfmpegDecode(file, 16) == pcm);
}

// The seek table's room: reserved from a known size (exact or too large) or made at the end;
// a stored WAV header and the bytes that followed the samples sit where decoders skip them.
TEST_F(ApeCompressorTest, LayoutVariantsDecodeExactly)
{
    const Bytes pcm = test::GeneratePcm(Signal::kMusic, 16, 2, 200000);
    const int size = static_cast<int>(pcm.size());
    const Bytes wavHeader(44, 0x57);
    const Bytes terminating = {'L', 'I', 'S', 'T', 0, 0, 0, 0};
    const std::pair<const char*, Target> targets[] = {
        {"size known", {.maxAudioBytes = size}},
        {"size overestimated", {.maxAudioBytes = size * 3}},
        {"WAV header and trailer", {.wavHeader = &wavHeader, .terminating = &terminating}},
    };
    const path file = dir_ / "layout.ape";
    for (const auto& [name, target] : targets) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Compress(file, 16, 2, 2000, pcm, target), 0);
        EXPECT_TRUE(FfmpegDecode(file, 16) == pcm);
        const Bytes bytes = ReadBytes(file);
        EXPECT_EQ(bytes[16], 12u) << "three seek entries for three frames";
    }
    EXPECT_EQ(ReadBytes(file)[20], 44u) << "the stored WAV header's size";
}

TEST_F(ApeCompressorTest, RefusesWhatItCannotWrite)
{
    const path file = dir_ / "refused.ape";
    const Bytes pcm = test::GeneratePcm(Signal::kNoise, 16, 2, 1000);
    EXPECT_EQ(Compress(file, 32, 2, 2000, pcm), APE_ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH);
    EXPECT_EQ(Compress(file, 12, 2, 2000, pcm), APE_ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH);
    EXPECT_EQ(Compress(file, 16, 3, 2000, pcm), APE_ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT);
    EXPECT_EQ(Compress(file, 16, 2, 2500, pcm), APE_ERROR_BAD_PARAMETER);
    EXPECT_EQ(Compress(dir_ / "no folder" / "x.ape", 16, 2, 2000, pcm),
              APE_ERROR_INVALID_OUTPUT_FILE);
    EXPECT_EQ(Compress(file, 16, 2, 2000, pcm, {.maxAudioBytes = 3000}),
              APE_ERROR_COMPRESS_TOO_MUCH_DATA);
    EXPECT_FALSE(std::filesystem::exists(file)) << "a file given up is removed";

    // No sample at all cannot make a file that decoders accept.
    EXPECT_EQ(Compress(file, 16, 2, 2000, {}), APE_ERROR_INPUT_FILE_TOO_SMALL);
    EXPECT_FALSE(std::filesystem::exists(file));

    ApeCompressor compressor;
    int room = -1;
    EXPECT_EQ(compressor.LockBuffer(&room), nullptr) << "nothing to offer before the start";
    EXPECT_EQ(room, 0);
    EXPECT_EQ(compressor.UnlockBuffer(4, true), APE_ERROR_INVALID_FUNCTION_PARAMETER);
}

// Music-like material: each level is smaller than the one below, and normal beats flac -8.
TEST_F(ApeCompressorTest, CompressesLikeTheFormatPromises)
{
    if (!test::HaveTool("flac") || !test::HaveTool("sox"))
        GTEST_SKIP() << "flac and sox make the comparison";
    const Bytes pcm = test::GeneratePcm(Signal::kMusic, 16, 2, 44100 * 20);
    const path raw = dir_ / "music.raw";
    test::WriteFile(raw, std::string(pcm.begin(), pcm.end()));
    const path flac = dir_ / "music.flac";
    test::RunCommand("sox -t raw -r 44100 -e signed -b 16 -c 2 '" + raw.string() +
                     "' -t wav - | flac -8 -s -f -o '" + flac.string() + "' - 2>&1");
    const auto flacSize = std::filesystem::file_size(flac);
    ASSERT_GT(flacSize, 0u);

    std::uintmax_t previous = 0;
    std::cout << "flac -8: " << flacSize << " bytes\n";
    for (int level : {1000, 2000, 3000, 4000}) {
        const path file = dir_ / ("music" + std::to_string(level) + ".ape");
        ASSERT_EQ(Compress(file, 16, 2, level, pcm), 0);
        const auto size = std::filesystem::file_size(file);
        std::cout << "level " << level << ": " << size << " bytes\n";
        if (level == 2000) {
            EXPECT_LT(size, flacSize);
        }
        if (previous != 0) {
            EXPECT_LT(size, previous) << "level " << level;
        }
        previous = size;
    }
}

} // namespace
} // namespace corvath::ape
