#include <gtest/gtest.h>

#include "platform/desktop/SessionDetect.h"

namespace pellimore {
namespace {

struct SessionCase {
    const char *currentDesktop;
    DesktopKind expected;
};

class CurrentDesktopTest : public testing::TestWithParam<SessionCase> {};

TEST_P(CurrentDesktopTest, AnyElementOfTheListNamesTheDesktop)
{
    SessionEnvironment session;
    session.currentDesktop = QString::fromLatin1(GetParam().currentDesktop);
    EXPECT_EQ(ChooseDesktopKind(session, QString(), nullptr), GetParam().expected) << GetParam().currentDesktop;
}

INSTANTIATE_TEST_SUITE_P(Sessions, CurrentDesktopTest,
                         testing::Values(SessionCase{"GNOME", DesktopKind::Gnome},
                                         SessionCase{"ubuntu:GNOME", DesktopKind::Gnome},
                                         SessionCase{"Budgie:GNOME", DesktopKind::Gnome},
                                         SessionCase{"X-Cinnamon", DesktopKind::Cinnamon},
                                         SessionCase{"MATE", DesktopKind::Mate},
                                         SessionCase{"KDE", DesktopKind::Kde},
                                         SessionCase{"XFCE", DesktopKind::Xfce},
                                         SessionCase{"xfce", DesktopKind::Xfce},
                                         SessionCase{"sway", DesktopKind::Wlroots},
                                         SessionCase{"i3", DesktopKind::X11},
                                         SessionCase{"", DesktopKind::X11}));

TEST(SessionDetect, WaylandWithoutAKnownDesktopIsWlroots)
{
    SessionEnvironment session;
    session.waylandDisplay = QStringLiteral("wayland-1");
    EXPECT_EQ(ChooseDesktopKind(session, QString(), nullptr), DesktopKind::Wlroots);
    session.waylandDisplay.clear();
    session.sessionType = QStringLiteral("wayland");
    EXPECT_EQ(ChooseDesktopKind(session, QString(), nullptr), DesktopKind::Wlroots);
    // GNOME on Wayland keeps its gsettings keys.
    session.currentDesktop = QStringLiteral("GNOME");
    EXPECT_EQ(ChooseDesktopKind(session, QString(), nullptr), DesktopKind::Gnome);
}

TEST(SessionDetect, EnvironmentOverridesSettingWhichOverridesTheSession)
{
    SessionEnvironment session;
    session.currentDesktop = QStringLiteral("GNOME");
    EXPECT_EQ(ChooseDesktopKind(session, QStringLiteral("kde"), nullptr), DesktopKind::Kde);
    session.desktopOverride = QStringLiteral("X11");
    EXPECT_EQ(ChooseDesktopKind(session, QStringLiteral("kde"), nullptr), DesktopKind::X11);
    // Names we do not know are ignored rather than guessed at.
    session.desktopOverride = QStringLiteral("amiga");
    EXPECT_EQ(ChooseDesktopKind(session, QStringLiteral("workbench"), nullptr), DesktopKind::Gnome);
}

TEST(SessionDetect, UnknownX11SessionAsksForADesktopWindow)
{
    SessionEnvironment session;
    session.currentDesktop = QStringLiteral("LXDE");
    int asked = 0;
    auto xfdesktop = [&asked]() -> std::optional<QString> {
        ++asked;
        return QStringLiteral("Xfdesktop");
    };
    EXPECT_EQ(ChooseDesktopKind(session, QString(), xfdesktop), DesktopKind::Xfce);
    EXPECT_EQ(asked, 1);
    auto none = []() -> std::optional<QString> { return std::nullopt; };
    EXPECT_EQ(ChooseDesktopKind(session, QString(), none), DesktopKind::X11);
    // A known session name never needs the X server.
    session.currentDesktop = QStringLiteral("MATE");
    EXPECT_EQ(ChooseDesktopKind(session, QString(), xfdesktop), DesktopKind::Mate);
    EXPECT_EQ(asked, 1);
}

TEST(SessionDetect, KindNamesRoundTrip)
{
    for (DesktopKind kind : {DesktopKind::Gnome, DesktopKind::Cinnamon, DesktopKind::Mate, DesktopKind::Kde,
                             DesktopKind::Xfce, DesktopKind::Wlroots, DesktopKind::X11})
        EXPECT_EQ(DesktopKindFromName(DesktopKindName(kind)), kind);
    EXPECT_FALSE(DesktopKindFromName(QStringLiteral("")).has_value());
}

}  // namespace
}  // namespace pellimore
