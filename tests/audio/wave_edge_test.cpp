#include "audio/model/au_file_stream.h"
#include "audio/model/memory_stream.h"
#include "audio/wave/pcm_wave_header.h"
#include "audio/wave/wave_in.h"
#include "audio/wave/wave_out.h"
#include "platform/bytes/little_endian.h"
#include "platform/files/partial_file.h"
#include "support/audio_tools.h"
#include "support/file_size_limit.h"
#include "support/riff_bytes.h"
#include "support/run_command.h"

#include <gtest/gtest.h>
#include <random>

namespace corvath {
namespace {

using test::Chunk;
using test::FakeSource;
using test::FmtBody;
using test::Le16;
using test::Le32;
using test::ReadFile;
using test::WriteFile;

// A 44-byte PCM header for hand-made files, its chunk ids optionally spelled otherwise.
std::string PcmHeader(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize,
                      const char* ids = "RIFFWAVEfmt data")
{
    const auto bytes = PcmWaveHeader(channels, rate, bits, dataSize);
    std::string header(bytes.begin(), bytes.end());
    header.replace(0, 4, ids, 4);
    header.replace(8, 8, ids + 4, 8);
    header.replace(36, 4, ids + 12, 4);
    return header;
}

std::string Frames(std::size_t bytes)
{
    std::string data(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<char>(i * 7 % 256);
    return data;
}

class WaveEdgeTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        in_ = MakeComponent<TWaveIn>();
        fake_ = MakeComponent<FakeSource>();
        out_ = MakeComponent<TWaveOut>();
    }
    void TearDown() override
    {
        out_.reset();
        fake_.reset();
        in_.reset();
        AudioRunFixture::TearDown();
    }
    std::string Write(TAuInput& input, const std::filesystem::path& file)
    {
        out_->SetInput(&input);
        out_->SetFileName(file.string());
        return Run(*out_);
    }
    uint32_t Field(const std::string& file, std::size_t offset)
    {
        return ReadLe32(reinterpret_cast<const uint8_t*>(file.data()) + offset);
    }

    Owned<TWaveIn> in_;
    Owned<FakeSource> fake_;
    Owned<TWaveOut> out_;
};

// Another file or stream asked for while a run reads the source waits for the next run: the
// run's stream stays under its worker.
TEST_F(WaveEdgeTest, TheSourceOfARunKeepsItsFileUntilTheRunEnds)
{
    const std::string data = Frames(4 << 20);
    const auto input = dir_ / "in.wav";
    WriteFile(input, PcmHeader(2, 44100, 16, static_cast<uint32_t>(data.size())) + data);
    WriteFile(dir_ / "other.wav", PcmHeader(1, 8000, 8, 0));
    in_->SetFileName(input.string());
    out_->SetInput(in_.get());
    out_->SetFileName((dir_ / "out.wav").string());
    out_->SetIdleSleepMs(10); // long enough a run to change things under it
    bool done = false;
    out_->SetOnDone([&](TAuOutput*) { done = true; });
    out_->Start();
    ASSERT_TRUE(PumpUntil([&] { return in_->Position() > 0; }));

    in_->SetFileName((dir_ / "other.wav").string());
    TMemoryStream memory;
    in_->SetStream(&memory);
    EXPECT_EQ(in_->FileName(), input.string());
    ASSERT_TRUE(PumpUntil([&] { return done; }));
    EXPECT_EQ(out_->LastError(), "");
    EXPECT_EQ(ReadFile(dir_ / "out.wav").substr(44), data);

    in_->SetFileName((dir_ / "other.wav").string());
    EXPECT_EQ(in_->GetSampleRate(), 8000u) << "once idle, the change is taken";
}

TEST_F(WaveEdgeTest, SettersKeepTheirRules)
{
    out_->SetWavType(wtMSADPCM);
    out_->SetWavType(wtACM);
    EXPECT_EQ(out_->WavType(), wtPCM);
    out_->SetWavType(wtDVIADPCM);
    EXPECT_EQ(out_->WavType(), wtDVIADPCM);
    out_->SetBlockSize(0);
    out_->SetBlockSize(510);
    EXPECT_EQ(out_->BlockSize(), 512);
    out_->SetBlockSize(1024);
    EXPECT_EQ(out_->BlockSize(), 1024);
}

// The stopped run's file is playable and kept, under its partial name: it is not the whole.
TEST_F(WaveEdgeTest, AStopRightAfterStartEndsTheRunWithAPlayableFile)
{
    fake_->total = int64_t{44100} * 4 * 600; // ten minutes
    const std::filesystem::path file = PartialName((dir_ / "stopped.wav").string());
    out_->SetInput(fake_.get());
    out_->SetFileName((dir_ / "stopped.wav").string());
    out_->Start();
    out_->StopOutput(false);
    EXPECT_FALSE(out_->IsBusy());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "stopped.wav"));
    const auto size = static_cast<int64_t>(std::filesystem::file_size(file));
    EXPECT_LT(size, fake_->total / 10);
    if (test::HaveTool("soxi")) {
        const auto copy = dir_ / "copy.wav"; // sox knows a file's kind by its extension
        std::filesystem::copy_file(file, copy);
        EXPECT_EQ(test::RunCommand("soxi -s '" + copy.string() + "' 2>&1"),
                  std::to_string((size - 44) / 4) + "\n");
    }
}

