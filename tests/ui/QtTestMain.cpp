// Runs GoogleTest cases inside a Qt application, as the window needs one.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // Qt's screen without a display, also when CTest lists the cases.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
