// The main of the tray tests on a real X server: the application connects
// to PELLIMORE_X_DISPLAY through xcb (tray-session.sh starts a private
// server); without one it runs offscreen and the tests skip.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/TempHome.h"

int main(int argc, char **argv)
{
    pellimore::test::TempHome home;
    const QByteArray display = qgetenv("PELLIMORE_X_DISPLAY");
    if (display.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