TEST_F(WaveEdgeTest, SettersRightAfterStartAreRefused)
{
    fake_->total = int64_t{44100} * 4 * 600;
    out_->SetInput(fake_.get());
    out_->SetFileName((dir_ / "busy.wav").string());
    out_->Start();
    out_->SetWavType(wtDVIADPCM);
    out_->SetBlockSize(1024);
    EXPECT_TRUE(out_->IsBusy());
    out_->StopOutput(false);
    EXPECT_EQ(out_->WavType(), wtPCM);
    EXPECT_EQ(out_->BlockSize(), 512);
}

TEST_F(WaveEdgeTest, PcmSizesFollowWhatReallyCame)
{
    // Short input: the header gives up the announced size for what came, and nothing is added.
    fake_->total = 1000;
    fake_->announced = 4000;
    ASSERT_EQ(Write(*fake_, dir_ / "short.wav"), "");
    std::string file = ReadFile(dir_ / "short.wav");
    EXPECT_EQ(file.size(), 1044u);
    EXPECT_EQ(Field(file, 40), 1000u);
    EXPECT_EQ(Field(file, 4), 1036u);

    // Unknown size: the placeholder is replaced by the real size.
    fake_->announced = -1;
    ASSERT_EQ(Write(*fake_, dir_ / "unknown.wav"), "");
    file = ReadFile(dir_ / "unknown.wav");
    EXPECT_EQ(Field(file, 40), 1000u);
    EXPECT_EQ(Field(file, 4), file.size() - 8);

    // Stopped: the sizes describe what was written, in the file left partial.
    fake_->total = 1 << 22;
    fake_->announced = -2;
    fake_->delay = std::chrono::microseconds(500);
    out_->SetInput(fake_.get());
    out_->SetFileName((dir_ / "stopped.wav").string());
    bool done = false;
    out_->SetOnDone([&](TAuOutput*) { done = true; });
    out_->Start();
    ASSERT_TRUE(PumpUntil([&] { return fake_->Position() > 100000; }));
    out_->StopOutput(true);
    ASSERT_TRUE(PumpUntil([&] { return done; }));
    file = ReadFile(PartialName((dir_ / "stopped.wav").string()));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "stopped.wav"));
    EXPECT_LT(file.size(), static_cast<std::size_t>(1 << 22));
    EXPECT_EQ(Field(file, 40), file.size() - 44);
}

