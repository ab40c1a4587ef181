#include "ui/about_dialog.h"
#include "ui/edit_track_name_dialog.h"
#include "ui/user_guide.h"

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
    EXPECT_EQ(about.size(), QSize(360, 249));
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
