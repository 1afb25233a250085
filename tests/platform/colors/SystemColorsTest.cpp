// The system colour service: references and their indexes, the classic
// scheme, and the desktop's colours from the palette and the desktop service.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include "platform/colors/ClassicSystemColors.h"
#include "platform/colors/DesktopSystemColors.h"
#include "tests/support/FixedSystemColors.h"
#include "tests/support/RecordingDesktop.h"

using namespace pellimore;

namespace {

// Sets the application palette for one test and puts the old one back.
class PaletteScope {
public:
    explicit PaletteScope(const QPalette &palette) : saved_(QGuiApplication::palette())
    {
        QGuiApplication::setPalette(palette);
    }
    ~PaletteScope() { QGuiApplication::setPalette(saved_); }

private:
    QPalette saved_;
};

TEST(SystemColors, ReferencesNameAnIndexBelowTheCountInTheirLow31Bits)
{
    const test::FixedSystemColors colors([](int index) { return Rgb(uint8_t(index), 1, 2); });
    EXPECT_EQ(colors.Resolve(0x80000000), Rgb(0, 1, 2));
    EXPECT_EQ(colors.Resolve(0x80000018), Rgb(24, 1, 2));
    // Resolve keeps whatever names no system colour as it is ...
    EXPECT_EQ(colors.Resolve(0x80000019), 0x80000019u);
    EXPECT_EQ(colors.Resolve(0x80000105), 0x80000105u);
    EXPECT_EQ(colors.Resolve(0x01ABCDEF), 0x01ABCDEFu);
    // ... ToRgb gives a plain colour for everything: black for a reference to no index.
    EXPECT_EQ(colors.ToRgb(0x80000005), Rgb(5, 1, 2));
    EXPECT_EQ(colors.ToRgb(0x80000019), 0u);
    EXPECT_EQ(colors.ToRgb(0xFFFFFFFF), 0u);
    EXPECT_EQ(colors.ToRgb(0x01ABCDEF), 0xABCDEFu);
    EXPECT_EQ(colors.Asked(), (std::vector<int>{0, 24, 5}));
}

TEST(ClassicSystemColors, TheClassicSchemeAndBlackOutsideIt)
{
    const ClassicSystemColors classic;
    EXPECT_EQ(classic.SysColor(0), Rgb(212, 208, 200));
    EXPECT_EQ(classic.SysColor(5), Rgb(255, 255, 255));
    EXPECT_EQ(classic.SysColor(8), Rgb(0, 0, 0));
    EXPECT_EQ(classic.SysColor(13), Rgb(10, 36, 106));
    EXPECT_EQ(classic.SysColor(15), Rgb(212, 208, 200));
    EXPECT_EQ(classic.SysColor(21), Rgb(64, 64, 64));
    EXPECT_EQ(classic.SysColor(24), Rgb(255, 255, 225));
    EXPECT_EQ(classic.SysColor(-1), 0u);
    EXPECT_EQ(classic.SysColor(kSysColorCount), 0u);
}

TEST(DesktopSystemColors, PaletteRolesAnswerTheirIndexesAndTheClassicSchemeTheRest)
{
    QPalette palette(QColor(10, 20, 30));
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Button, QColor(4, 5, 6));
    palette.setColor(QPalette::Active, QPalette::Text, QColor(7, 8, 9));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(11, 12, 13));
    palette.setColor(QPalette::Highlight, QColor(14, 15, 16));
    palette.setColor(QPalette::ToolTipBase, QColor(17, 18, 19));
    const PaletteScope scope(palette);

    const DesktopSystemColors colors;
    const ClassicSystemColors classic;
    EXPECT_EQ(colors.SysColor(5), Rgb(1, 2, 3));     // window background
    EXPECT_EQ(colors.SysColor(15), Rgb(4, 5, 6));    // button face
    EXPECT_EQ(colors.SysColor(8), Rgb(7, 8, 9));     // window text
    EXPECT_EQ(colors.SysColor(17), Rgb(11, 12, 13)); // grey text
    EXPECT_EQ(colors.SysColor(13), Rgb(14, 15, 16)); // highlight
    EXPECT_EQ(colors.SysColor(24), Rgb(17, 18, 19)); // tool tip background
    EXPECT_EQ(colors.Resolve(0x8000000F), Rgb(4, 5, 6));
    // Captions, borders and the desktop have no palette role.
    for (int index : {0, 1, 2, 3, 6, 9, 10, 11, 12, 19})
        EXPECT_EQ(colors.SysColor(index), classic.SysColor(index)) << "index " << index;
    EXPECT_EQ(colors.SysColor(kSysColorCount), 0u);
}

TEST(DesktopSystemColors, TheDesktopBackgroundComesFromTheDesktopService)
{
    test::RecordingDesktop desktop;
    desktop.SetBackgroundColor(Rgb(0, 128, 128));
    const DesktopSystemColors colors(&desktop);
    EXPECT_EQ(colors.SysColor(1), Rgb(0, 128, 128));
    desktop.SetBackgroundColor(Rgb(40, 50, 60));
    EXPECT_EQ(colors.Resolve(0x80000001), Rgb(40, 50, 60));
}

}  // namespace
