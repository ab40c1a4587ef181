#include "main_window_harness.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "support/file_size_limit.h"
#include "support/utf16_text.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace corvath::ui::test {
namespace {

using corvath::test::ReadFile;
using corvath::test::WriteFile;

// 59 s, 3 s and 2 s: the second track starts at 01:01, so the first one's length borrows a
// minute (01:01 - 00:02 = 00:59).
const std::vector<uint32_t> kThreeTracks = {59 * 75, 3 * 75, 2 * 75};
const std::vector<Row> kNeverSeen = {
    {"1", "Track01", "00:02", "00:59"},
    {"2", "Track02", "01:01", "00:03"},
    {"3", "Track03", "01:04", "00:02"},
};

// Types title into the title dialog of the selected row and confirms it.
void RetitleRow(TfrmMain& window, int row, const QString& title)
{
    auto& list = Child<QTreeWidget>(window, "ListView1");
    list.setCurrentItem(list.topLevelItem(row));
    Idle();
    WhenModal([title](QWidget& dialog) {
        Child<QLineEdit>(dialog, "eName").setText(title);
        QTest::keyClick(&Child<QLineEdit>(dialog, "eName"), Qt::Key_Return);
    });
    Child<QAction>(window, "aEditTrackName").trigger();
}

QString Status(const TfrmMain& window)
{
    return window.StatusText();
}

TEST_F(MainWindowTest, ListsTheDiscsTracksAllChecked)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();

    EXPECT_EQ(Rows(*window), kNeverSeen);
    EXPECT_TRUE(Status(*window).startsWith("Image")) << Status(*window).toStdString();
    EXPECT_EQ(window->IdleStatusText(), Status(*window));
    EXPECT_EQ(Child<QComboBox>(*window, "cbOutputFormat").currentIndex(), 2);
    EXPECT_EQ(Child<QLineEdit>(*window, "eOutputDir").text().toStdString(), outputFolder_);
    window->close();
}

TEST_F(MainWindowTest, RowCommandsCheckAndRetitleRows)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    auto& edit = Child<QAction>(*window, "aEditTrackName");
    const auto checks = [&window] {
        std::string marks;
        for (const Row& row : Rows(*window))
            marks += row.checked ? 'x' : '-';
        return marks;
    };

    EXPECT_FALSE(edit.isEnabled()) << "no row selected";
    Child<QAction>(*window, "aSelectNone").trigger();
    EXPECT_EQ(checks(), "---");
    const QRect second = list.visualItemRect(list.topLevelItem(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, second.center());
    EXPECT_EQ(checks(), "-x-");
    EXPECT_TRUE(list.topLevelItem(1)->isSelected());
    Child<QAction>(*window, "aInvertSelection").trigger();
    EXPECT_EQ(checks(), "x-x");
    Child<QAction>(*window, "aSelectAll").trigger();
    EXPECT_EQ(checks(), "xxx");
    Idle();
    EXPECT_TRUE(edit.isEnabled()) << "a row selected";

    // A double click opens the title dialog with the row's title; Cancel keeps it.
    QString shown;
    WhenModal([&shown](QWidget& dialog) {
        shown = Child<QLineEdit>(dialog, "eName").selectedText();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(shown, "Track02");
    EXPECT_EQ(Rows(*window)[1].title, "Track02");

    RetitleRow(*window, 2, "Coda");
    EXPECT_EQ(Rows(*window)[2].title, "Coda");
    window->close();
}

TEST_F(MainWindowTest, TitlesAndFieldsTypedComeBackOnTheNextStart)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    {
        const auto window = Start();
        RetitleRow(*window, 1, "Intermezzo");
        Child<QLineEdit>(*window, "ID3artist").setText("The Quartet");
        Child<QLineEdit>(*window, "ID3year").setText("1998");
        Child<QComboBox>(*window, "ID3genre").setCurrentIndex(9);
        window->close();
    }
    OptionsSetting = {};
    const auto window = Start();
    std::vector<Row> expected = kNeverSeen;
    expected[1].title = "Intermezzo";
    EXPECT_EQ(Rows(*window), expected);
    EXPECT_EQ(Child<QLineEdit>(*window, "ID3artist").text(), "The Quartet");
    EXPECT_EQ(Child<QLineEdit>(*window, "ID3year").text(), "1998");
    EXPECT_EQ(Child<QComboBox>(*window, "ID3genre").currentIndex(), 9);
    window->close();
}

// Titles typed for a disc are kept when its rows go (removal, another disc) and come back with
// it; an arriving disc shows empty disc fields until a refresh.
TEST_F(MainWindowTest, TitlesSurviveADiscChange)
{
    StoreSettings(AudioImage("first", kThreeTracks));
    const auto window = Start();
    RetitleRow(*window, 0, "Overture");
    Child<QLineEdit>(*window, "ID3album").setText("First Album");

    window->DeviceRemoved();
    EXPECT_TRUE(Rows(*window).empty());
    window->DeviceArrived();
    ASSERT_EQ(Rows(*window).size(), 3u);
    EXPECT_EQ(Rows(*window)[0].title, "Overture");
    EXPECT_EQ(Child<QLineEdit>(*window, "ID3album").text(), "") << "cleared on arrival";
    Child<QAction>(*window, "RefreshCD1").trigger();
    EXPECT_EQ(Child<QLineEdit>(*window, "ID3album").text(), "First Album");

    OpenAudioImage(*window, "second", {150, 150});
    EXPECT_EQ(Rows(*window), (std::vector<Row>{{"1", "Track01", "00:02", "00:02"},
                                               {"2", "Track02", "00:04", "00:02"}}));
    RetitleRow(*window, 1, "Second B");
    window->OpenDiscImage(QString::fromStdString(ImagePath("first").string()));
    EXPECT_EQ(Rows(*window)[0].title, "Overture");
    window->OpenDiscImage(QString::fromStdString(ImagePath("second").string()));
    EXPECT_EQ(Rows(*window)[1].title, "Second B");
    window->close();

    // Both discs are in the file, each under its own identifier.
    EXPECT_NE(ReadFile(location_.discInfoFile).find("Second B"), std::string::npos);
    EXPECT_NE(ReadFile(location_.discInfoFile).find("Overture"), std::string::npos);
}

// With two discs in the drive list, what is typed belongs to the one the window opened.
TEST_F(MainWindowTest, TitlesAreStoredForTheOpenDiscNotTheFirstOfTheList)
{
    const int32_t first = AudioImage("first", kThreeTracks);
    const int32_t second = AudioImage("second", {150, 150});
    StoreSettings(second);
    {
        const auto window = Start();
        RetitleRow(*window, 0, "Second A");
        window->close();
    }
    for (const auto& [index, title] : {std::pair{first, "Track01"}, {second, "Second A"}}) {
        OptionsSetting = {};
        StoreSettings(index);
        const auto window = Start();
        ASSERT_FALSE(Rows(*window).empty());
        EXPECT_EQ(Rows(*window)[0].title, title);
        window->close();
    }
}

// A disc that starts at track 3 keeps each title on its own row over any number of starts.
TEST_F(MainWindowTest, TitlesStayOnTheirRowsOnADiscStartingLate)
{
    StoreSettings(Image(
        "late", {{corvath::test::AudioSectors(150, 1)}, {corvath::test::AudioSectors(150, 2)}}, 3));
    for (int start = 0; start < 3; ++start) {
        OptionsSetting = {};
        const auto window = Start();
        const std::vector<Row> rows = Rows(*window);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].number, "3");
        EXPECT_EQ(rows[0].title, start == 0 ? "Track03" : "Third") << "start " << start;
        EXPECT_EQ(rows[1].title, "Track04") << "start " << start;
        if (start == 0)
            RetitleRow(*window, 0, "Third");
        window->close();
    }
}

