#include "audio/model/au_exception.h"
#include "audio/wave/wave_in.h"
#include "codecs/flac/flac_out.h"
#include "support/audio_tools.h"
#include "support/cover_archive.h"
#include "support/file_size_limit.h"
#include "support/run_command.h"
#include "support/stopped_output.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvath {
namespace {

using std::filesystem::path;
using test::Quoted;
using test::RunCommand;
using test::WaveData;

std::string List(const path& file)
{
    return RunCommand("metaflac --list " + Quoted(file));
}

// An empty file passes with a warning: a total of 0 samples also means "unknown".
bool PassesFlacTest(const path& file)
{
    return RunCommand("flac -t -s " + Quoted(file) + " >/dev/null 2>&1 && echo passed") ==
           "passed\n";
}

// The sample bytes that flac decodes the file to.
std::string Decoded(const path& file)
{
    const path wav = path(file).replace_extension(".decoded.wav");
    RunCommand("flac -d -s -f -o " + Quoted(wav) + " " + Quoted(file) + " 2>&1");
    return WaveData(wav);
}

class FlacOutTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        ASSERT_TRUE(FlacLibrary().Load()) << FlacLibrary().NotLoadedMessage();
        if (!test::HaveTool("flac") || !test::HaveTool("metaflac") || !test::HaveTool("sox"))
            GTEST_SKIP() << "flac, metaflac and sox are needed to make and check the files";
        out_ = MakeComponent<TFLACOut>();
        fake_ = MakeComponent<test::FakeSource>();
    }
    void TearDown() override
    {
        out_.reset();
        fake_.reset();
        AudioRunFixture::TearDown();
    }

    // A quarter of a second (11025 frames, not a whole number of blocks) of a tone and noise.
    path Sox(uint32_t bits, uint32_t channels, const std::string& length = "0.25")
    {
        const path file =
            dir_ / ("in" + std::to_string(bits) + "x" + std::to_string(channels) + ".wav");
        RunCommand("sox -n -b " + std::to_string(bits) + " -c " + std::to_string(channels) +
                   " -r 44100 " + Quoted(file) + " synth " + length +
                   (channels == 1 ? " pinknoise" : " sine 440 whitenoise") + " 2>&1");
        return file;
    }

    std::string Encode(TAuInput& source, const path& file)
    {
        out_->SetInput(&source);
        out_->SetFileName(file.string());
        return Run(*out_);
    }

    Owned<TFLACOut> out_;
    Owned<test::FakeSource> fake_;
};

TEST_F(FlacOutTest, EveryLevelAndTheCustomSettingsDecodeBitExactly)
{
    struct Case {
        path source;
        path flac;
        Owned<TWaveIn> in;
        Owned<TFLACOut> out;
    };
    std::atomic<std::size_t> done{0};
    std::vector<Case> cases;
    for (const uint32_t bits : {8u, 16u, 24u}) {
        for (const uint32_t channels : {1u, 2u}) {
            const path source = Sox(bits, channels);
            for (int32_t level = -1; level <= 8; ++level) {
                const std::string name = source.stem().string() + "_level" + std::to_string(level);
                Case& c =
                    cases.emplace_back(Case{source, dir_ / (name + ".flac"),
                                            MakeComponent<TWaveIn>(), MakeComponent<TFLACOut>()});
                c.in->SetFileName(source.string());
                c.out->SetInput(c.in.get());
                c.out->SetFileName(c.flac.string());
                c.out->SetCompressionLevel(level);
                if (level < 0) { // precision 12 is lowered for 24 bits
                    c.out->SetMaxLPCOrder(8);
                    c.out->SetQLPCoeffPrecision(12);
                    c.out->SetQLPCoeffPrecisionSearch(true);
                    c.out->SetMaxResidualPartitionOrder(6);
                    c.out->SetBestModelSearch(true);
                    c.out->SetVerify(true);
                }
            }
        }
    }
    // All at once: each run's end is announced only after a fixed pause.
    for (Case& c : cases) {
        c.out->SetOnDone([&](TAuOutput*) { ++done; });
        c.out->Start();
    }
    ASSERT_TRUE(PumpUntil([&] { return done == cases.size(); }, std::chrono::seconds(120)));

    for (Case& c : cases) {
        SCOPED_TRACE(c.flac.filename().string());
        ASSERT_EQ(c.out->LastError(), "");
        EXPECT_TRUE(PassesFlacTest(c.flac));
        EXPECT_EQ(Decoded(c.flac), WaveData(c.source));
    }
}