TEST_F(WaveEdgeTest, ImaAdpcmWritesTheBlockWhereTheInputEnded)
{
    fake_->announced = -2;
    out_->SetWavType(wtDVIADPCM);
    // 1017 mono samples fill one block exactly; the end shows only while filling the next.
    fake_->channels = 1;
    fake_->total = 1017 * 2;
    ASSERT_EQ(Write(*fake_, dir_ / "two.wav"), "");
    std::string file = ReadFile(dir_ / "two.wav");
    EXPECT_EQ(file.size(), 60u + 2 * 512);
    EXPECT_EQ(Field(file, 56), 2u * 512);
    EXPECT_EQ(Field(file, 48), 1017u);

    fake_->total = 1000 * 2;
    ASSERT_EQ(Write(*fake_, dir_ / "one.wav"), "");
    file = ReadFile(dir_ / "one.wav");
    EXPECT_EQ(file.size(), 60u + 512);
    EXPECT_EQ(Field(file, 48), 1000u);

    // The frame count is what came, not what was announced.
    fake_->announced = 1000 * 2 * 4;
    ASSERT_EQ(Write(*fake_, dir_ / "short.wav"), "");
    file = ReadFile(dir_ / "short.wav");
    EXPECT_EQ(Field(file, 56), 512u);
    EXPECT_EQ(Field(file, 48), 1000u);
    fake_->announced = -2;

    // 8-bit sound cannot be coded so, nor stereo in blocks that split a group of codes.
    fake_->bits = 8;
    EXPECT_EQ(Write(*fake_, dir_ / "eight.wav"), "Cannot encode 8 bit sound into ADPCM.");
    fake_->bits = 16;
    fake_->channels = 2;
    out_->SetBlockSize(516);
    EXPECT_EQ(Write(*fake_, dir_ / "odd.wav"),
              "Stereo IMA ADPCM needs a block size that is a multiple of 8.");
}

TEST_F(WaveEdgeTest, AppendingKeepsTheHeaderAndChecksTheFormat)
{
    const std::string first = Frames(4000);
    WriteFile(dir_ / "base.wav", PcmHeader(2, 44100, 16, 4000, "riffwavefmt data") + first);
    fake_->total = 2000;
    out_->SetFileMode(foAppend);
    ASSERT_EQ(Write(*fake_, dir_ / "base.wav"), "");
    std::string file = ReadFile(dir_ / "base.wav");
    EXPECT_EQ(file.size(), 6044u);
    EXPECT_EQ(file.substr(0, 4), "riff");
    EXPECT_EQ(Field(file, 40), 6000u);
    EXPECT_EQ(Field(file, 4), 6036u);
    EXPECT_EQ(file.substr(44, 4000), first);

    WriteFile(dir_ / "mono.wav", PcmHeader(1, 44100, 16, 10) + Frames(10));
    EXPECT_EQ(Write(*fake_, dir_ / "mono.wav"), "Cannot append data in different audio format.");
    EXPECT_EQ(ReadFile(dir_ / "mono.wav").size(), 54u);

    WriteFile(dir_ / "junk.wav", "this is no wave file at all");
    EXPECT_EQ(Write(*fake_, dir_ / "junk.wav"), "Cannot append data to this .wav file.");
    EXPECT_EQ(ReadFile(dir_ / "junk.wav"), "this is no wave file at all");
    EXPECT_FALSE(fake_->IsBusy());
}

TEST_F(WaveEdgeTest, AppendingToImaAdpcmAdoptsItsBlockSize)
{
    out_->SetWavType(wtDVIADPCM);
    out_->SetBlockSize(1024);
    fake_->total = 5000 * 4;
    ASSERT_EQ(Write(*fake_, dir_ / "ima.wav"), "");
    out_->SetWavType(wtPCM);
    out_->SetBlockSize(256);
    out_->SetFileMode(foAppend);
    ASSERT_EQ(Write(*fake_, dir_ / "ima.wav"), "");
    EXPECT_EQ(out_->BlockSize(), 1024);
    EXPECT_EQ(out_->WavType(), wtDVIADPCM);
    const std::string file = ReadFile(dir_ / "ima.wav");
    EXPECT_EQ(Field(file, 56), file.size() - 60);
    // Ten blocks; only the padding at the very end is not sound.
    EXPECT_EQ(Field(file, 48), 5 * 1017 + 5000u);
}

