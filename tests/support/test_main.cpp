// Every unit and widget test runs headless, with a fresh Qt application.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    return RUN_ALL_TESTS();
}