TEST_F(FlacOutTest, CommentBlockIsOursInEveryFileAndStreamInfoCountsTheFrames)
{
    fake_->total = 10000 * 4;
    out_->Tags().SetArtist("Ane Brun");
    out_->Tags().SetTitle("Sång");
    const path file = dir_ / "tags.flac";
    ASSERT_EQ(Encode(*fake_, file), "");
    std::string list = List(file);
    EXPECT_NE(list.find("  total samples: 10000\n"), std::string::npos) << list;
    // It replaces the library's own, which ended the metadata; room for later tags follows.
    EXPECT_NE(list.find("METADATA block #1\n  type: 4 (VORBIS_COMMENT)\n  is last: false\n"
                        "  length: 55\n  vendor string: VENDOR=Rivire\n  comments: 2\n"
                        "    comment[0]: TITLE=Sång\n    comment[1]: ARTIST=Ane Brun\n"),
              std::string::npos)
        << list;
    EXPECT_NE(
        list.find("METADATA block #2\n  type: 1 (PADDING)\n  is last: true\n  length: 4096\n"),
        std::string::npos)
        << list;
    EXPECT_EQ(list.find("METADATA block #3"), std::string::npos) << list;
    EXPECT_TRUE(PassesFlacTest(file));

    out_->Tags().SetAlbum("Spending Time");
    out_->Tags().SetDate("2003");
    out_->Tags().SetGenre("Folk");
    out_->Tags().SetTrack("7");
    ASSERT_EQ(Encode(*fake_, file), "");
    list = List(file);
    EXPECT_NE(
        list.find("  comments: 6\n    comment[0]: TITLE=Sång\n    comment[1]: ARTIST=Ane Brun\n"
                  "    comment[2]: ALBUM=Spending Time\n    comment[3]: DATE=2003\n"
                  "    comment[4]: GENRE=Folk\n    comment[5]: TRACKNUMBER=7\n"),
        std::string::npos)
        << list;

    out_->Tags().Clear();
    ASSERT_EQ(Encode(*fake_, file), "");
    list = List(file);
    EXPECT_NE(list.find("  length: 21\n  vendor string: VENDOR=Rivire\n  comments: 0\n"),
              std::string::npos)
        << list;
}

// The picture follows our comment block, which then is no longer last; it stays for later files.
TEST_F(FlacOutTest, ACoverPictureFollowsTheCommentsInEveryFileUntilTakenAway)
{
    fake_->total = 10000 * 4;
    const std::string png = test::RedSquare(dir_.path(), "png");
    out_->SetCoverPicture(CoverPictureOf(png));
    out_->Tags().SetArtist("Ane Brun");
    const path file = dir_ / "cover.flac";
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(Encode(*fake_, file), "");
        const std::string list = List(file);
        EXPECT_NE(list.find("METADATA block #1\n  type: 4 (VORBIS_COMMENT)\n  is last: false\n"),
                  std::string::npos)
            << list;
        EXPECT_NE(list.find("METADATA block #2\n  type: 1 (PADDING)\n  is last: false\n"),
                  std::string::npos)
            << list;
        EXPECT_NE(list.find("METADATA block #3\n  type: 6 (PICTURE)\n  is last: true\n"),
                  std::string::npos)
            << list;
        EXPECT_NE(list.find("  type: 3 (Cover (front))\n  MIME type: image/png\n  description: \n"
                            "  width: 16\n  height: 16\n"),
                  std::string::npos)
            << list;
        EXPECT_EQ(RunCommand("metaflac --export-picture-to=- " + Quoted(file)), png);
        EXPECT_TRUE(PassesFlacTest(file));
    }

    out_->SetCoverPicture(std::nullopt);
    ASSERT_EQ(Encode(*fake_, file), "");
    EXPECT_EQ(List(file).find("PICTURE"), std::string::npos);
}

TEST_F(FlacOutTest, EmptyAndShortInputsGiveValidFilesOfWhatArrived)
{
    const path file = dir_ / "short.flac";
    fake_->total = 0;
    ASSERT_EQ(Encode(*fake_, file), "");
    EXPECT_TRUE(PassesFlacTest(file));
    EXPECT_NE(List(file).find("  total samples: 0\n"), std::string::npos);

    // A source that delivers less than it announced: the estimate gives way to the count.
    fake_->total = 3000 * 4;
    fake_->announced = 9000 * 4;
    ASSERT_EQ(Encode(*fake_, file), "");
    EXPECT_TRUE(PassesFlacTest(file));
    EXPECT_NE(List(file).find("  total samples: 3000\n"), std::string::npos);
}