// A refused file leaves the writer as it was: its next ADPCM run works with its own settings.
TEST_F(WaveEdgeTest, ARefusedAppendChangesNoSetting)
{
    out_->SetWavType(wtDVIADPCM);
    out_->SetBlockSize(512);
    fake_->total = 1000 * 4;
    const std::string bad =
        Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(17, 2, 44100, 0, 4) + Le16(2) + Le16(0)) +
                          Chunk("fact", Le32(0)) + Chunk("data", ""));
    WriteFile(dir_ / "zero.wav", bad);
    out_->SetFileMode(foAppend);
    EXPECT_EQ(Write(*fake_, dir_ / "zero.wav"), "Cannot append data to this .wav file.");
    EXPECT_EQ(ReadFile(dir_ / "zero.wav"), bad);
    EXPECT_EQ(out_->BlockSize(), 512);

    WriteFile(dir_ / "pcm.wav", PcmHeader(1, 8000, 16, 2) + Frames(2));
    EXPECT_EQ(Write(*fake_, dir_ / "pcm.wav"), "Cannot append data in different audio format.");
    EXPECT_EQ(out_->WavType(), wtDVIADPCM);

    out_->SetFileMode(foRewrite);
    ASSERT_EQ(Write(*fake_, dir_ / "fresh.wav"), "");
    EXPECT_EQ(Field(ReadFile(dir_ / "fresh.wav"), 56), 2 * 512u) << "two blocks of its own size";
}

// New sound goes where the data ends: a tagger's chunk after the data would become sound, so
// such a file is refused whole; a pad byte after odd data gives way to the new sound.
TEST_F(WaveEdgeTest, AppendingGoesWhereTheDataEnds)
{
    const std::string tagged =
        PcmHeader(2, 44100, 16, 400) + Frames(400) + Chunk("LIST", "INFOISFT" + Le32(4) + "tag");
    WriteFile(dir_ / "tagged.wav", tagged);
    fake_->total = 2000;
    out_->SetFileMode(foAppend);
    EXPECT_EQ(Write(*fake_, dir_ / "tagged.wav"), "Cannot append data to this .wav file.");
    EXPECT_EQ(ReadFile(dir_ / "tagged.wav"), tagged);

    const std::string odd = Frames(3);
    WriteFile(dir_ / "odd.wav", PcmHeader(1, 44100, 8, 3) + odd + std::string(1, '\0'));
    fake_->bits = 8;
    fake_->channels = 1;
    fake_->total = 5;
    ASSERT_EQ(Write(*fake_, dir_ / "odd.wav"), "");
    const std::string file = ReadFile(dir_ / "odd.wav");
    EXPECT_EQ(Field(file, 40), 8u);
    EXPECT_EQ(file.substr(44, 3), odd);
    EXPECT_EQ(file.size(), 52u);
}

