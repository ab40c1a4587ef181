// The main window as a desktop user meets it: activation, opening things on the desktop, its
// place on the screen, clicks on the track list, and what the keyboard and screen readers find.

#include "app/options_store.h"
#include "main_window_harness.h"
#include "platform/profile/profile_file.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <qpa/qwindowsysteminterface.h>

namespace corvath::ui::test {
namespace {

const std::vector<uint32_t> kThreeTracks = {150, 150, 150};
const std::string kNoAudioCD = "Can not find audio CD in your CD device.";

// The window gets the focus as the desktop gives it: the platform tells Qt.
void Activate(TfrmMain& window)
{
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    Idle();
}

TEST_F(MainWindowTest, NoAudioCDIsToldWhenTheFocusComesBackFromTheProgramOnly)
{
    StoreSettings(DataImage("data"));
    const auto window = Start();
    EXPECT_EQ(window->StatusText().toStdString(), kNoAudioCD) << "on the first activation";
    DataImage("other");
    window->OpenDiscImage(QString::fromStdString(ImagePath("other").string()));
    const std::string imageStatus = window->StatusText().toStdString();
    ASSERT_NE(imageStatus, kNoAudioCD);

    // The user works in another application, then comes back: the program had no focus between.
    QWindowSystemInterface::handleWindowActivated(nullptr);
    Idle();
    ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationInactive);
    Activate(*window);
    EXPECT_EQ(window->StatusText().toStdString(), imageStatus);

    // A dialog of the program closes and the window manager hands the focus back.
    WhenModal([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    Child<QAction>(*window, "miAbout").trigger();
    Activate(*window);
    EXPECT_EQ(window->StatusText().toStdString(), kNoAudioCD);
    window->close();
}

// The offscreen platform, like a desktop without any file opener, opens nothing.
TEST_F(MainWindowTest, WhatCannotBeOpenedOnTheDesktopIsNamed)
{
    StoreSettings(99);
    const auto window = Start();
    const MessageBoxAnswers answers;
    for (const char* command : {"miJumpoutputfolder", "aHelp", "aHomepage"})
        Child<QAction>(*window, command).trigger();
    ASSERT_EQ(answers.texts.size(), 3u);
    EXPECT_EQ(answers.texts[0], "Cannot open " + outputFolder_ +
                                    ": no program to open it was found on this desktop.");
    for (const std::string& text : {answers.texts[1], answers.texts[2]}) {
        EXPECT_TRUE(text.starts_with("Cannot open ")) << text;
        EXPECT_NE(text.find("user-guide.html"), std::string::npos) << text;
    }
    window->close();
}

int TitleWidth(const QTreeWidget& list)
{
    return list.columnWidth(1);
}

int OtherColumnsWidth(const QTreeWidget& list)
{
    return list.columnWidth(0) + list.columnWidth(2) + list.columnWidth(3);
}

TEST_F(MainWindowTest, PlaceSizeAndColumnsComeBackOnTheNextStart)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const QRect placed(60, 40, 720, 480);
    {
        const auto window = Start();
        window->setGeometry(placed);
        auto& list = Child<QTreeWidget>(*window, "ListView1");
        list.setColumnWidth(0, 50);
        list.setColumnWidth(3, 140);
        Idle();
        window->close();
    }
    const ProfileDocument stored = LoadProfile(location_.optionsFile);
    EXPECT_EQ(stored.ReadString("MainWindow", "Width", ""), "720");
    EXPECT_EQ(stored.ReadString("MainWindow", "LengthColumnWidth", ""), "140");
    OptionsSetting = {};
    {
        const auto window = Start();
        EXPECT_EQ(window->geometry(), placed);
        EXPECT_FALSE(window->isMaximized());
        const auto& list = Child<QTreeWidget>(*window, "ListView1");
        EXPECT_EQ(list.columnWidth(0), 50);
        EXPECT_EQ(list.columnWidth(2), 100);
        EXPECT_EQ(list.columnWidth(3), 140);
        EXPECT_EQ(TitleWidth(list), list.viewport()->width() - OtherColumnsWidth(list));
        window->showMaximized();
        Idle();
        window->close();
    }
    OptionsSetting = {};
    const auto window = Start();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_EQ(window->normalGeometry(), placed);
    window->close();
}

TEST_F(MainWindowTest, AStoredPlaceOffTheScreenIsFittedIntoIt)
{
    StoreSettings(99);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect wanted[] = {
        {area.right() + 500, area.top() - 300, 700, 500},               // a screen that is gone
        {area.left() + 200, area.top() + 200, 700, 500},                // overlapping the edges
        {area.left(), area.top(), area.width() * 2, area.height() * 2}, // larger than the screen
    };
    for (const QRect& place : wanted) {
        SCOPED_TRACE(place.x());
        TOptionsSetting settings;
        EXPECT_EQ(LoadOptions(settings, location_), "");
        settings.MainWindow = {place.x(), place.y(), place.width(), place.height()};
        SaveOptions(settings, location_);
        const auto window = Start();
        EXPECT_TRUE(area.contains(window->frameGeometry()))
            << window->frameGeometry().x() << ',' << window->frameGeometry().y() << ' '
            << window->frameGeometry().width() << 'x' << window->frameGeometry().height();
        EXPECT_EQ(window->width(), std::min(place.width(), area.width() - 4));
        window->close();
    }
}

TEST_F(MainWindowTest, TheTitleColumnTakesTheWidthTheWindowGains)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    window->resize(700, 500);
    Idle();
    const int title = TitleWidth(list);
    EXPECT_EQ(title, list.viewport()->width() - OtherColumnsWidth(list));
    window->resize(780, 500);
    Idle();
    EXPECT_EQ(TitleWidth(list), title + 80);
    window->resize(700, 500);
    Idle();
    EXPECT_EQ(TitleWidth(list), title);

