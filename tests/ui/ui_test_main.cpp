#include "codecs/startup_libraries.h"
#include "ui/qt_main_thread.h"

#include <QApplication>
#include <gtest/gtest.h>

// The windows need an application object; they are drawn off screen, so no display is needed.
// An offscreen platform given with options (such as its screens) is kept.
int main(int argc, char* argv[])
{
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const corvath::ui::QtMainThread mainThread;
    const corvath::StartupCodecLibraries codecLibraries;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
