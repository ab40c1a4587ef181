#include "platform/acm/ffmpeg_library.h"
#include "platform/files/program_folder.h"
#include "platform/net/curl_library.h"
#include "support/audio_tools.h"
#include "support/disc_image.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace corvath {
namespace {

// The libraries the program opens itself, by the file names it looks for.
const std::set<std::string> kCodecLibraries = {"libFLAC.so.12",         "libogg.so.0",
                                               "libvorbis.so.0",        "libvorbisenc.so.2",
                                               "libvorbisfile.so.3",    "libsamplerate.so.0",
                                               "libcorvath-ape.so",     "libmp3lame.so.0",
                                               "libebur128.so.1",       FfmpegLibrary().FileName(),
                                               CurlLibrary().FileName()};

// The libraries a run of the program opened itself, after the loader handed it control: the
// loader's debug output names each library it initialises.
std::set<std::string> LibrariesOpenedAtRunTime(const std::string& command)
{
    std::istringstream trace(test::RunCommand("LD_DEBUG=libs " + command + " 2>&1 >/dev/null"));
    std::set<std::string> opened;
    bool running = false;
    for (std::string line; std::getline(trace, line);) {
        running |= line.find("transferring control:") != std::string::npos;
        const auto init = line.find("calling init: ");
        if (running && init != std::string::npos)
            opened.insert(std::filesystem::path(line.substr(init + 14)).filename().string());
    }
    return opened;
}

std::set<std::string> CodecLibrariesIn(const std::set<std::string>& libraries)
{
    std::set<std::string> codecs;
    std::ranges::set_intersection(libraries, kCodecLibraries,
                                  std::inserter(codecs, codecs.begin()));
    return codecs;
}

class CliCodecLoadingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Test programs and the APE library are built beside corvath-cli; the copy keeps its
        // settings in the test's own folder.
        for (const char* file : {"corvath-cli", "libcorvath-ape.so"})
            std::filesystem::copy_file(ProgramFolder() + file, dir_ / file);
    }

    std::string Cli(const std::string& arguments) const
    {
        return test::Quoted(dir_ / "corvath-cli") + " " + arguments;
    }

    test::TempDir dir_;
};

TEST_F(CliCodecLoadingTest, CommandsThatEncodeNothingOpenNoCodecLibrary)
{
    const std::filesystem::path cue =
        test::WriteCueImage(dir_ / "disc", {{test::AudioSectors(100, 1)}});
    for (const std::string& arguments :
         {std::string("--version"), std::string("--help"), std::string("settings"),
          "drives --image " + test::Quoted(cue), "toc --image " + test::Quoted(cue)})
        EXPECT_EQ(CodecLibrariesIn(LibrariesOpenedAtRunTime(Cli(arguments))),
                  std::set<std::string>{})
            << arguments;
}

TEST_F(CliCodecLoadingTest, ConvertOpensOnlyWhatItsFormatAndSampleChangeNeed)
{
    if (!test::HaveTool("sox"))
        GTEST_SKIP() << "sox makes the input file";
    const std::filesystem::path wav =
        test::Sox(dir_ / "tone.wav", "-b 16 -c 2 -r 44100", "0.2", "sine 440");
    std::filesystem::create_directory(dir_ / "out");
    const std::string out = " -o " + test::Quoted(dir_ / "out");

    EXPECT_EQ(CodecLibrariesIn(
                  LibrariesOpenedAtRunTime(Cli("convert --to flac " + test::Quoted(wav) + out))),
              (std::set<std::string>{"libFLAC.so.12", "libogg.so.0", "libebur128.so.1"}));
    EXPECT_EQ(CodecLibrariesIn(LibrariesOpenedAtRunTime(
                  Cli("convert --to mp3 --replaygain off " + test::Quoted(wav) + out))),
              std::set<std::string>{"libmp3lame.so.0"})
        << "no loudness to measure";
    EXPECT_EQ(
        CodecLibrariesIn(LibrariesOpenedAtRunTime(
            Cli("convert --to ape --rate 22050 " + test::Quoted(wav) + out))),
        (std::set<std::string>{"libcorvath-ape.so", "libsamplerate.so.0", "libebur128.so.1"}));
    EXPECT_EQ(CodecLibrariesIn(
                  LibrariesOpenedAtRunTime(Cli("convert --to wav " + test::Quoted(wav) + out))),
              std::set<std::string>{});
    EXPECT_TRUE(CodecLibrariesIn(
                    LibrariesOpenedAtRunTime(Cli("convert --to wma " + test::Quoted(wav) + out)))
                    .contains(FfmpegLibrary().FileName()));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "out" / "tone.flac"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "out" / "tone.ape"));
}

} // namespace
} // namespace corvath
