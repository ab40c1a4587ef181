#include "audio/model/au_file_stream.h"
#include "audio/model/memory_stream.h"
#include "audio/wave/wave_header_scanner.h"
#include "platform/bytes/little_endian.h"
#include "support/fake_components.h"
#include "support/temp_dir.h"
#include "wave_files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace corvath {
namespace {

using namespace std::string_literals;
using test::Chunk;

const std::string kPcmFmt = test::FmtBody(1, 2, 44100, 4, 16);
const std::string kImaFmt =
    test::FmtBody(17, 1, 22050, 256, 4) + std::string("\x02\x00\xF9\x01", 4);
const std::string kSamples(40, '\x11');

// Accepts PCM without a fact chunk and IMA ADPCM with one; refuses every other format tag.
TFmtVerdict PcmOrIma(std::span<const uint8_t> fmt)
{
    switch (ReadLe16(fmt.data())) {
    case 1:
        return {wtPCM, false};
    case 17:
        return {wtDVIADPCM, true};
    default:
        return {};
    }
}

std::string Riff(const std::string& chunks)
{
    return Chunk("RIFF", "WAVE" + chunks);
}

class WaveHeaderScanner : public ::testing::Test {
protected:
    TWaveHeader Scan(const std::string& bytes, std::size_t start = 0)
    {
        stream_.Bytes().assign(bytes.begin(), bytes.end());
        stream_.SetPosition(static_cast<int64_t>(start));
        return ScanWaveHeader(stream_, PcmOrIma);
    }

