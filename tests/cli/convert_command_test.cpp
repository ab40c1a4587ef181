#include "platform/files/program_folder.h"
#include "support/audio_tools.h"
#include "support/run_command.h"
#include "support/tagged_files.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <utility>

namespace corvath {
namespace {

// The length ffprobe reads from a file's header.
double ProbedSeconds(const std::filesystem::path& file)
{
    return std::stod(test::RunCommand(
        "ffprobe -v error -show_entries format=duration -of csv=p=0 " + test::Quoted(file)));
}

class CliConvertTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v sox >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "sox makes the input files";
        cli_ = ProgramFolder() + "corvath-cli"; // test programs are built beside it
        std::filesystem::create_directory(dir_ / "out");
    }
    // Exit status of a command; its output goes to files in the test folder.
    int Status(const std::string& arguments)
    {
        const std::string command = cli_ + " " + arguments + " >'" + (dir_ / "stdout").string() +
                                    "' 2>'" + (dir_ / "stderr").string() + "'";
        return WEXITSTATUS(std::system(command.c_str()));
    }
    test::TempDir dir_;
    std::string cli_;
};

TEST_F(CliConvertTest, ConvertsWhatItCanAndNamesWhatFailed)
{
    const auto good = (dir_ / "good.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + good + "' synth 1 sine 440");
    test::WriteFile(dir_ / "broken.wav", "RIFF....WAVEjunk");
    const auto out = (dir_ / "out").string();

    EXPECT_EQ(Status("convert --to wav --adpcm '" + good + "' '" + (dir_ / "broken.wav").string() +
                     "' -o '" + out + "'"),
              1);
    const std::string errors = test::ReadFile(dir_ / "stderr");
    EXPECT_NE(errors.find("broken.wav"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("good.wav"), std::string::npos) << errors;
    EXPECT_NE(test::ReadFile(dir_ / "stdout").find("good.wav: 100%"), std::string::npos);
    // The ADPCM file is a real one: sox reads a second of sound from it (plus the silence that
    // fills the last block).
    const double seconds = std::stod(test::RunCommand("soxi -D '" + out + "/good.wav'"));
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 1.02);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out/broken.wav"));
}

TEST_F(CliConvertTest, RefusesWhatItCannotDo)
{
    EXPECT_EQ(Status("convert --to aiff x.wav -o /tmp"), 2);
    EXPECT_EQ(Status("convert --to ogg --genre Nonsense x.wav -o /tmp"), 2);
    EXPECT_EQ(Status("convert --to wav --bits 12 x.wav -o /tmp"), 2);
    EXPECT_EQ(Status("convert --to wav --channels 3 x.wav -o /tmp"), 2);
    EXPECT_EQ(Status("convert --to wav --rate 2000 x.wav -o /tmp"), 2);
    // Numbers that are none, or do not fit, are refused rather than read as something else.
    for (const char* option : {"--rate abc", "--bits xyz", "--channels two", "--rate 4294989346",
                               "--rate 44100x", "--rate -1"}) {
        EXPECT_EQ(Status(std::string("convert --to wav ") + option + " x.wav -o /tmp"), 2)
            << option;
        EXPECT_NE(test::ReadFile(dir_ / "stderr").find("takes a number"), std::string::npos)
            << option;
    }
    for (const char* jobs : {"-j 0", "-j many", "--jobs -2", "-j 257", "-j0", "--jobs=", "-j4x"}) {
        EXPECT_EQ(Status(std::string("convert --to wav ") + jobs + " x.wav -o /tmp"), 2) << jobs;
        EXPECT_NE(test::ReadFile(dir_ / "stderr").find("takes a number from 1 to"),
                  std::string::npos)
            << jobs;
    }
    // An output folder that cannot be made is no bad usage, but the run fails.
    test::WriteFile(dir_ / "a file", "");
    for (const char* folder : {"a file", "a file/below"}) {
        EXPECT_EQ(Status("convert --to wav x.wav -o '" + (dir_ / folder).string() + "'"), 1)
            << folder;
        EXPECT_NE(test::ReadFile(dir_ / "stderr").find("cannot make the output folder"),
                  std::string::npos)
            << folder;
    }
}

TEST_F(CliConvertTest, MakesAMissingOutputFolderAndThoseAboveIt)
{
    const auto input = (dir_ / "in.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + input + "' synth 0.5 sine 440");
    const std::filesystem::path folder = dir_ / "new" / "deeper" / "still";
    ASSERT_EQ(Status("convert --to flac '" + input + "' -o '" + folder.string() + "'"), 0)
        << test::ReadFile(dir_ / "stderr");
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "in.flac"));
}