TEST_F(FlacOutTest, AStopRightAfterStartLeavesAValidFileLongBeforeTheEnd)
{
    const path source = Sox(16, 2, "600");
    auto in = MakeComponent<TWaveIn>();
    in->SetFileName(source.string());
    const path file = dir_ / "stopped.flac";
    out_->SetInput(in.get());
    out_->SetFileName(file.string());
    out_->Start();
    out_->StopOutput(false);
    EXPECT_FALSE(out_->IsBusy());
    ASSERT_TRUE(test::TakeStoppedFile(file));
    EXPECT_TRUE(PassesFlacTest(file));
    EXPECT_LT(Decoded(file).size(), std::filesystem::file_size(source) / 10);
}

TEST_F(FlacOutTest, UnsupportedSampleSizeIsRefusedBeforeTheFileExists)
{
    for (const uint32_t bits : {12u, 32u}) {
        fake_->bits = bits;
        const path file = dir_ / ("bits" + std::to_string(bits) + ".flac");
        EXPECT_EQ(Encode(*fake_, file),
                  "Cannot encode " + std::to_string(bits) + " bit sound into FLAC.");
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

TEST_F(FlacOutTest, AFullDiskFailsTheRunInAStepOrAtTheFinish)
{
    const path file = dir_ / "full.flac";
    const path longInput = Sox(16, 2, "2");
    const auto in = MakeComponent<TWaveIn>();
    in->SetFileName(longInput.string());
    {
        const test::FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(Encode(*in, file), "Cannot write file " + file.string() + ": File too large");
    }
    // Less than a block: every frame is written by the library's finish.
    fake_->total = 1000 * 4;
    fake_->chunkBytes = 1 << 20;
    {
        const test::FileSizeLimit limit(100);
        EXPECT_EQ(Encode(*fake_, file), "Cannot write file " + file.string() + ": File too large");
    }
    EXPECT_FALSE(out_->IsBusy());
    ASSERT_EQ(Encode(*in, file), "");
    EXPECT_EQ(Decoded(file), WaveData(longInput));
}

TEST_F(FlacOutTest, SettersKeepTheirRulesAndPrecisionIsLoweredToFit)
{
    out_->SetCompressionLevel(12);
    EXPECT_EQ(out_->CompressionLevel(), 8);
    out_->SetCompressionLevel(-1);

    out_->SetEnableMidSideStereo(false);
    out_->SetEnableLooseMidSideStereo(true);
    EXPECT_TRUE(out_->EnableMidSideStereo());
    out_->SetEnableMidSideStereo(false);
    out_->SetBestModelSearch(true);
    EXPECT_TRUE(out_->EnableMidSideStereo());
    EXPECT_FALSE(out_->EnableLooseMidSideStereo());

    out_->SetBlockSize(0);
    EXPECT_EQ(out_->BlockSize(), 4608);

    fake_->channels = 1;
    out_->SetQLPCoeffPrecision(20);
    out_->SetMaxLPCOrder(4);
    const path file = dir_ / "precision.flac";
    ASSERT_EQ(Encode(*fake_, file), "");
    EXPECT_EQ(out_->QLPCoeffPrecision(), 15);
    EXPECT_TRUE(PassesFlacTest(file));
}

void ExpectRefused(const std::string& message)
{
    try {
        MakeComponent<TFLACOut>();
        ADD_FAILURE() << "constructed without the library";
    } catch (const EAuException& error) {
        EXPECT_EQ(error.what(), message);
    }
}

TEST(FlacLibraryTest, WithoutTheLibraryNoOutputIsMade)
{
    FlacLibrary().Unload();
    ExpectRefused("libFLAC.so.12 library could not be loaded.");
    FlacLibrary().SetFileName("libFLAC.so.missing");
    EXPECT_FALSE(FlacLibrary().Load());
    ExpectRefused("libFLAC.so.missing library could not be loaded.");
    FlacLibrary().SetFileName("libFLAC.so.12");
    EXPECT_TRUE(FlacLibrary().Load());
}

} // namespace
} // namespace corvath
