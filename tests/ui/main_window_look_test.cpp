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
#include <QToolBar>
#include <QTreeWidget>

namespace corvath::ui::test {
namespace {

int Right(const QWidget& widget)
{
    return widget.x() + widget.width();
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
        EXPECT_EQ(Right(Child<QSpinBox>(*window, "eDiscTotal")), group.width() - 5);
        EXPECT_NEAR(Child<QLineEdit>(*window, "ID3artist").width(),
                    Child<QLineEdit>(*window, "ID3album").width(), 1);
        EXPECT_GE(Child<QLineEdit>(*window, "ID3artist").width(), group.width() * 150 / 665)
            << "a 30-character album shows whole at any width";
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
    Idle();

    const QString file = QApplication::applicationDirPath() + "/main_window.png";
    const QPixmap shot = window->grab();
    EXPECT_EQ(shot.size(), window->size());
    EXPECT_TRUE(shot.save(file)) << file.toStdString();
    window->close();
}

} // namespace
} // namespace corvath::ui::test