TEST_F(WaveEdgeTest, TooLargeInputIsRefusedBeforeTheFileIsTouched)
{
    WriteFile(dir_ / "keep.wav", "old content");
    fake_->announced = int64_t{5} << 30;
    const std::string error = Write(*fake_, dir_ / "keep.wav");
    EXPECT_NE(error.find("4 GiB"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(dir_ / "keep.wav"), "old content");
    EXPECT_FALSE(fake_->IsBusy());
}

TEST_F(WaveEdgeTest, AFullDiskFailsTheRunNamingTheFile)
{
    fake_->total = 100000;
    const auto file = dir_ / "full.wav";
    std::string error;
    {
        const test::FileSizeLimit limit(50000);
        error = Write(*fake_, file);
    }
    EXPECT_EQ(error, "Cannot write file " + file.string() + ": File too large");
    EXPECT_FALSE(std::filesystem::exists(file)) << "a half-written file is removed";
    EXPECT_FALSE(fake_->IsBusy());
    // The file is closed: it can be written again at once.
    ASSERT_EQ(Write(*fake_, file), "");
    EXPECT_EQ(ReadFile(file).size(), 100044u);
}

TEST_F(WaveEdgeTest, ReaderFindsDataPastStrayBytesAndOtherChunks)
{
    std::string header = PcmHeader(2, 44100, 16, 4000);
    // "LIST" chunk between fmt and data, stray bytes before RIFF, a chunk after the data.
    header.insert(36, std::string("LIST\x04\x00\x00\x00info", 12));
    WriteFile(dir_ / "odd.wav", "xyz" + header + Frames(4000) + "JUNK\x02\x00\x00\x00zz");
    in_->SetFileName((dir_ / "odd.wav").string());
    ASSERT_TRUE(in_->IsValid());
    EXPECT_EQ(in_->GetSampleCount(), 1000);
    in_->BeginRead();
    EXPECT_EQ(in_->ReadData(1001).bytes, 1000u); // whole frames only
    std::string rest;
    while (true) {
        const AudioChunk chunk = in_->ReadData(16384);
        if (chunk.bytes == 0)
            break;
        rest.append(reinterpret_cast<char*>(chunk.data), chunk.bytes);
    }
    in_->EndRead();
    EXPECT_EQ(rest, Frames(4000).substr(1000)) << "nothing after the data chunk is sound";
}

// A data size of 0xFFFFFFFF, as written to a pipe, or one that a cut file no longer holds, lets
// the sound run to the end of the file; only the latter announced a length.
TEST_F(WaveEdgeTest, ADataSizePastTheEndOfTheFileMeansTheRestOfIt)
{
    for (const uint32_t stored : {0xFFFFFFFFu, 40000u}) {
        SCOPED_TRACE(stored);
        // A stray half frame at the end is no sound.
        WriteFile(dir_ / "long.wav", PcmHeader(2, 44100, 16, stored) + Frames(1002));
        in_->SetFileName((dir_ / "long.wav").string());
        ASSERT_TRUE(in_->IsValid());
        EXPECT_EQ(in_->GetSampleCount(), 250);
        EXPECT_EQ(in_->AnnouncedSize(), stored == 40000u ? 40000 : -1);
        ASSERT_EQ(Write(*in_, dir_ / "out.wav"), "");
        const std::string out = ReadFile(dir_ / "out.wav");
        EXPECT_EQ(Field(out, 40), 1000u);
        EXPECT_EQ(out.substr(44), Frames(1000));
    }

    // Read from a pipe, the length is unknown until the end.
    test::ForwardStream pipe;
    const std::string bytes = PcmHeader(2, 44100, 16, 0xFFFFFFFFu) + Frames(1000);
    pipe.Bytes().assign(bytes.begin(), bytes.end());
    in_->SetStream(&pipe);
    ASSERT_TRUE(in_->IsValid());
    in_->BeginRead();
    EXPECT_EQ(in_->Size(), -1);
    std::string sound;
    for (AudioChunk chunk; (chunk = in_->ReadData(16384)).bytes > 0;)
        sound.append(reinterpret_cast<char*>(chunk.data), chunk.bytes);
    in_->EndRead();
    in_->SetStream(nullptr);
    EXPECT_EQ(sound, Frames(1000));
}

TEST_F(WaveEdgeTest, SampleRangesApplyToOneRun)
{
    WriteFile(dir_ / "100.wav", PcmHeader(2, 44100, 16, 400) + Frames(400));
    in_->SetFileName((dir_ / "100.wav").string());
    in_->SetStartSample(10);
    in_->BeginRead();
    EXPECT_EQ(in_->Size(), 90 * 4);
    EXPECT_EQ(in_->ReadData(16384).data[0], static_cast<uint8_t>(40 * 7 % 256));
    in_->EndRead();
    EXPECT_EQ(in_->StartSample(), 0);

    in_->SetStartSample(10);
    in_->SetEndSample(19);
    in_->BeginRead();
    EXPECT_EQ(in_->Size(), 10 * 4);
    EXPECT_EQ(in_->ReadData(16384).bytes, 40u);
    EXPECT_EQ(in_->ReadData(16384).bytes, 0u);
    in_->EndRead();
    EXPECT_EQ(in_->EndSample(), -1);
}

TEST_F(WaveEdgeTest, SeekingImaAdpcmResumesAtTheBlockStart)
{
    out_->SetWavType(wtDVIADPCM);
    fake_->channels = 1;
    fake_->total = 4000 * 2;
    ASSERT_EQ(Write(*fake_, dir_ / "ima.wav"), "");
    in_->SetFileName((dir_ / "ima.wav").string());
    in_->BeginRead();
    std::vector<uint8_t> whole;
    for (AudioChunk chunk; (chunk = in_->ReadData(16384)).bytes > 0;)
        whole.insert(whole.end(), chunk.data, chunk.data + chunk.bytes);
    ASSERT_EQ(whole.size(), 8000u);
    in_->EndRead();
    in_->BeginRead();
    ASSERT_TRUE(in_->SeekTo(1500));
    const AudioChunk chunk = in_->ReadData(8);
    ASSERT_EQ(chunk.bytes, 8u);
    EXPECT_TRUE(std::equal(chunk.data, chunk.data + 8, whole.begin() + 1017 * 2));
    in_->EndRead();
}

TEST_F(WaveEdgeTest, BrokenFilesAreNotValidAndNeverCrash)
{
    using namespace std::string_literals;
    std::mt19937 random(7);
    std::string noise(100000, '\0');
    for (auto& byte : noise)
        byte = static_cast<char>(random());
    std::string hugeFmt = PcmHeader(2, 44100, 16, 4000);
    WriteLe32(reinterpret_cast<uint8_t*>(hugeFmt.data()) + 16, 0xFFFFFFF0u);
    std::string noChannels = PcmHeader(0, 44100, 16, 4000) + Frames(4000);
    std::string imaWithoutFact = PcmHeader(1, 44100, 4, 512);
    WriteLe16(reinterpret_cast<uint8_t*>(imaWithoutFact.data()) + 20, 17);
    // A header that is refused must not size anything: 65535 channels of 65535 bits in 65535-frame
    // blocks.
    std::string hugeBlocks = "RIFF\0\0\0\0WAVEfmt \x14\0\0\0"s + std::string(20, '\0');
    auto* fmt = reinterpret_cast<uint8_t*>(hugeBlocks.data()) + 20;
    WriteLe16(fmt, 17);
    WriteLe16(fmt + 2, 65535);
    WriteLe16(fmt + 14, 65535);
    WriteLe16(fmt + 18, 65535);
    const std::pair<const char*, std::string> files[] = {
        {"empty", ""},
        {"noise", noise},
        {"huge fmt", hugeFmt + Frames(100)},
        {"truncated", PcmHeader(2, 44100, 16, 4000).substr(0, 30)},
        {"no channels", noChannels},
        {"ima without fact", imaWithoutFact + Frames(512)},
        {"huge blocks", hugeBlocks + Frames(512)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        WriteFile(dir_ / "bad.wav", bytes);
        in_->SetFileName((dir_ / "bad.wav").string());
        EXPECT_FALSE(in_->IsValid());
        EXPECT_EQ(Write(*in_, dir_ / "out.wav"),
                  "The input holds no sound that a WAV file can take.");
        EXPECT_FALSE(in_->IsBusy());
        EXPECT_FALSE(std::filesystem::exists(dir_ / "out.wav"));
    }

    // Missing files and folders are named in the error.
    in_->SetFileName(dir_.path().string());
    EXPECT_THROW(in_->IsValid(), EAuException);
    in_->SetFileName((dir_ / "missing.wav").string());
    try {
        in_->GetChannels();
        FAIL();
    } catch (const EAuException& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + (dir_ / "missing.wav").string() +
                                                 ": No such file or directory");
    }
}

} // namespace
} // namespace corvath
