#include "platform/process/stop_signals.h"
#include "ui/session_end.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace corvath::ui {
namespace {

constexpr int kTimeoutMs = 15000;

// A main window that counts its closes; something may happen while it closes.
class Window : public QWidget {
public:
    std::function<void()> whileClosing;
    int closes = 0;

    bool ClosesWithin(int timeoutMs)
    {
        return QTest::qWaitFor([this] { return closes > 0; }, timeoutMs);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (whileClosing)
            whileClosing();
        QWidget::closeEvent(event);
        ++closes;
    }
};

class SessionEndTest : public ::testing::Test {
protected:
    StopSignals stopSignals_;
    Window window_;
    SessionEnd sessionEnd_{stopSignals_, window_};
};

TEST_F(SessionEndTest, ASignalClosesTheWindowOnce)
{
    window_.show();
    std::raise(SIGTERM);
    ASSERT_TRUE(window_.ClosesWithin(kTimeoutMs));
    EXPECT_FALSE(window_.isVisible());

    std::raise(SIGHUP);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(window_.closes, 1);
}

// A dialog runs its own event loop inside a command of the window: it goes first, and the window
// closes once the command is over.
TEST_F(SessionEndTest, AnOpenDialogIsDismissedBeforeTheWindowCloses)
{
    window_.show();
    QDialog dialog(&window_);
    QTimer::singleShot(0, &dialog, [] { std::raise(SIGHUP); });
    // Only when the signal did not dismiss it.
    QTimer::singleShot(kTimeoutMs, &dialog, &QDialog::accept);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(window_.closes, 0);
    EXPECT_TRUE(window_.ClosesWithin(kTimeoutMs));
    EXPECT_EQ(window_.closes, 1);
}

// The closing window asks something (a file it could not write, say): another signal dismisses
// the question and the close goes on.
TEST_F(SessionEndTest, ASignalWhileTheWindowClosesDismissesItsQuestion)
{
    window_.show();
    int answer = -1;
    window_.whileClosing = [this, &answer] {
        QDialog question(&window_);
        QTimer::singleShot(0, &question, [] { std::raise(SIGINT); });
        // Only when the signal did not dismiss it.
        QTimer::singleShot(kTimeoutMs, &question, &QDialog::accept);
        answer = question.exec();
    };
    std::raise(SIGTERM);
    ASSERT_TRUE(window_.ClosesWithin(kTimeoutMs));
    EXPECT_EQ(answer, QDialog::Rejected);
    EXPECT_FALSE(window_.isVisible());
}

// The session manager's end of the session comes as a quit event to the application.
TEST_F(SessionEndTest, QuittingWithTheWindowOpenClosesIt)
{
    window_.show();
    QTimer::singleShot(0, qApp, [] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
    });
    QApplication::exec();
    EXPECT_EQ(window_.closes, 1);
    EXPECT_FALSE(window_.isVisible());
}

} // namespace
} // namespace corvath::ui