    TMemoryStream stream_;
};

// An odd chunk before the data is read with its pad byte, as the RIFF rules have it, and
// without, as some programs write it.
TEST_F(WaveHeaderScanner, OddChunksAreReadWithOrWithoutTheirPadByte)
{
    const std::string odd = Chunk("junk", "abc");
    for (const std::string& skipped : {odd + '\0', odd}) {
        const TWaveHeader header =
            Scan(Riff(Chunk("fmt ", kPcmFmt) + skipped + Chunk("data", kSamples)));
        EXPECT_EQ(header.kind, wtPCM);
        EXPECT_EQ(header.dataSize, kSamples.size());
        EXPECT_EQ(header.dataStart, static_cast<int64_t>(stream_.Bytes().size() - kSamples.size()));
    }
}

TEST_F(WaveHeaderScanner, FindsThePlainPcmLayout)
{
    const TWaveHeader header = Scan(Riff(Chunk("fmt ", kPcmFmt) + Chunk("data", kSamples)));
    EXPECT_EQ(header.kind, wtPCM);
    EXPECT_EQ(std::string(header.fmt.begin(), header.fmt.end()), kPcmFmt);
    EXPECT_EQ(header.dataSize, kSamples.size());
    EXPECT_EQ(header.dataSizeOffset, 40);
    EXPECT_EQ(header.dataStart, 44);
    EXPECT_EQ(header.factValueOffset, -1);
    EXPECT_EQ(stream_.Position(), 44);
}

TEST_F(WaveHeaderScanner, FindsTheFactChunkWhenTheFormatNeedsIt)
{
    const TWaveHeader header = Scan(
        Riff(Chunk("fmt ", kImaFmt) + Chunk("fact", "\x39\x30\0\0"s) + Chunk("data", kSamples)));
    EXPECT_EQ(header.kind, wtDVIADPCM);
    EXPECT_EQ(header.factFrames, 12345u);
    EXPECT_EQ(header.factValueOffset, 48);
    EXPECT_EQ(header.dataSizeOffset, 56);
    EXPECT_EQ(header.dataStart, 60);
    EXPECT_EQ(stream_.Position(), 60);
}

TEST_F(WaveHeaderScanner, SkipsUnknownChunksAndStrayBytes)
{
    const std::string list = Chunk("LIST", "INFOISFT\x05\0\0\0odd!!"s); // odd size, no pad byte
    const std::string junk = "xxRI";
    const TWaveHeader header =
        Scan(junk + "RIFF\0\0\0\0??WAVE"s + Chunk("junk", "12") + Chunk("fmt ", kImaFmt) + list +
             Chunk("fact", "\x01\0\0\0"s) + list + Chunk("data", kSamples));
    EXPECT_EQ(header.kind, wtDVIADPCM);
    EXPECT_EQ(header.factFrames, 1u);
    const std::size_t dataStart =
        junk.size() + 14 + 10 + 8 + kImaFmt.size() + 2 * list.size() + 12 + 8;
    EXPECT_EQ(header.dataStart, static_cast<int64_t>(dataStart));
    EXPECT_EQ(stream_.Position(), header.dataStart);
}

TEST_F(WaveHeaderScanner, IgnoresLetterCaseOfChunkIds)
{
    const TWaveHeader header =
        Scan(Chunk("riff", "wave" + Chunk("FMT ", kImaFmt) + Chunk("Fact", "\x07\0\0\0"s) +
                               Chunk("dAtA", kSamples)));
    EXPECT_EQ(header.kind, wtDVIADPCM);
    EXPECT_EQ(header.factFrames, 7u);
    EXPECT_EQ(header.dataSize, kSamples.size());
}

TEST_F(WaveHeaderScanner, OffsetsCountFromTheStreamStartWhenSeekable)
{
    const std::string prefix(100, '\0');
    const TWaveHeader header =
        Scan(prefix + Riff(Chunk("fmt ", kPcmFmt) + Chunk("data", kSamples)), prefix.size());
    EXPECT_EQ(header.dataStart, 144);
}

TEST(WaveHeaderScannerForward, ReadsStreamsThatCannotSeek)
{
    test::ForwardStream stream;
    const std::string bytes = Riff(Chunk("LIST", std::string(300, 'l')) + Chunk("fmt ", kPcmFmt) +
                                   Chunk("data", kSamples));
    stream.Write(bytes.data(), bytes.size());
    stream.TMemoryStream::Seek(0, TSeekOrigin::Begin);
    const TWaveHeader header = ScanWaveHeader(stream, PcmOrIma);
    EXPECT_EQ(header.kind, wtPCM);
    EXPECT_EQ(header.dataStart, 352);
    uint8_t first = 0;
    ASSERT_EQ(stream.Read(&first, 1), 1u);
    EXPECT_EQ(first, 0x11);
}

TEST_F(WaveHeaderScanner, RefusesFormatsItCannotComplete)
{
    // Refused by the interpreter.
    EXPECT_EQ(
        Scan(Riff(Chunk("fmt ", test::FmtBody(85, 2, 44100, 1, 0)) + Chunk("data", kSamples))).kind,
        wtUnsupported);
    // A fact chunk is needed but the data comes first: the data is skipped as an unknown chunk.
    EXPECT_EQ(
        Scan(Riff(Chunk("fmt ", kImaFmt) + Chunk("data", kSamples) + Chunk("fact", "\x01\0\0\0"s)))
            .kind,
        wtUnsupported);
    EXPECT_EQ(Scan(Riff(Chunk("fmt ", kImaFmt) + Chunk("data", kSamples))).kind, wtUnsupported);
    // A fact chunk too short for its count, a fmt chunk too short for the common fields.
    EXPECT_EQ(
        Scan(Riff(Chunk("fmt ", kImaFmt) + Chunk("fact", "\x01\0\0"s) + Chunk("data", ""))).kind,
        wtUnsupported);
    EXPECT_EQ(Scan(Riff(Chunk("fmt ", kPcmFmt.substr(0, 14)) + Chunk("data", kSamples))).kind,
              wtUnsupported);
    // No data chunk at all.
    EXPECT_EQ(Scan(Riff(Chunk("fmt ", kPcmFmt))).kind, wtUnsupported);
}

TEST_F(WaveHeaderScanner, GivesUpOnEveryTruncation)
{
    const std::string whole = Riff(Chunk("fmt ", kImaFmt) + Chunk("LIST", "abcd") +
                                   Chunk("fact", "\x01\0\0\0"s) + Chunk("data", ""));
    ASSERT_EQ(Scan(whole).kind, wtDVIADPCM);
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_EQ(Scan(whole.substr(0, size)).kind, wtUnsupported) << size << " bytes";
}

TEST_F(WaveHeaderScanner, RefusesChunkSizesBeyondTheHeaderLimit)
{
    const std::string huge = "\xFF\xFF\xFF\xFF"s;
    EXPECT_EQ(Scan(Riff("fmt " + huge + kPcmFmt + Chunk("data", kSamples))).kind, wtUnsupported);
    EXPECT_EQ(Scan(Riff("LIST" + huge + Chunk("fmt ", kPcmFmt) + Chunk("data", kSamples))).kind,
              wtUnsupported);
}

TEST_F(WaveHeaderScanner, AcceptsHeadersUpTo8192Bytes)
{
    // Everything up to the first data byte: 12 + 24 + 8 + padding + 8.
    const auto withHeaderOf = [](std::size_t bytes) {
        return Riff(Chunk("fmt ", kPcmFmt) + Chunk("LIST", std::string(bytes - 52, 'p')) +
                    Chunk("data", kSamples));
    };
    const TWaveHeader fits = Scan(withHeaderOf(kMaxWaveHeaderBytes));
    EXPECT_EQ(fits.kind, wtPCM);
    EXPECT_EQ(fits.dataStart, static_cast<int64_t>(kMaxWaveHeaderBytes));
    EXPECT_EQ(Scan(withHeaderOf(kMaxWaveHeaderBytes + 1)).kind, wtUnsupported);

    const std::string stray(kMaxWaveHeaderBytes, 'x');
    EXPECT_EQ(Scan(stray + Riff(Chunk("fmt ", kPcmFmt) + Chunk("data", kSamples))).kind,
              wtUnsupported);
}

TEST_F(WaveHeaderScanner, FindsNothingInEmptyOrRandomBytes)
{
    EXPECT_EQ(Scan("").kind, wtUnsupported);
    std::mt19937 random(11);
    for (int round = 0; round < 50; ++round) {
        std::string noise(1 + random() % 20000, '\0');
        for (char& byte : noise)
            byte = static_cast<char>(random());
        EXPECT_EQ(Scan(noise).kind, wtUnsupported);
    }
}

TEST(WaveHeaderScannerFiles, FindsTheDataOfAnFfmpegFileWithAListChunk)
{
    if (!test::ToolInstalled("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed to make a WAV file with a LIST chunk";
    const test::TempDir dir;
    const auto file = dir / "ffmpeg.wav";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=0.1 "
                           "-ac 2 -metadata title=Tone '" +
                           file.string() + "'")
                              .c_str()),
              0);
    ASSERT_NE(test::ReadFile(file).find("LIST"), std::string::npos);

    TAuFileStream stream(file.string(), TAuFileStream::kReadShareRead);
    const TWaveHeader header = ScanWaveHeader(stream, PcmOrIma);
    EXPECT_EQ(header.kind, wtPCM);
    EXPECT_EQ(ReadLe16(&header.fmt[2]), 2);
    EXPECT_EQ(header.dataStart + header.dataSize,
              static_cast<int64_t>(std::filesystem::file_size(file)));
    EXPECT_EQ(header.dataSize, 4410u * 4);
    EXPECT_EQ(stream.Position(), header.dataStart);
}

} // namespace
} // namespace corvath