// FFmpeg's own complaints about a damaged file, raw bytes and all, are shown on request only.
TEST_F(CliConvertTest, TheMediaLibrarysMessagesNeedVerbose)
{
    if (!test::HaveTool("lame"))
        GTEST_SKIP() << "lame makes the MP3 file";
    const auto wav = (dir_ / "tone.wav").string();
    const auto mp3 = dir_ / "tone.mp3";
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + wav + "' synth 2 sine 440");
    test::RunCommand("lame --quiet '" + wav + "' '" + mp3.string() + "'");
    std::string bytes = test::ReadFile(mp3);
    for (std::size_t i = 5000; i + 2000 < bytes.size(); i += 97)
        bytes[i] = static_cast<char>(i * 31);
    test::WriteFile(mp3, bytes);
    const std::string convert =
        "convert --to wav '" + mp3.string() + "' -o '" + (dir_ / "out").string() + "'";

    Status(convert);
    EXPECT_EQ(test::ReadFile(dir_ / "stderr").find(" @ 0x"), std::string::npos)
        << test::ReadFile(dir_ / "stderr");
    Status("--verbose " + convert);
    EXPECT_NE(test::ReadFile(dir_ / "stderr").find(" @ 0x"), std::string::npos)
        << "the damage is told with --verbose";
}

