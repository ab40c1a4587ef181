#include "main_window_harness.h"
#include "tags/genre_names.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

namespace corvath::ui::test {
namespace {

int Right(const QWidget& widget)
{
    return widget.x() + widget.width();
}

const QString kLongAlbum = "A/B \"Live\" at the Royal Albert"; // 30 characters

// Whether the field, holding text, shows all of it.
bool ShowsWhole(const QLineEdit& field, const QString& text)
{
    const int frame = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &field);
    const int room = field.width() - 2 * frame - 4; // QLineEdit's two-pixel margins
    return field.fontMetrics().horizontalAdvance(text) <= room;
}

// At the default size, with the window's font whatever it is, a 30-character album shows whole.
TEST_F(MainWindowTest, DiscFieldsShowThirtyCharactersAtTheDefaultSize)
{
    StoreSettings(99);
    const auto window = Start();
    EXPECT_EQ(window->width(), 678);
    auto& album = Child<QLineEdit>(*window, "ID3album");
    album.setText(kLongAlbum);
    album.setCursorPosition(0);
    Idle();
    EXPECT_TRUE(ShowsWhole(album, kLongAlbum)) << album.width();
    EXPECT_TRUE(ShowsWhole(Child<QLineEdit>(*window, "ID3comment"), kLongAlbum));
    const auto& genre = Child<QComboBox>(*window, "ID3genre");
    EXPECT_GE(genre.width(), genre.fontMetrics().averageCharWidth() * 30);
    const auto& list = Child<QTreeWidget>(*window, "ListView1");
    EXPECT_GE(list.columnWidth(1), 120) << "the titles keep their room";
    window->close();
}

TEST_F(MainWindowTest, TheLayoutFollowsTheWindowsWidth)
{
    StoreSettings(99);
    const auto window = Start();
    const QWidget& client = *window->centralWidget();
    const auto& group = Child<QGroupBox>(*window, "gbID3");
    const auto& comment = Child<QLineEdit>(*window, "ID3comment");
    const auto& folderGroup = Child<QGroupBox>(*window, "gbOutputFolder");
    const auto& folder = Child<QLineEdit>(*window, "eOutputDir");
    const auto& browse = Child<QPushButton>(*window, "bBrowser");
    const auto& list = Child<QTreeWidget>(*window, "ListView1");

    for (int width : {678, 1000}) {
        window->resize(width, 600);
        Idle();
        SCOPED_TRACE(width);
        EXPECT_EQ(client.width(), width);
        EXPECT_EQ(group.width(), width - 6);
        EXPECT_EQ(Right(comment), group.width() - 5);
        const auto& artist = Child<QLineEdit>(*window, "ID3artist");
        int firstRowEnd = 0;
        for (const QWidget* field : group.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (field->y() == artist.y())
                firstRowEnd = std::max(firstRowEnd, Right(*field));
        }
        EXPECT_EQ(firstRowEnd, group.width() - 5) << "each row fills the width";
        EXPECT_NEAR(artist.width(), Child<QLineEdit>(*window, "ID3album").width(), 1);
        for (const char* field : {"ID3artist", "ID3album", "ID3comment"})
            EXPECT_TRUE(ShowsWhole(Child<QLineEdit>(*window, field), kLongAlbum)) << field;
        EXPECT_EQ(list.width(), width);
        EXPECT_EQ(Right(folderGroup), width - 8);
        EXPECT_EQ(Right(browse), folderGroup.width() - 8);
        EXPECT_EQ(browse.x(), Right(folder) + 8);
        EXPECT_EQ(folderGroup.y() + folderGroup.height(), client.height() - 3);
        EXPECT_EQ(list.y() + list.height(), folderGroup.y() - 3);
    }
    window->resize(500, 600);
    Idle();
    EXPECT_EQ(window->width(), 678) << "the minimum width";
    window->close();
}

struct Command {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled; // with one row, none selected, nothing playing
};

TEST_F(MainWindowTest, CommandsCarryTheirCaptionsAndShortcuts)
{
    StoreSettings(AudioImage("one", {150}));
    const auto window = Start();
    const Command commands[] = {
        {"aRip", "&Rip selected tracks...", "Ctrl+R", true},
        {"tbMp3Convert", "Convert", "", true},
        {"aQueryCDDB", "&Query CDDB...", "", true},
        {"miJumpoutputfolder", "&Jump output folder", "", true},
        {"aPlay", "&Play", "Ctrl+P", false},
        {"aPause", "P&ause", "", false},
        {"aStop", "&Stop", "", false},
        {"aOptions", "&Options...", "Ctrl+O", true},
        {"aHelp", "&Online Help", "F1", true},
        {"aHomepage", "&Home Page", "", true},
        {"miExit", "E&xit", "", true},
        {"aSelectAll", "&Select All", "", true},
        {"aSelectNone", "&Unselect All", "", true},
        {"aInvertSelection", "&Invert Selection", "", true},
        {"aEditTrackName", "&Edit Track's Title...", "Ctrl+F2", false},
        {"EjectCDRom1", "&Eject CD-ROM", "", true},
        {"CloseCDROM1", "&Close CD-ROM", "", true},
        {"RefreshCD1", "Re&fresh CD", "", true},
        {"miOpenDiscImage", "Open Disc &Image...", "", true},
        {"miAbout", "&About...", "", true},
        {"miConverter2", "Wav to &Mp3...", "", true},
        {"miConverter10", "Wma &to Mp3 Converter...", "", true},
    };
    for (const Command& command : commands) {
        const auto& action = Child<QAction>(*window, command.name);
        EXPECT_EQ(action.text().toStdString(), command.caption);
        EXPECT_EQ(action.shortcut().toString().toStdString(), command.shortcut) << command.name;
        EXPECT_EQ(action.isEnabled(), command.enabled) << command.name;
    }

    QStringList menus;
    for (const QAction* menu : window->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Tools", "&Help"}));

    const auto& toolBar = Child<QToolBar>(*window, "ToolBar1");
    QStringList captions;
    for (const QAction* action : toolBar.actions()) {
        if (action->isSeparator())
            continue;
        captions << action->iconText();
        EXPECT_FALSE(action->icon().isNull()) << action->iconText().toStdString();
    }
    EXPECT_EQ(captions, (QStringList{"Rip", "Convert", "CDDB", "Folder", "Play", "Pause", "Stop",
                                     "Options", "Help", "Home", "Exit"}));
    EXPECT_EQ(Child<QAction>(*window, "aHomepage").toolTip(), "Visit our home page");
    EXPECT_EQ(Child<QComboBox>(*window, "ID3genre").count(), 149);
    EXPECT_EQ(Child<QComboBox>(*window, "ID3genre").itemText(148).toStdString(), GenreNames.back());
    window->close();
}

// Saves the main window with a loaded disc as main_window.png beside the test program, to be
// looked at.
TEST_F(MainWindowTest, ScreenshotWithALoadedDisc)
{
    StoreSettings(AudioImage("shot", {3 * 75 + 40, 4 * 75, 2 * 75 + 10, 5 * 75}));
    const auto window = Start();
    const char* const titles[] = {"Morning Light", "Harbour Walk", "Slow Tide", "Night Train"};
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        list.topLevelItem(i)->setText(1, titles[i]);
    list.topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    list.setCurrentItem(list.topLevelItem(1));
    Child<QLineEdit>(*window, "ID3artist").setText("Velvet Coast");
    Child<QLineEdit>(*window, "ID3album").setText("Harbour Songs");
    Child<QLineEdit>(*window, "ID3year").setText("2024");
    Child<QComboBox>(*window, "ID3genre").setCurrentIndex(13);
    Child<QLineEdit>(*window, "ID3comment").setText("ripped with Corvath");
    Child<QLineEdit>(*window, "eOutputDir").setText("/home/you/Music/Corvath"); // not a temp name
    Idle();

    const QString file = QApplication::applicationDirPath() + "/main_window.png";
    const QPixmap shot = window->grab();
    EXPECT_EQ(shot.size(), window->size());
    EXPECT_TRUE(shot.save(file)) << file.toStdString();
    window->close();
}

} // namespace
} // namespace corvath::ui::test
