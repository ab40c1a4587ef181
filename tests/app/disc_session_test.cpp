#include "app/disc_session.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

constexpr uint32_t kSecond = 75; // sectors

class DiscSessionTest : public ::testing::Test {
protected:
    std::filesystem::path TwoTracks()
    {
        return test::WriteCueImage(dir_ / "two tracks", {{test::AudioSectors(3 * kSecond, 1)},
                                                         {test::AudioSectors(2 * kSecond, 2)}});
    }

    // The disc's rows as the main window reads them; none, and a failure, without a TOC.
    static std::vector<TrackRow> ReadRows(DiscSession& session, TCDInfo& info)
    {
        std::optional<std::vector<TrackRow>> rows = session.ReadDisc(info);
        EXPECT_TRUE(rows) << "the TOC cannot be read";
        return rows.value_or(std::vector<TrackRow>());
    }

    test::TempDir dir_;
};

TEST_F(DiscSessionTest, StatusTellsTheDriveOrWhyThereIsNone)
{
    DiscSession session(dir_ / "cd.dat");
    const auto cue =
        test::WriteCueImage(dir_ / "a disc with a long name", {{test::AudioSectors(20, 1)}});
    // Vendor and product run on, cut to 26 characters.
    EXPECT_EQ(session.OpenImage(cue.string()), "Image   a disc with a lo");
    EXPECT_NE(session.Handle(), 0);
    EXPECT_EQ(session.Description(), "Image   a disc with a lo");

    const auto index = test::DriveListIndex(cue);
    ASSERT_TRUE(index);
    EXPECT_EQ(session.OpenDrive(static_cast<int32_t>(*index) + 1),
              "CD device information error in your configration!");
    EXPECT_EQ(session.Handle(), 0);
    EXPECT_EQ(session.Description(), "");

    std::filesystem::remove(dir_ / "a disc with a long name.bin");
    EXPECT_EQ(session.OpenDrive(static_cast<int32_t>(*index)), "Can not find CD devices!");
    EXPECT_EQ(session.Handle(), 0);
    EXPECT_EQ(session.Description(), "Image   a disc with a lo") << "the chosen drive is named";
    EXPECT_FALSE(session.IsAudioCDPresent());
    EXPECT_TRUE(session.CloseDrive());
}

// The tray commands reach the chosen drive with its handle open or closed; an image answers that
// it has no tray, which tells the command got there.
TEST_F(DiscSessionTest, TrayCommandsReachTheChosenDriveWithOrWithoutAHandle)
{
    DiscSession session(dir_ / "cd.dat");
    EXPECT_FALSE(session.MoveTray(true));
    EXPECT_EQ(GetCdLastErrorText(), "There is no such CD drive.");

    const auto cue = TwoTracks();
    session.OpenImage(cue.string());
    const std::string noTray = cue.string() + " is a disc image, which has no tray.";
    for (const bool handleOpen : {true, false}) {
        if (!handleOpen) {
            ASSERT_TRUE(session.CloseDrive());
        }
        for (const bool open : {true, false}) {
            SCOPED_TRACE(testing::Message() << "handle open " << handleOpen << ", open " << open);
            EXPECT_FALSE(session.MoveTray(open));
            EXPECT_EQ(GetCdLastErrorText(), noTray);
        }
    }
}

// An image that cannot be read changes nothing: the disc open before stays open.
TEST_F(DiscSessionTest, AnUnreadableImageKeepsTheOpenDisc)
{
    DiscSession session(dir_ / "cd.dat");
    session.OpenImage(TwoTracks().string());
    const int32_t handle = session.Handle();
    EXPECT_THROW(session.OpenImage((dir_ / "missing.cue").string()), std::runtime_error);
    EXPECT_EQ(session.Handle(), handle);
    EXPECT_TRUE(session.IsAudioCDPresent());
    EXPECT_TRUE(session.CloseDrive());
    EXPECT_FALSE(CloseCDHandle(handle)) << "closed once only";
}

