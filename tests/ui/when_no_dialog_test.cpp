#include "ui/when_no_dialog.h"

#include <QDialog>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace corvath::ui {
namespace {

constexpr int kTimeoutMs = 15000;

TEST(WhenNoDialogIsOpenTest, RunsAtOnceWhenNoDialogIsOpen)
{
    QObject context;
    int runs = 0;
    WhenNoDialogIsOpen(context, OpenDialogs::kWait, [&runs] { ++runs; });
    EXPECT_EQ(runs, 1);
}

// A disc image handed over during a rip waits until the rip's window is done with the drive.
TEST(WhenNoDialogIsOpenTest, WaitsUntilTheDialogAndItsCommandAreDone)
{
    QWidget window;
    window.show();
    QObject context;
    int runs = 0;
    int runsWhileOpen = -1;
    int runsAfterTheDialog = -1;
    QDialog dialog(&window);
    // The program's own loop, with a command of the window running the dialog in it.
    QEventLoop program;
    QTimer::singleShot(0, &program, [&] {
        QTimer::singleShot(0, &dialog, [&] {
            WhenNoDialogIsOpen(context, OpenDialogs::kWait, [&runs] { ++runs; });
            // Long enough for a few checks, which must all find the dialog.
            QTest::qWait(350);
            runsWhileOpen = runs;
            dialog.accept();
        });
        dialog.exec();
        runsAfterTheDialog = runs;
        program.quit();
    });
    program.exec();
    EXPECT_EQ(runsWhileOpen, 0);
    EXPECT_EQ(runsAfterTheDialog, 0) << "the command that opened the dialog still ran";
    EXPECT_TRUE(QTest::qWaitFor([&runs] { return runs > 0; }, kTimeoutMs));
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace corvath::ui
