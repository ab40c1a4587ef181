#include "app/disc_session.h"
#include "platform/cdrom/disc_id.h"
#include "platform/profile/profile_file.h"
#include "program_process.h"
#include "support/disc_image.h"
#include "ui/single_instance.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvath::ui {
namespace {

namespace fs = std::filesystem;
using test::kProcessTimeoutMs;

// The program keeps what is typed for a disc image under the serial of its table of contents.
std::string DiscKey(const fs::path& image)
{
    DiscSession session(image.parent_path() / "unused cd.dat");
    session.OpenImage(image.string());
    const std::optional<CdToc> toc = session.ReadToc();
    return toc ? std::to_string(WindowsDiscSerial(*toc)) : std::string();
}

std::vector<std::string> StoredTitles(const fs::path& discInfoFile, const std::string& key)
{
    const ProfileDocument stored = LoadProfile(discInfoFile);
    std::vector<std::string> titles;
    for (int i = 1; i <= stored.ReadInteger(key, "CDTrackNumber", 0); ++i)
        titles.push_back(stored.ReadString(key, std::to_string(i), "?"));
    return titles;
}

class ProgramEndTest : public test::ProgramProcessTest {
protected:
    fs::path Image(const std::string& name, uint32_t tracks)
    {
        std::vector<corvath::test::ImageTrack> sectors;
        for (uint32_t track = 0; track < tracks; ++track)
            sectors.push_back({corvath::test::AudioSectors(20 + track, track + 1)});
        return corvath::test::WriteCueImage(dir_ / name, sectors);
    }

    // Starts the program and waits until it listens, which it does once signals can no longer
    // end it before its window closes.
    std::unique_ptr<QProcess> StartAndWait(const fs::path& program, const QStringList& arguments)
    {
        auto process = Start(program, arguments, program.parent_path());
        if (!test::AnswersWithin(InstanceServerName(), kProcessTimeoutMs))
            ADD_FAILURE() << "the program does not listen: "
                          << process->readAllStandardError().toStdString();
        return process;
    }

    static void ExpectEndsWithZero(QProcess& process)
    {
        ASSERT_TRUE(Ends(process)) << "the program kept running";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
};

// A logout ends the program with SIGTERM: what the window shows is saved as on a normal close,
// and a second signal while it closes loses nothing.
TEST_F(ProgramEndTest, TerminationSavesTheShownTitlesAndTheSettings)
{
    const fs::path image = Image("disc", 3);
    const std::string key = DiscKey(image);
    ASSERT_FALSE(key.empty());
    const fs::path program = CopyOfProgram();
    const fs::path discInfo = program.parent_path() / "cd.dat";
    // Typed earlier: two titles. The window shows them with Track03 for the third track, and
    // only a save writes that one.
    corvath::test::WriteFile(
        discInfo, "[" + key + "]\nCDArtist=Someone\nCDTrackNumber=2\n1=Intro\n2=Outro\n");

    const auto running = StartAndWait(program, {QString::fromStdString(image.string())});
    ::kill(static_cast<pid_t>(running->processId()), SIGTERM);
    ::kill(static_cast<pid_t>(running->processId()), SIGTERM);
    ExpectEndsWithZero(*running);

    EXPECT_EQ(StoredTitles(discInfo, key), (std::vector<std::string>{"Intro", "Outro", "Track03"}));
    EXPECT_EQ(LoadProfile(discInfo).ReadString(key, "CDArtist", ""), "Someone");
    EXPECT_TRUE(fs::exists(program.parent_path() / "options.ini"));
}

// A closed terminal and Ctrl+C end it the same way.
TEST_F(ProgramEndTest, HangUpAndInterruptSaveAsWell)
{
    for (const int signal : {SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        const std::string name = "disc " + std::to_string(signal);
        const fs::path image = Image(name, 2);
        const fs::path program = CopyOfProgram("program " + std::to_string(signal));

        const auto running = StartAndWait(program, {QString::fromStdString(image.string())});
        ::kill(static_cast<pid_t>(running->processId()), signal);
        ExpectEndsWithZero(*running);

        EXPECT_EQ(StoredTitles(program.parent_path() / "cd.dat", DiscKey(image)),
                  (std::vector<std::string>{"Track01", "Track02"}));
        EXPECT_TRUE(fs::exists(program.parent_path() / "options.ini"));
    }
}

// Opening a disc image from the file manager while Corvath runs: the new start hands the image
// over, named from its own folder, and the running one opens it.
TEST_F(ProgramEndTest, ALaterStartHandsItsDiscImageToTheRunningOne)
{
    const fs::path program = CopyOfProgram();
    const auto running = StartAndWait(program, {});

    fs::create_directory(dir_ / "images");
    const fs::path image = Image("images/disc", 4);
    const auto later = Start(BuiltProgram(), {"disc.cue"}, image.parent_path());
    ExpectEndsWithZero(*later);

    ::kill(static_cast<pid_t>(running->processId()), SIGTERM);
    ExpectEndsWithZero(*running);
    EXPECT_EQ(StoredTitles(program.parent_path() / "cd.dat", DiscKey(image)),
              (std::vector<std::string>{"Track01", "Track02", "Track03", "Track04"}));
}

} // namespace
} // namespace corvath::ui
