// The main of every test executable: a private temporary HOME (so nothing a
// test writes reaches the real user's files), then a QApplication, then the
// tests.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/TempHome.h"

int main(int argc, char **argv)
{
    pellimore::test::TempHome home;
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