// A data track is listed but not chosen: it holds no audio.
TEST_F(MainWindowTest, DataTracksStartUnchecked)
{
    StoreSettings(Image("mixed", {{corvath::test::AudioSectors(150, 1)},
                                  {std::vector<uint8_t>(150 * kCdSectorBytes, 0), true}}));
    const auto window = Start();
    const std::vector<Row> rows = Rows(*window);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].checked);
    EXPECT_FALSE(rows[1].checked);
    window->close();
}

// An image that cannot be read says why, and the disc shown stays.
TEST_F(MainWindowTest, AnUnreadableImageSaysWhy)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();
    const auto broken = corvath::test::WriteCueImage(dir_ / "broken", {{}});
    std::filesystem::remove(dir_ / "broken.bin");
    MessageBoxAnswers boxes;
    window->OpenDiscImage(QString::fromStdString(broken.string()));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Cannot read the disc image " + broken.string() +
                                  ": its data file \"" + (dir_ / "broken.bin").string() +
                                  "\" is missing.");
    EXPECT_EQ(Rows(*window), kNeverSeen);
    window->close();
}

// The tray commands reach the chosen drive, with its handle open or not; an image has no tray,
// and the status bar says so.
TEST_F(MainWindowTest, TrayCommandsSayWhyTheTrayDidNotMove)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();
    const std::string noTray = ImagePath("three").string() + " is a disc image, which has no tray.";
    for (const char* command : {"EjectCDRom1", "CloseCDROM1"}) {
        window->statusBar()->clearMessage();
        Child<QAction>(*window, command).trigger();
        EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), noTray) << command;
    }
    const QString shot = QApplication::applicationDirPath() + "/main_window_tray.png";
    EXPECT_TRUE(window->grab().save(shot)) << shot.toStdString();
    window->close();
}

TEST_F(MainWindowTest, NoDriveListsNothing)
{
    CdDriveList drives;
    GetCDList(drives);
    if (drives.Count != 0)
        GTEST_SKIP() << "this machine has a CD drive";
    StoreSettings(-1);
    const auto window = Start();
    EXPECT_EQ(Status(*window), "Can not find CD devices!");
    EXPECT_TRUE(Rows(*window).empty());
    EXPECT_EQ(Child<QLineEdit>(*window, "eOutputDir").text().toStdString(), outputFolder_);
    window->close();
}