// The rows come from the image's TOC; the titles typed for them come back with the same disc.
TEST_F(DiscSessionTest, RowsAndTheirTitlesFollowTheDisc)
{
    const auto cue = TwoTracks();
    {
        DiscSession session(dir_ / "cd.dat");
        session.OpenImage(cue.string());
        TCDInfo info;
        const std::vector<TrackRow> rows = ReadRows(session, info);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].title, "Track01");
        EXPECT_EQ(rows[0].startTime, "00:02");
        EXPECT_EQ(rows[0].length, "00:03");
        EXPECT_EQ(rows[1].number, 2);
        EXPECT_EQ(rows[1].startTime, "00:05");
        EXPECT_EQ(rows[1].length, "00:02");
        TDiscFields fields;
        fields.Artist = "Someone";
        session.SaveDisc(info, {"Opening", "Closing"}, fields);
    }
    DiscSession session(dir_ / "cd.dat");
    session.OpenImage(cue.string());
    TCDInfo info;
    const std::vector<TrackRow> rows = ReadRows(session, info);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "Opening");
    EXPECT_EQ(rows[1].title, "Closing");
    EXPECT_EQ(info.CDArtist, "Someone");
}

// A stretch before the first track is offered as track 0 when it holds sound: long and loud
// enough, wherever in it the sound lies.
TEST_F(DiscSessionTest, AStretchBeforeTheFirstTrackIsOfferedWhenItHoldsSound)
{
    struct Case {
        const char* name;
        uint32_t sectors;
        int16_t amplitude;
        uint32_t soundFrom; // where in the stretch the sound starts
        bool offered;
    };
    const Case cases[] = {
        {"music throughout", 5 * kSecond, 10000, 0, true},
        {"music in its last second", 10 * kSecond, 10000, 9 * kSecond, true},
        {"digital silence", 5 * kSecond, 0, 0, false},
        {"the hiss of an analogue master", 5 * kSecond, 200, 0, false},
        {"loud but shorter than a second", kSecond - 1, 10000, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> hidden(std::size_t{c.sectors} * 2352);
        for (std::size_t at = std::size_t{c.soundFrom} * 2352; at < hidden.size(); at += 2) {
            const auto sample = static_cast<uint16_t>(at % 4 == 0 ? c.amplitude : -c.amplitude);
            hidden[at] = static_cast<uint8_t>(sample);
            hidden[at + 1] = static_cast<uint8_t>(sample >> 8);
        }
        const auto cue =
            test::WriteCueImage(dir_ / c.name, {{test::AudioSectors(kSecond, 1)}}, hidden);
        DiscSession session(dir_ / "cd.dat");
        session.OpenImage(cue.string());
        TCDInfo info;
        const std::vector<TrackRow> rows = ReadRows(session, info);
        ASSERT_EQ(rows.size(), c.offered ? 2u : 1u);
        EXPECT_EQ(rows.back().number, 1);
        EXPECT_TRUE(rows.back().checked);
        if (!c.offered)
            continue;
        EXPECT_EQ(rows[0].number, 0);
        EXPECT_EQ(rows[0].title, "Hidden track");
        EXPECT_EQ(rows[0].startTime, "00:02");
        EXPECT_EQ(rows[0].length, c.sectors == 5 * kSecond ? "00:05" : "00:10");
        EXPECT_FALSE(rows[0].checked) << "ripped only when asked for";
    }
}

// The hidden track's title is kept with the disc's others, and a disc without one stores none.
TEST_F(DiscSessionTest, TheHiddenTracksTitleComesBackWithItsDisc)
{
    const auto hidden =
        test::WriteCueImage(dir_ / "hidden", {{test::AudioSectors(kSecond, 1)}}, 3 * kSecond);
    const auto plain = TwoTracks();
    {
        DiscSession session(dir_ / "cd.dat");
        TCDInfo info;
        session.OpenImage(hidden.string());
        ASSERT_EQ(ReadRows(session, info).size(), 2u);
        session.SaveDisc(info, {"Intro", "Song"}, {});
        session.OpenImage(plain.string());
        ASSERT_EQ(ReadRows(session, info).size(), 2u);
        EXPECT_EQ(info.Titles[0], "") << "the other disc's hidden title stays with it";
        session.SaveDisc(info, {"One", "Two"}, {});
    }
    DiscSession session(dir_ / "cd.dat");
    TCDInfo info;
    session.OpenImage(hidden.string());
    const std::vector<TrackRow> rows = ReadRows(session, info);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "Intro");
    EXPECT_EQ(rows[1].title, "Song");
    session.OpenImage(plain.string());
    EXPECT_EQ(ReadRows(session, info)[0].title, "One");
}

