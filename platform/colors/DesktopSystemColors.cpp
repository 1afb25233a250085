#include "platform/colors/DesktopSystemColors.h"

#include <QGuiApplication>
#include <QPalette>

#include "platform/desktop/DesktopService.h"

namespace pellimore {

namespace {

constexpr int kDesktopBackground = 1;

struct PaletteEntry {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The indexes a palette role stands for.
constexpr PaletteEntry kPaletteEntries[] = {
    {4, QPalette::Active, QPalette::Window},             // menu
    {5, QPalette::Active, QPalette::Base},               // window background
    {7, QPalette::Active, QPalette::WindowText},         // menu text
    {8, QPalette::Active, QPalette::Text},               // window text
    {13, QPalette::Active, QPalette::Highlight},         // highlight
    {14, QPalette::Active, QPalette::HighlightedText},   // highlight text
    {15, QPalette::Active, QPalette::Button},            // button face
    {16, QPalette::Active, QPalette::Dark},              // button shadow
    {17, QPalette::Disabled, QPalette::Text},            // grey text
    {18, QPalette::Active, QPalette::ButtonText},        // button text
    {20, QPalette::Active, QPalette::Light},             // button highlight
    {21, QPalette::Active, QPalette::Shadow},            // 3-D dark shadow
    {22, QPalette::Active, QPalette::Midlight},          // 3-D light
    {23, QPalette::Active, QPalette::ToolTipText},       // tool tip text
    {24, QPalette::Active, QPalette::ToolTipBase},       // tool tip background
};

ColorRef FromQColor(const QColor &color)
{
    return Rgb(uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue()));
}

}  // namespace

ColorRef DesktopSystemColors::SysColor(int index) const
{
    if (index == kDesktopBackground && desktop_)
        return desktop_->BackgroundColor() & 0xFFFFFFu;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        for (const PaletteEntry &entry : kPaletteEntries) {
            if (entry.index == index)
                return FromQColor(QGuiApplication::palette().color(entry.group, entry.role));
        }
    }
    return classic_.SysColor(index);
}

}  // namespace pellimore