TEST_F(MainWindowTest, AStoredIndexBeyondTheDriveListIsReported)
{
    StoreSettings(AudioImage("only", {150}) + 1);
    const auto window = Start();
    EXPECT_EQ(Status(*window), "CD device information error in your configration!");
    EXPECT_TRUE(Rows(*window).empty());
    window->close();
}

TEST_F(MainWindowTest, ADataDiscIsReportedOnActivation)
{
    StoreSettings(DataImage("data"));
    const auto window = Start();
    EXPECT_EQ(Status(*window), "Can not find audio CD in your CD device.");
    EXPECT_TRUE(Rows(*window).empty());
    EXPECT_TRUE(window->IdleStatusText().startsWith("Image"));

    Child<QAction>(*window, "RefreshCD1").trigger();
    EXPECT_EQ(Status(*window), "Can not find audio CD in your CD device.");
    window->close();
}

// Makes a file unwritable while it lives: read-only, and for root, who writes read-only files
// anyway, no file of the process may grow.
class Unwritable {
public:
    explicit Unwritable(const std::filesystem::path& file)
    {
        ::chmod(file.c_str(), 0444);
        if (::geteuid() == 0)
            limit_ = std::make_unique<corvath::test::FileSizeLimit>(0);
    }

private:
    std::unique_ptr<corvath::test::FileSizeLimit> limit_;
};

TEST_F(MainWindowTest, ClosingLosesNothingOfFilesThatCannotBeWritten)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    {
        const auto window = Start();
        WriteFile(location_.discInfoFile, "[12345]\nCDArtist=Kept\n");
        RetitleRow(*window, 0, "Typed");
        const std::string settings = ReadFile(location_.optionsFile);
        const Unwritable discInfo(location_.discInfoFile);
        window->close();
        EXPECT_EQ(ReadFile(location_.discInfoFile), "[12345]\nCDArtist=Kept\n");
        EXPECT_EQ(ReadFile(location_.optionsFile), settings);
    }
    std::filesystem::permissions(location_.discInfoFile, std::filesystem::perms::owner_all);

    // No drive: only the settings are written on closing.
    StoreSettings(99);
    const std::string settings = ReadFile(location_.optionsFile);
    const auto window = Start();
    auto& format = Child<QComboBox>(*window, "cbOutputFormat");
    format.setFocus();
    QTest::keyClick(&format, Qt::Key_Down);
    EXPECT_EQ(OptionsSetting.CommonOptions.OutputFormat, 3);
    {
        const Unwritable options(location_.optionsFile);
        window->close();
    }
    EXPECT_EQ(ReadFile(location_.optionsFile), settings);
}

// Settings that cannot be read are named, and the file keeps them for a later start.
TEST_F(MainWindowTest, ASettingsFileThatCannotBeReadIsNamedAndKept)
{
    const std::string binary =
        corvath::test::Utf16LittleEndian("[CommonOptions]\r\nOutputFormat=4\r\n");
    WriteFile(location_.optionsFile, binary);
    MessageBoxAnswers boxes;
    const auto window = std::make_unique<TfrmMain>(location_);
    window->show(); // the box takes the focus: the window is not waited on to be active
    for (int i = 0; i < 250 && boxes.texts.empty(); ++i)
        Idle();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Cannot read " + location_.optionsFile.string() +
                                  ": it is not a text settings file.\nCorvath uses the default "
                                  "settings and will not write over that file.");
    EXPECT_EQ(Child<QComboBox>(*window, "cbOutputFormat").currentIndex(), 0);
    window->close();
    EXPECT_EQ(ReadFile(location_.optionsFile), binary);
}

// A title that an older version stored with a NUL byte shows with a blank in its place, the
// line is named, and the next save stores it mended.
TEST_F(MainWindowTest, ATitleStoredWithANulByteShowsAndIsStoredMended)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    {
        const auto window = Start();
        RetitleRow(*window, 1, "nul-byte");
        window->close();
    }
    std::string stored = ReadFile(location_.discInfoFile);
    const std::size_t title = stored.find("nul-byte");
    stored[title + 3] = '\0';
    WriteFile(location_.discInfoFile, stored);
    const auto line = std::count(stored.begin(), stored.begin() + title, '\n') + 1;

    OptionsSetting = {};
    MessageBoxAnswers boxes;
    const auto window = std::make_unique<TfrmMain>(location_);
    window->show(); // the box takes the focus: the window is not waited on to be active
    for (int i = 0; i < 250 && boxes.texts.empty(); ++i)
        Idle();
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Line " + std::to_string(line) + " of " +
                                                    location_.discInfoFile.string() +
                                                    " held NUL bytes, read as blanks."});
    EXPECT_EQ(Rows(*window)[1].title, "nul byte");
    window->close();
    EXPECT_EQ(ReadFile(location_.discInfoFile).find('\0'), std::string::npos);
}

} // namespace
} // namespace corvath::ui::test