TEST_F(CliConvertTest, ChangesRateSizeAndChannels)
{
    const auto input = (dir_ / "in.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + input + "' synth 1 sine 440");
    const auto out = (dir_ / "out").string();
    ASSERT_EQ(Status("convert --to wav --rate 22050 --bits 8 --channels 1 '" + input + "' -o '" +
                     out + "'"),
              0)
        << test::ReadFile(dir_ / "stderr");
    const std::string info = test::RunCommand("soxi '" + out + "/in.wav'");
    EXPECT_NE(info.find("Channels       : 1"), std::string::npos) << info;
    EXPECT_NE(info.find("Sample Rate    : 22050"), std::string::npos) << info;
    EXPECT_NE(info.find("Precision      : 8-bit"), std::string::npos) << info;
    EXPECT_NE(info.find("22050 samples"), std::string::npos) << info;
}

TEST_F(CliConvertTest, EncodersTakeTheSettingsFileAndTheDiscFields)
{
    if (!test::HaveTool("ffprobe") || !test::HaveTool("metaflac") ||
        !test::HaveTool("vorbiscomment"))
        GTEST_SKIP() << "ffprobe, metaflac and vorbiscomment read the files back";
    // A copy of the program in a folder of its own reads the settings file beside it.
    std::filesystem::copy_file(cli_, dir_ / "corvath-cli");
    cli_ = (dir_ / "corvath-cli").string();
    test::WriteFile(dir_ / "options.ini", "[Mp3Options]\nConstantBitRate=192\nStereoMode=3\n"
                                          "[FLACOptions]\nCompression=8\n"
                                          "[OpusOptions]\nBitRate=64\n");
    const auto input = (dir_ / "take.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + input + "' synth 2 sine 440");
    const auto out = (dir_ / "out").string();
    const std::string disc = "--artist 'Ana Reis' --genre Rock --year 1999 --comment 'First take' "
                             "--replaygain off ";
    for (const char* format : {"mp3", "ogg", "flac", "opus"})
        ASSERT_EQ(Status(std::string("convert --to ") + format + " " + disc + "'" + input +
                         "' -o '" + out + "'"),
                  0)
            << format << ": " << test::ReadFile(dir_ / "stderr");

    const std::string mp3 =
        test::RunCommand("ffprobe -v error -show_entries stream=channels,bit_rate -of "
                         "default=noprint_wrappers=1 '" +
                         out + "/take.mp3'");
    EXPECT_NE(mp3.find("channels=1"), std::string::npos) << mp3;
    EXPECT_NE(mp3.find("bit_rate=192000"), std::string::npos) << mp3;
    const std::string comments = test::RunCommand("vorbiscomment -l '" + out + "/take.ogg'");
    // An untagged input is titled by its name; the comment is a comment.
    EXPECT_EQ(comments, "TITLE=take\nARTIST=Ana Reis\nDATE=1999\nGENRE=Rock\nCOMMENT=First take\n");
    const std::string flac =
        test::RunCommand("metaflac --export-tags-to=- '" + out + "/take.flac'");
    EXPECT_NE(flac.find("ARTIST=Ana Reis"), std::string::npos) << flac;
    EXPECT_EQ(test::RunCommand("flac -t -s '" + out + "/take.flac' 2>&1"), "");
    const std::string opus =
        test::RunCommand("ffprobe -v error -show_entries format=bit_rate:stream_tags=ARTIST -of "
                         "default=noprint_wrappers=1 '" +
                         out + "/take.opus'");
    EXPECT_NE(opus.find("TAG:ARTIST=Ana Reis"), std::string::npos) << opus;
    const auto bitRate = opus.find("bit_rate=");
    ASSERT_NE(bitRate, std::string::npos) << opus;
    EXPECT_NEAR(std::stoi(opus.substr(bitRate + 9)), 64000, 16000) << "the settings' bit rate";
}

// Ogg streams of two files must not share a serial number, or a player that chains them takes
// them for one broken stream: two runs of the program write two.
TEST_F(CliConvertTest, OpusFilesOfTwoRunsHaveTheirOwnStreamSerials)
{
    const auto input = (dir_ / "take.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + input + "' synth 0.2 sine 440");
    std::vector<std::string> serials;
    for (const char* run : {"first", "second"}) {
        const auto out = dir_ / run;
        std::filesystem::create_directory(out);
        ASSERT_EQ(Status("convert --to opus '" + input + "' -o '" + out.string() + "'"), 0);
        serials.push_back(test::ReadFile(out / "take.opus").substr(14, 4));
    }
    EXPECT_NE(serials[0], serials[1]);
}

TEST_F(CliConvertTest, ApeNeedsTheCompressorBesideTheProgramAndTakesTheSettingsLevel)
{
    if (!test::HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg decodes the APE file";
    // A copy of the program in a folder of its own: the library is looked for there too.
    std::filesystem::copy_file(cli_, dir_ / "corvath-cli");
    cli_ = (dir_ / "corvath-cli").string();
    test::WriteFile(dir_ / "options.ini", "[APEOptions]\nCompression=4000\n");
    const auto input = (dir_ / "take.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + input + "' synth 1 sine 440 whitenoise");
    const auto out = (dir_ / "out").string();
    const std::string convert = "convert --to ape '" + input + "' -o '" + out + "'";

    // Missing beside the program, it is looked for where an installation puts it.
    EXPECT_EQ(Status(convert), 1);
    const std::string refusal = test::ReadFile(dir_ / "stderr");
    const auto installed = (dir_.path().parent_path() / "lib/corvath/libcorvath-ape.so").string();
    EXPECT_NE(refusal.find(installed + " library could not be loaded."), std::string::npos)
        << refusal;

    std::filesystem::copy_file(ProgramFolder() + "libcorvath-ape.so", dir_ / "libcorvath-ape.so");
    ASSERT_EQ(Status(convert), 0) << test::ReadFile(dir_ / "stderr");
    const auto file = dir_ / "out/take.ape";
    EXPECT_TRUE(test::FfmpegDecode(file) == test::Samples16(test::WaveData(input)));
    const std::string bytes = test::ReadFile(file);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[52]) | static_cast<uint8_t>(bytes[53]) << 8, 4000);
}

// The conversions between WAV, MP3 and WMA, each from the file the one before wrote.
TEST_F(CliConvertTest, ConvertsBetweenWavMp3AndWma)
{
    if (!test::HaveTool("ffprobe") || !test::HaveTool("lame"))
        GTEST_SKIP() << "lame makes the tagged MP3 and ffprobe reads the files back";
    const auto input = (dir_ / "take.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + input + "' synth 2 sine 440");
    const auto song = (dir_ / "song.mp3").string();
    test::RunCommand("lame --quiet --id3v2-only --tt 'Own Title' --ta 'Own Artist' '" + input +
                     "' '" + song + "'");
    const auto out = (dir_ / "out").string();
    const auto convert = [&](const std::string& to, const std::string& from) {
        return Status("convert --to " + to + " --replaygain off --artist 'Disc Artist' '" + from +
                      "' -o '" + out + "'");
    };

    ASSERT_EQ(convert("wma", input), 0) << test::ReadFile(dir_ / "stderr");
    std::filesystem::rename(out + "/take.wma", dir_ / "from_wav.wma");
    ASSERT_EQ(convert("wav", (dir_ / "from_wav.wma").string()), 0);
    ASSERT_EQ(convert("mp3", (dir_ / "from_wav.wma").string()), 0);
    ASSERT_EQ(convert("wav", song), 0);
    // The MP3's own tags go into the WMA file; the disc fields only fill what they lack.
    ASSERT_EQ(convert("wma", song), 0) << test::ReadFile(dir_ / "stderr");
    for (const char* file : {"from_wav.wav", "from_wav.mp3", "song.wav", "song.wma"})
        EXPECT_NEAR(ProbedSeconds(out + "/" + file), 2.0, 0.1) << file;
    EXPECT_EQ(test::RunCommand("ffprobe -v error -show_entries format_tags -of default=nw=1 '" +
                               out + "/song.wma'"),
              "TAG:title=Own Title\nTAG:artist=Own Artist\n");
}

TEST_F(CliConvertTest, NamesFilesFromTheirInputsTags)
{
    if (!test::HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg makes the tagged inputs";
    const auto tagged = test::FfmpegTone(
        dir_ / "a.wav", "-metadata title='Why?' -metadata artist=Band -metadata track=3");
    const auto untagged = test::FfmpegTone(dir_ / "b.wav", "");
    const std::string out = (dir_ / "out").string();

    EXPECT_EQ(Status("convert --to flac --name ../x '" + tagged.string() + "' -o '" + out + "'"),
              2);
    EXPECT_NE(test::ReadFile(dir_ / "stderr").find("outside the output folder"), std::string::npos);
    ASSERT_EQ(
        Status("convert --to flac --artist 'Disc Artist' --name '%artist%/%track% %title%' '" +
               tagged.string() + "' '" + untagged.string() + "' -o '" + out + "'"),
        0)
        << test::ReadFile(dir_ / "stderr");
    // The disc fields fill what an input lacks; a file without a title is named after itself.
    EXPECT_TRUE(std::filesystem::exists(dir_ / "out/Band/03 Why_.flac"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "out/Disc Artist/b.flac"));
}

// A batch asked for album gain gives its files one album gain over them all; by default each
// file has its own track gain only.
TEST_F(CliConvertTest, ReplayGainOfTracksByDefaultAndOfTheBatchWhenAsked)
{
    if (!test::HaveTool("ffprobe"))
        GTEST_SKIP() << "ffprobe reads the tags back";
    const std::string quiet = (dir_ / "quiet.wav").string();
    const std::string loud = (dir_ / "loud.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + quiet + "' synth 2 sine 440 vol 0.1");
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + loud + "' synth 2 sine 440 vol 0.5");
    const std::string out = (dir_ / "out").string();
    const auto gains = [&](const char* file) {
        const std::map<std::string, std::string> tags = test::ProbeTags(out + "/" + file);
        const auto tag = [&tags](const char* name) {
            return tags.contains(name) ? tags.at(name) : std::string("-");
        };
        return tag("REPLAYGAIN_TRACK_GAIN") + " " + tag("REPLAYGAIN_ALBUM_GAIN");
    };

    EXPECT_EQ(Status("convert --to flac --replaygain loud '" + quiet + "' -o '" + out + "'"), 2);
    ASSERT_EQ(Status("convert --to flac '" + quiet + "' '" + loud + "' -o '" + out + "'"), 0);
    EXPECT_TRUE(gains("quiet.flac").ends_with(" dB -")) << gains("quiet.flac");
    ASSERT_EQ(Status("convert --to flac --replaygain album '" + quiet + "' '" + loud + "' -o '" +
                     out + "'"),
              0);
    const std::string quietGains = gains("quiet.flac");
    const std::string loudGains = gains("loud.flac");
    EXPECT_NE(quietGains.substr(0, quietGains.find(' ')), loudGains.substr(0, loudGains.find(' ')));
    EXPECT_EQ(quietGains.substr(quietGains.find(' ')), loudGains.substr(loudGains.find(' ')))
        << "one album gain";
    EXPECT_FALSE(quietGains.ends_with(" -"));
}

// A file converted into its own folder in its own format would be cut while it is read.
TEST_F(CliConvertTest, AFileIsNeverConvertedOntoItself)
{
    const auto wav = (dir_ / "long.wav").string();
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + wav + "' synth 3 sine 440");
    const auto out = (dir_ / "out").string();
    ASSERT_EQ(Status("convert --to wma '" + wav + "' -o '" + out + "'"), 0);
    const auto wma = out + "/long.wma";
    const std::string source = test::ReadFile(wma);

    EXPECT_EQ(Status("convert --to wma '" + wma + "' -o '" + out + "'"), 1);
    EXPECT_NE(test::ReadFile(dir_ / "stderr").find("Cannot create file " + wma), std::string::npos)
        << test::ReadFile(dir_ / "stderr");
    EXPECT_EQ(test::ReadFile(wma), source);
}

// Inputs whose headers announce more sound than they hold convert to what they hold, each
// with a warning; inputs that hold what they announce convert without one.
TEST_F(CliConvertTest, InputsEndingEarlyConvertToWhatTheyHoldWithAWarning)
{
    if (!test::HaveTool("ffmpeg") || !test::HaveTool("ffprobe"))
        GTEST_SKIP() << "ffmpeg makes the MP3 file and ffprobe reads the files back";
    // A WAV file cut in half: its header still announces 2 s.
    const auto exact = test::Sox(dir_ / "exact.wav", "-b 16 -c 2 -r 44100", "2", "sine 440");
    std::string bytes = test::ReadFile(exact);
    ASSERT_EQ(bytes.substr(36, 4), "data");
    test::WriteFile(dir_ / "cut.wav", bytes.substr(0, 44 + 44100 * 4));
    // An MP3 file whose Info header counts 10000 frames, over four minutes, for 1 s of sound.
    const auto honest = dir_ / "honest.mp3";
    test::RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1 -c:a libmp3lame " +
                     test::Quoted(honest));
    bytes = test::ReadFile(honest);
    const std::size_t info = bytes.find("Info");
    ASSERT_NE(info, std::string::npos);
    ASSERT_TRUE(bytes[info + 7] & 1) << "the header holds a frame count";
    bytes.replace(info + 8, 4, std::string("\0\0\x27\x10", 4));
    test::WriteFile(dir_ / "lying.mp3", bytes);

    const auto out = dir_ / "out";
    std::string inputs;
    for (const char* name : {"cut.wav", "exact.wav", "lying.mp3", "honest.mp3"})
        inputs += test::Quoted(dir_ / name) + " ";
    ASSERT_EQ(Status("convert --to wav " + inputs + "-o " + test::Quoted(out)), 0)
        << test::ReadFile(dir_ / "stderr");

    const std::string warnings = test::ReadFile(dir_ / "stderr");
    EXPECT_NE(
        warnings.find("warning: " + (dir_ / "cut.wav").string() + " ended early: 1.0 s of 2.0 s\n"),
        std::string::npos)
        << warnings;
    EXPECT_NE(warnings.find("warning: " + (dir_ / "lying.mp3").string() + " ended early: 1.0 s of"),
              std::string::npos)
        << warnings;
    EXPECT_EQ(warnings.find("exact.wav"), std::string::npos) << warnings;
    EXPECT_EQ(warnings.find("honest.mp3"), std::string::npos) << warnings;
    EXPECT_EQ(ProbedSeconds(out / "cut.wav"), 1.0);
    EXPECT_EQ(test::RunCommand("soxi -s " + test::Quoted(out / "cut.wav")), "44100\n");
    EXPECT_EQ(ProbedSeconds(out / "exact.wav"), 2.0);
    // Without the true count the decoder's padding frames stay in, but nothing more.
    EXPECT_NEAR(ProbedSeconds(out / "lying.wav"), 1.0, 0.05);
    EXPECT_EQ(ProbedSeconds(out / "honest.wav"), 1.0);
}

// An ADPCM file whose fact chunk claims over 4 GiB of sound converts to what it holds, with a
// warning, whether the output is a WAV file or not.
TEST_F(CliConvertTest, AnAdpcmFileClaimingOver4GiBConvertsToWhatItHolds)
{
    for (const char* coding : {"ima-adpcm", "ms-adpcm"}) {
        SCOPED_TRACE(coding);
        const auto honest =
            test::Sox(dir_ / (std::string(coding) + ".wav"),
                      std::string("-e ") + coding + " -c 2 -r 44100", "1", "sine 440");
        std::string bytes = test::ReadFile(honest);
        const std::size_t fact = bytes.find("fact");
        ASSERT_NE(fact, std::string::npos);
        bytes.replace(fact + 8, 4, std::string("\0\0\0\x50", 4)); // 5 GiB of 16-bit stereo
        const auto claiming = dir_ / (std::string(coding) + " claiming.wav");
        test::WriteFile(claiming, bytes);
        for (const char* to : {"wav", "flac"}) {
            SCOPED_TRACE(to);
            const auto out = dir_ / (std::string(coding) + "-" + to);
            std::filesystem::create_directory(out);
            ASSERT_EQ(Status(std::string("convert --to ") + to + " " + test::Quoted(honest) + " " +
                             test::Quoted(claiming) + " -o " + test::Quoted(out)),
                      0)
                << test::ReadFile(dir_ / "stderr");
            EXPECT_EQ(test::ReadFile(dir_ / "stderr"),
                      "corvath-cli: warning: " + claiming.string() + " ended early: 1.0 s of " +
                          "30434.9 s\n");
            // Without the true count the last block's padding stays in, but nothing more.
            const auto whole = test::SoxDecode(out / (std::string(coding) + "." + to));
            const auto held = test::SoxDecode(out / (std::string(coding) + " claiming." + to));
            ASSERT_GE(held.size(), whole.size());
            EXPECT_LT(held.size(), whole.size() + 2 * 2048);
            EXPECT_TRUE(std::equal(whole.begin(), whole.end(), held.begin()));
        }
    }
}

// WAV files written to a pipe hold 0xFFFFFFFF for their sizes: their sound runs to the end.
TEST_F(CliConvertTest, AWavWrittenToAPipeConvertsWhole)
{
    if (!test::HaveTool("ffmpeg") || !test::HaveTool("metaflac"))
        GTEST_SKIP() << "ffmpeg makes the file and metaflac reads the FLAC file back";
    const auto streamed = dir_ / "streamed.wav";
    test::RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1.5 -f wav pipe: > " +
                     test::Quoted(streamed));
    const std::string bytes = test::ReadFile(streamed);
    const std::size_t data = bytes.find("data\xFF\xFF\xFF\xFF");
    ASSERT_NE(data, std::string::npos);

    const auto out = dir_ / "out";
    for (const char* format : {"wav", "flac"}) {
        ASSERT_EQ(Status(std::string("convert --to ") + format + " " + test::Quoted(streamed) +
                         " -o " + test::Quoted(out)),
                  0)
            << format << ": " << test::ReadFile(dir_ / "stderr");
        EXPECT_EQ(test::ReadFile(dir_ / "stderr"), "") << format;
    }
    EXPECT_EQ(test::RunCommand("soxi -s " + test::Quoted(out / "streamed.wav")), "66150\n");
    EXPECT_EQ(test::WaveData(out / "streamed.wav"), bytes.substr(data + 8));
    EXPECT_EQ(
        test::RunCommand("metaflac --show-total-samples " + test::Quoted(out / "streamed.flac")),
        "66150\n");
}

// A ratio the resampler refuses fails its file with the reason; the next file is unharmed.
TEST_F(CliConvertTest, ARefusedResamplingFailsOnlyItsFile)
{
    const auto low = (dir_ / "low.wav").string();
    const auto cd = (dir_ / "cd.wav").string();
    test::RunCommand("sox -n -b 16 -c 1 -r 3000 '" + low + "' synth 0.5 sine 300");
    test::RunCommand("sox -n -b 16 -c 2 -r 44100 '" + cd + "' synth 1 sine 440");
    const auto out = (dir_ / "out").string();

    EXPECT_EQ(Status("convert --to wav --rate 999999 '" + low + "' '" + cd + "' -o '" + out + "'"),
              1);
    EXPECT_NE(test::ReadFile(dir_ / "stderr").find("low.wav: Frequences ratio 333 is invalid"),
              std::string::npos)
        << test::ReadFile(dir_ / "stderr");
    EXPECT_FALSE(std::filesystem::exists(out + "/low.wav"));
    EXPECT_EQ(test::RunCommand("soxi -r '" + out + "/cd.wav'"), "999999\n");
    EXPECT_NEAR(std::stod(test::RunCommand("soxi -D '" + out + "/cd.wav'")), 1.0, 0.001);
}

// The lines of text, sorted: what several files at once print comes in any order.
std::vector<std::string> SortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    std::ranges::sort(lines);
    return lines;
}

class CliParallelConvertTest : public CliConvertTest {
protected:
    // Converts inputs with the job option into a folder of their own; the exit status.
    int ConvertInto(const std::string& folder, const std::string& to, const std::string& jobs,
                    const std::vector<std::filesystem::path>& inputs)
    {
        std::filesystem::create_directory(dir_ / folder);
        std::string arguments = "convert --to " + to + " " + jobs + " ";
        for (const std::filesystem::path& input : inputs)
            arguments += test::Quoted(input) + " ";
        return Status(arguments + "-o " + test::Quoted(dir_ / folder));
    }
    // Every file of a folder, by name, with its bytes.
    std::map<std::string, std::string> FilesIn(const std::string& folder)
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir_ / folder))
            files[entry.path().filename().string()] = test::ReadFile(entry.path());
        return files;
    }
};