    list.setColumnWidth(0, 130);
    EXPECT_EQ(TitleWidth(list), title - 40) << "a wider column takes from the title";
    list.setColumnWidth(0, 600);
    EXPECT_EQ(TitleWidth(list), 120) << "down to a minimum";
    window->close();
}

// Where the check box of a row is drawn, as the view's style lays it out.
QRect CheckBoxRect(const QTreeWidget& list, int row)
{
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.rect = list.visualRect(list.model()->index(row, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list.topLevelItem(row)->text(0);
    return list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
}

TEST_F(MainWindowTest, EachClickThatTogglesACheckBoxTogglesItOnce)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();
    auto& list = Child<QTreeWidget>(*window, "ListView1");
    const QTreeWidgetItem& row = *list.topLevelItem(1);
    const QPoint box = CheckBoxRect(list, 1).center();
    const QPoint title = list.visualRect(list.model()->index(1, 1)).center();

    struct Click {
        const char* what;
        QPoint at;
        Qt::KeyboardModifiers modifiers;
        bool toggles;
    };
    for (const Click& click : {Click{"Ctrl+click on the box", box, Qt::ControlModifier, true},
                               Click{"Ctrl+click on the title", title, Qt::ControlModifier, true},
                               Click{"click on the box", box, {}, true},
                               Click{"click on the title", title, {}, false}}) {
        for (Qt::CheckState start : {Qt::Unchecked, Qt::Checked}) {
            list.topLevelItem(1)->setCheckState(0, start);
            for (int i = 1; i <= 4; ++i) {
                QTest::mouseClick(list.viewport(), Qt::LeftButton, click.modifiers, click.at);
                Idle();
                const bool toggled = row.checkState(0) != start;
                EXPECT_EQ(toggled, click.toggles && i % 2 == 1)
                    << click.what << ", starting " << (start == Qt::Checked ? "checked" : "not")
                    << ", click " << i;
                EXPECT_TRUE(row.isSelected()) << click.what;
            }
        }
    }

    // Two quick Ctrl+clicks, as the window system delivers them, are two toggles, not a title to
    // edit.
    for (const QPoint at : {box, title}) {
        bool dialogOpened = false;
        QTimer::singleShot(200, [&dialogOpened] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                dialogOpened = true;
                dialog->close();
            }
        });
        list.topLevelItem(1)->setCheckState(0, Qt::Checked);
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::ControlModifier,
                           list.viewport()->mapTo(window.get(), at));
        QTest::qWait(250);
        EXPECT_EQ(row.checkState(0), Qt::Checked) << at.x();
        EXPECT_FALSE(dialogOpened) << at.x();
    }
    window->close();
}