// A registered image chosen by its place in the drive list is still identified by its own TOC,
// not by whatever disc the first entry of the list holds.
TEST_F(DiscSessionTest, AnImageOpenedByItsListEntryKeepsItsOwnTitles)
{
    const auto first = TwoTracks();
    const auto second =
        test::WriteCueImage(dir_ / "one track", {{test::AudioSectors(4 * kSecond, 3)}});
    {
        DiscSession session(dir_ / "cd.dat");
        session.OpenImage(first.string()); // the first entry of the list
        session.OpenImage(second.string());
        TCDInfo info;
        ASSERT_TRUE(session.ReadDisc(info));
        session.SaveDisc(info, {"Only Song"}, {});
    }
    DiscSession session(dir_ / "cd.dat");
    session.OpenImage(first.string());
    const auto index = test::DriveListIndex(second);
    ASSERT_TRUE(index);
    session.OpenDrive(static_cast<int32_t>(*index));
    EXPECT_TRUE(session.IsAudioCDPresent());
    TCDInfo info;
    const std::vector<TrackRow> rows = ReadRows(session, info);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "Only Song");
}

// The disc in the open drive is the one asked about and stored, wherever it stands in the drive
// list: here behind a data disc.
TEST_F(DiscSessionTest, TheOpenDriveIsIdentifiedNotTheFirstOfTheList)
{
    const auto data = test::WriteCueImage(dir_ / "data", {{test::AudioSectors(40, 12), true}});
    // Tracks at 00:02:00, 00:03:25 and 00:03:32: the key is 0x200 + 0x319 + 0x320.
    const auto audio = test::WriteCueImage(
        dir_ / "audio",
        {{test::AudioSectors(100, 1)}, {test::AudioSectors(7, 2)}, {test::AudioSectors(25, 3)}});
    DiscSession session(dir_ / "cd.dat");
    session.OpenImage(data.string());
    EXPECT_FALSE(session.IsAudioCDPresent());
    session.OpenImage(audio.string());
    EXPECT_TRUE(session.IsAudioCDPresent());
    TCDInfo info;
    ASSERT_TRUE(session.ReadDisc(info));
    session.SaveDisc(info, {"a", "b", "c"}, {});
    EXPECT_NE(test::ReadFile(dir_ / "cd.dat").find("[2105]"), std::string::npos);
}

// A disc whose first track is 3 keeps each title under its own track number, so titles do not
// move by a row with every save; the slots below the first track keep what they held.
TEST_F(DiscSessionTest, TitlesAreKeptByTrackNumber)
{
    const auto cue = test::WriteCueImage(
        dir_ / "from three", {{test::AudioSectors(kSecond, 1)}, {test::AudioSectors(kSecond, 2)}},
        0, 3);
    for (int run = 0; run < 2; ++run) {
        DiscSession session(dir_ / "cd.dat");
        session.OpenImage(cue.string());
        TCDInfo info;
        const std::vector<TrackRow> rows = ReadRows(session, info);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].number, 3);
        EXPECT_EQ(rows[0].title, run == 0 ? "Track03" : "Third");
        EXPECT_EQ(rows[1].title, run == 0 ? "Track04" : "Fourth");
        session.SaveDisc(info, {"Third", "Fourth"}, {});
    }
    const std::string stored = test::ReadFile(dir_ / "cd.dat");
    for (const char* key : {"CDTrackNumber=4", "1=Track01", "3=Third", "4=Fourth"})
        EXPECT_NE(stored.find(key), std::string::npos) << key << " in\n" << stored;
}

// A disc seen for the first time takes its names from its CD-Text; what the user kept wins.
TEST_F(DiscSessionTest, CdTextNamesADiscWithoutAStoredEntry)
{
    const auto cue = TwoTracks();
    std::string sheet = test::ReadFile(cue);
    sheet.insert(0, "PERFORMER \"The Artist\"\nTITLE \"The Album\"\n");
    sheet.insert(sheet.find("    INDEX 01", sheet.find("TRACK 02")), "    TITLE \"Second Song\"\n");
    test::WriteFile(cue, sheet);

    DiscSession session(dir_ / "cd.dat");
    session.OpenImage(cue.string());
    TCDInfo info;
    const std::vector<TrackRow> rows = ReadRows(session, info);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "Track01");
    EXPECT_EQ(rows[1].title, "Second Song");
    EXPECT_EQ(info.CDArtist, "The Artist");
    EXPECT_EQ(info.CDAlbum, "The Album");

    TDiscFields fields;
    fields.Artist = "Typed Artist";
    session.SaveDisc(info, {"Typed One", "Typed Two"}, fields);
    TCDInfo again;
    const std::vector<TrackRow> kept = ReadRows(session, again);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].title, "Typed Two");
    EXPECT_EQ(again.CDArtist, "Typed Artist");
    EXPECT_EQ(again.CDAlbum, "");
}

} // namespace
} // namespace corvath
