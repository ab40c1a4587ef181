#include <QApplication>
#include <gtest/gtest.h>

// The windows need an application object; they are drawn off screen, so no display is needed.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