// Several files at once write exactly what one at a time writes; the broken inputs are listed
// with their reasons after the others, and the status tells that some failed.
TEST_F(CliParallelConvertTest, FourAtOnceWriteTheFilesOneAtATimeWrites)
{
    std::vector<std::filesystem::path> inputs;
    const char* sounds[] = {"sine 440",       "pinknoise",  "square 220",
                            "sine 1000:3000", "whitenoise", "sawtooth 330"};
    for (int i = 0; i < 6; ++i) {
        // Lengths differ so that the files end in another order than they start.
        inputs.push_back(test::Sox(dir_ / ("in" + std::to_string(i) + ".wav"),
                                   "-b 16 -c 2 -r 44100", std::to_string(2.5 - 0.4 * i),
                                   sounds[i]));
    }
    test::WriteFile(dir_ / "garbage.wav", std::string(5000, '\x5a'));
    const std::string whole = test::ReadFile(inputs[0]);
    test::WriteFile(dir_ / "cut header.wav", whole.substr(0, 30));
    inputs.insert(inputs.begin() + 2, dir_ / "garbage.wav");
    inputs.insert(inputs.begin() + 5, dir_ / "cut header.wav");

    ASSERT_EQ(ConvertInto("one", "flac", "-j 1", inputs), 1);
    const std::string oneErrors = test::ReadFile(dir_ / "stderr");
    const std::string oneOutput = test::ReadFile(dir_ / "stdout");
    ASSERT_EQ(ConvertInto("four", "flac", "-j4", inputs), 1);
    const std::string fourErrors = test::ReadFile(dir_ / "stderr");

    const auto one = FilesIn("one");
    EXPECT_EQ(one.size(), 6u);
    EXPECT_TRUE(FilesIn("four") == one) << "the same names with the same bytes";
    for (int i = 0; i < 6; ++i) {
        const auto flac = dir_ / "four" / ("in" + std::to_string(i) + ".flac");
        EXPECT_EQ(test::SoxDecode(flac), test::SoxDecode(inputs[i < 2   ? i
                                                                : i < 4 ? i + 1
                                                                        : i + 2]))
            << flac;
    }
    // Both ways give the same failures with the same reasons, in input order; several at once
    // list them last.
    EXPECT_EQ(fourErrors, oneErrors);
    const auto failures = SortedLines(fourErrors);
    ASSERT_EQ(failures.size(), 2u) << fourErrors;
    EXPECT_TRUE(fourErrors.starts_with("corvath-cli: " + (dir_ / "garbage.wav").string() + ": "))
        << fourErrors;
    EXPECT_TRUE(
        failures[0].starts_with("corvath-cli: " + (dir_ / "cut header.wav").string() + ": "))
        << failures[0];
    for (const std::string& failure : failures)
        EXPECT_GT(failure.size(), failure.find(".wav: ") + 6) << "a reason follows the name";

    std::vector<std::string> finished;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "in" + std::to_string(i);
        finished.push_back((dir_ / (name + ".wav")).string() + ": 100% -> " +
                           (dir_ / "four" / (name + ".flac")).string());
    }
    finished.emplace_back("6 of 8 files converted, 2 failed"); // sorts after the paths
    EXPECT_EQ(SortedLines(test::ReadFile(dir_ / "stdout")), finished)
        << "a line for each file as it is done";
    // Into a file, one at a time prints the same lines.
    EXPECT_EQ(SortedLines(oneOutput).size(), finished.size()) << oneOutput;
}

