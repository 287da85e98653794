// Runs GoogleTest cases inside a Qt application, as the window needs one.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