TEST_F(MainWindowTest, CheckBoxesOfNeighbouringRowsDoNotTouch)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();
    const auto& list = Child<QTreeWidget>(*window, "ListView1");
    const int box = list.style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, &list);
    EXPECT_GE(list.visualItemRect(list.topLevelItem(0)).height(), box + 4);
    EXPECT_GE(CheckBoxRect(list, 1).top() - CheckBoxRect(list, 0).bottom(), 4);
    window->close();
}

TEST_F(MainWindowTest, ControlsAreNamedForTheKeyboardAndScreenReaders)
{
    StoreSettings(AudioImage("three", kThreeTracks));
    const auto window = Start();
    struct Field {
        const char* label;
        const char* field;
        const char* caption;
        const char* name;
    };
    for (const Field& field : {Field{"lArtist", "ID3artist", "&Artist:", "Artist"},
                               Field{"lAlbum", "ID3album", "A&lbum:", "Album"},
                               Field{"lYear", "ID3year", "&Year:", "Year"},
                               Field{"lDisc", "eDiscNumber", "&Disc:", "Disc number"},
                               Field{"lGenre", "ID3genre", "&Genre:", "Genre"},
                               Field{"lComment", "ID3comment", "&Comment:", "Comment"}}) {
        const auto& label = Child<QLabel>(*window, field.label);
        const auto& control = Child<QWidget>(*window, field.field);
        EXPECT_EQ(label.text(), field.caption);
        EXPECT_EQ(label.buddy(), &control) << field.label;
        EXPECT_EQ(control.accessibleName(), field.name);
    }
    const auto& browse = Child<QPushButton>(*window, "bBrowser");
    EXPECT_EQ(browse.accessibleName(), "Choose the output folder");
    EXPECT_EQ(browse.toolTip(), "Choose the output folder (Alt+B)");

    Child<QLineEdit>(*window, "ID3artist").setFocus();
    QStringList order;
    for (int i = 0; i < 12; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"ID3artist", "ID3album", "ID3year", "eDiscNumber", "eDiscTotal",
                                  "ID3genre", "ID3comment", "ListView1", "cbOutputFormat",
                                  "eOutputDir", "bBrowser", "ID3artist"}));

    auto& list = Child<QTreeWidget>(*window, "ListView1");
    list.setCurrentItem(list.topLevelItem(2));
    Idle();
    QString title;
    QString track;
    WhenModal([&](QWidget& dialog) {
        title = dialog.windowTitle();
        track = Child<QLabel>(dialog, "lTrack").text();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    Child<QAction>(*window, "aEditTrackName").trigger();
    EXPECT_EQ(title, "Edit Track's Title");
    EXPECT_EQ(track, "Track 3");
    window->close();
}

// The screen with the window on it, as the user sees it, saved beside the test program.
void SaveScreen(const QWidget& window, const QString& file)
{
    const QScreen& screen = *window.screen();
    QImage shot(screen.geometry().size() * screen.devicePixelRatio(), QImage::Format_RGB32);
    shot.setDevicePixelRatio(screen.devicePixelRatio());
    shot.fill(Qt::darkCyan);
    {
        QPainter painter(&shot);
        painter.fillRect(window.frameGeometry(), Qt::black);
        painter.drawPixmap(window.geometry().topLeft(), const_cast<QWidget&>(window).grab());
    }
    const QString path = QApplication::applicationDirPath() + '/' + file;
    EXPECT_TRUE(shot.save(path)) << path.toStdString();
}

// The ctest entries main_window_scale1 and main_window_scale2 run this on a 1280 × 800 screen at
// those scale factors and save the screen as CORVATH_SCREENSHOT names it.
TEST_F(MainWindowTest, TheWholeWindowIsOnTheScreen)
{
    StoreSettings(AudioImage("shot", {3 * 75, 4 * 75, 2 * 75}));
    const auto window = Start();
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()))
        << window->frameGeometry().width() << 'x' << window->frameGeometry().height();
    if (const QString file = qEnvironmentVariable("CORVATH_SCREENSHOT"); !file.isEmpty())
        SaveScreen(*window, file);
    window->close();
}

} // namespace
} // namespace corvath::ui::test