// Names are given in input order before anything starts: the first of two alike inputs keeps
// the plain name even when the second ends first.
TEST_F(CliParallelConvertTest, InputsNamedAlikeGetTheSameNamesWhateverEndsFirst)
{
    std::filesystem::create_directories(dir_ / "a");
    std::filesystem::create_directories(dir_ / "b");
    const std::vector<std::filesystem::path> inputs = {
        test::Sox(dir_ / "a" / "take.wav", "-b 16 -c 2 -r 44100", "3", "sine 440"),
        test::Sox(dir_ / "b" / "take.wav", "-b 16 -c 1 -r 22050", "0.2", "sine 880"),
        test::Sox(dir_ / "b" / "other.wav", "-b 16 -c 1 -r 22050", "0.2", "sine 660"),
    };
    ASSERT_EQ(ConvertInto("one", "flac", "--jobs 1", inputs), 0) << test::ReadFile(dir_ / "stderr");
    ASSERT_EQ(ConvertInto("four", "flac", "--jobs=4", inputs), 0)
        << test::ReadFile(dir_ / "stderr");
    const auto one = FilesIn("one");
    EXPECT_EQ(one.size(), 3u);
    EXPECT_TRUE(FilesIn("four") == one) << "the same names with the same bytes";
    EXPECT_EQ(test::SoxDecode(dir_ / "four" / "take (2).flac"), test::SoxDecode(inputs[1]));
}

