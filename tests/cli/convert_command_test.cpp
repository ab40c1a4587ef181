#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "platform/program_folder.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace corvath {
namespace {

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
        const std::string command = cli_ + " " + arguments + " >'" + (dir_ / "stdout").string() + "' 2>'" +
                                    (dir_ / "stderr").string() + "'";
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

    EXPECT_EQ(Status("convert --to wav --adpcm '" + good + "' '" + (dir_ / "broken.wav").string() + "' -o '" + out + "'"), 1);
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
    EXPECT_EQ(Status("convert --to mp3 x.wav -o /tmp"), 2);
    EXPECT_EQ(Status("convert --to wav x.wav -o '" + (dir_ / "missing").string() + "'"), 2);
    EXPECT_NE(test::ReadFile(dir_ / "stderr").find("does not exist"), std::string::npos);
    EXPECT_EQ(Status("convert --to wav --rate 48000 x.wav -o /tmp"), 2);
}

} // namespace
} // namespace corvath
