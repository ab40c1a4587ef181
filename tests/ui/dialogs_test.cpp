#include "ui/about_dialog.h"
#include "ui/edit_track_name_dialog.h"
#include "ui/user_guide.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace corvath::ui {
namespace {

// Shows the title dialog with a title, lets act type into it, and returns the dialog's result
// and the title it holds then.
std::pair<int, QString> EditTitle(const QString& title,
                                  const std::function<void(TfrmEditTrackName&)>& act)
{
    TfrmEditTrackName dialog(1);
    dialog.eName()->setText(title);
    QTimer::singleShot(0, &dialog, [&dialog, &act] {
        act(dialog);
        if (dialog.isVisible())
            dialog.findChild<QPushButton*>("bCancel")->click();
    });
    const int result = dialog.exec();
    return {result, dialog.eName()->text()};
}

TEST(EditTrackNameTest, ShowsTheOldTitleSelected)
{
    QString selected;
    bool focused = false;
    EditTitle("Old Title", [&](TfrmEditTrackName& dialog) {
        selected = dialog.eName()->selectedText();
        focused = dialog.eName()->hasFocus() || dialog.focusWidget() == dialog.eName();
    });
    EXPECT_EQ(selected, "Old Title");
    EXPECT_TRUE(focused);
}

// Saves the title dialog as title_dialog.png beside the test program, to be looked at.
TEST(EditTrackNameTest, NamesItsTrackBesideItsButtons)
{
    TfrmEditTrackName dialog(12);
    dialog.eName()->setText("A title");
    dialog.show();
    const auto* track = dialog.findChild<QLabel*>("lTrack");
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->text(), "Track 12");
    const QRect ok = dialog.findChild<QPushButton*>("bOK")->geometry();
    EXPECT_FALSE(track->geometry().intersects(ok));
    EXPECT_TRUE(dialog.rect().contains(dialog.findChild<QPushButton*>("bCancel")->geometry()));
    const QString file = QApplication::applicationDirPath() + "/title_dialog.png";
    EXPECT_TRUE(dialog.grab().save(file)) << file.toStdString();
}

TEST(EditTrackNameTest, EnterTakesATitleThatIsNotEmpty)
{
    const auto typed = EditTitle("Old Title", [](TfrmEditTrackName& dialog) {
        QTest::keyClicks(dialog.eName(), "A title far longer than the list's column shows");
        QTest::keyClick(dialog.eName(), Qt::Key_Return);
    });
    EXPECT_EQ(typed.first, QDialog::Accepted);
    EXPECT_EQ(typed.second, "A title far longer than the list's column shows");

    bool okEnabled = true;
    const auto cleared = EditTitle("Old Title", [&okEnabled](TfrmEditTrackName& dialog) {
        dialog.eName()->clear();
        okEnabled = dialog.findChild<QPushButton*>("bOK")->isEnabled();
        QTest::keyClick(dialog.eName(), Qt::Key_Return);
    });
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(cleared.first, QDialog::Rejected) << "Enter on an empty title does nothing";

    const auto cancelled = EditTitle("Old Title", [](TfrmEditTrackName& dialog) {
        QTest::keyClicks(dialog.eName(), "New");
        dialog.findChild<QPushButton*>("bCancel")->click();
    });
    EXPECT_EQ(cancelled.first, QDialog::Rejected);
}

TEST(AboutTest, ShowsNameVersionAndTheGuide)
{
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), "About Corvath");
    about.show();
    EXPECT_GE(about.width(), 360);
    EXPECT_GE(about.height(), 249);
    for (const char* name : {"lProductName", "lVersion", "lbEAddress", "bOK"}) {
        const QWidget* child = about.findChild<QWidget*>(name);
        ASSERT_NE(child, nullptr) << name;
        EXPECT_TRUE(about.rect().contains(child->geometry())) << name;
    }
    const QString file = QApplication::applicationDirPath() + "/about_box.png";
    EXPECT_TRUE(about.grab().save(file)) << file.toStdString();
    EXPECT_TRUE(about.findChild<QLabel*>("lVersion")->text().contains(CORVATH_VERSION));
    EXPECT_EQ(about.findChild<QLabel*>("lProductName")->text(), "Corvath");
    QTimer::singleShot(0, &about, [&about] { about.findChild<QPushButton*>("bOK")->click(); });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

TEST(UserGuideTest, TheBuildFindsTheGuide)
{
    const std::filesystem::path guide = UserGuidePath();
    EXPECT_EQ(guide.filename(), "user-guide.html");
    EXPECT_TRUE(std::filesystem::is_regular_file(guide)) << guide;
}

} // namespace
} // namespace corvath::ui