// A reader only reads: the same MP3 or WMA file twice, by its name or by a hard link,
// converts twice at once as it does one at a time.
TEST_F(CliParallelConvertTest, TheSameInputTwiceConvertsTwiceAtOnce)
{
    if (!test::HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg makes the MP3 and WMA files";
    struct Case {
        std::string extension;
        std::string codec;
    };
    for (const Case& c : {Case{"mp3", "-c:a libmp3lame"}, Case{"wma", "-c:a wmav2"}}) {
        SCOPED_TRACE(c.extension);
        const std::filesystem::path input =
            test::FfmpegTone(dir_ / ("song." + c.extension), c.codec);
        const std::filesystem::path link = dir_ / ("link." + c.extension);
        std::filesystem::create_hard_link(input, link);
        for (const auto& [folder, jobs] :
             {std::pair{c.extension + "-one", "-j 1"}, {c.extension + "-two", "-j 2"}}) {
            ASSERT_EQ(ConvertInto(folder, "wav", jobs, {input, input, link}), 0)
                << jobs << ": " << test::ReadFile(dir_ / "stderr");
        }
        const auto two = FilesIn(c.extension + "-two");
        EXPECT_EQ(two.size(), 3u);
        EXPECT_TRUE(two == FilesIn(c.extension + "-one")) << "the same names with the same bytes";
    }
}

// Each MP3 output has its own encoder: two at once encode as one at a time does.
TEST_F(CliParallelConvertTest, TwoMp3EncodersAtOnceWriteWhatOneWrites)
{
    std::vector<std::filesystem::path> inputs;
    for (int i = 0; i < 4; ++i) {
        inputs.push_back(test::Sox(dir_ / ("song" + std::to_string(i) + ".wav"),
                                   "-b 16 -c 2 -r 44100", std::to_string(1.5 - 0.3 * i),
                                   "pluck " + std::to_string(220 + 110 * i)));
    }
    ASSERT_EQ(ConvertInto("one", "mp3", "-j 1", inputs), 0) << test::ReadFile(dir_ / "stderr");
    ASSERT_EQ(ConvertInto("two", "mp3", "-j 2", inputs), 0) << test::ReadFile(dir_ / "stderr");
    const auto one = FilesIn("one");
    EXPECT_EQ(one.size(), 4u);
    EXPECT_TRUE(FilesIn("two") == one) << "the same names with the same bytes";
}

} // namespace
} // namespace corvath
