// The tray control on a real X server with a real XEmbed tray (trayer),
// clicked with xdotool. Runs through tray-session.sh, with no session bus,
// so Qt docks into the X tray.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include <memory>

#include "platform/tray/QtNotificationArea.h"
#include "tests/support/QtPrinters.h"
#include "tests/traycontrol/NoticonFixture.h"
#include "tests/traycontrol/TrayTools.h"
#include "traycontrol/NoticonLibrary.h"

namespace pellimore {
namespace {

using namespace test;

// The text of the tool tip on screen; empty when none shows.
QString ShownToolTip()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            if (auto *label = qobject_cast<QLabel *>(widget))
                return label->text();
    return QString();
}

class XEmbedTray : public testing::Test {
protected:
    static void TearDownTestSuite()
    {
        delete trayer;
        trayer = nullptr;
    }

    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("PELLIMORE_X_DISPLAY"))
            GTEST_SKIP() << "no X server: run through tray-session.sh, which starts Xvfb";
        for (const char *program : {"trayer", "xdotool"})
            if (!Installed(QLatin1String(program)))
                GTEST_SKIP() << program << " is not installed (scripts/install-deps.sh installs it)";
        control = std::make_unique<cNoticon>(library, site);
        control->InitProperties();
        control->SetTrayIcon(TrayPicture::FromIcon(PlainIcon(Qt::red)));
        control->SetTrayTip(QStringLiteral("Tray test tip"));
        log = std::make_unique<EventLog>(*control);
    }

    static void StartTrayer()
    {
        if (trayer)
            return;
        trayer = new Background;
        ASSERT_TRUE(trayer->Start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype",
                                                             "request", "--height", "24"}));
    }

    QRect Docked() const { return area.IconGeometry(&control->Core(), 0); }
    // Docked, and trayer has laid its icons out: the place holds still.
    bool WaitDocked()
    {
        QRect last;
        int still = 0;
        return WaitFor(10000, [&] {
            Pump(100);
            const QRect now = Docked();
            still = !now.isEmpty() && now == last ? still + 1 : 0;
            last = now;
            return still >= 3;
        });
    }

    // Clicks the icon's middle with xdotool (button 1 left, 2 middle, 3 right).
    void Click(int button, int repeat = 1)
    {
        const QPoint centre = Docked().center();
        log->events.clear();
        ASSERT_TRUE(RunTool(QStringLiteral("xdotool"),
                            {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click",
                             "--repeat", QString::number(repeat), "--delay", "80", QString::number(button)}));
    }
    bool EventsBecome(const QStringList &expected)
    {
        WaitFor(3000, [&] { return log->events.size() >= expected.size(); });
        Pump(300);  // nothing more follows
        return log->events == expected;
    }

    static inline Background *trayer = nullptr;
    QtNotificationArea area{1000};
    NoticonLibrary library{area};
    RecordingSite site;
    std::unique_ptr<cNoticon> control;
    std::unique_ptr<EventLog> log;
};

TEST_F(XEmbedTray, TheIconDocksIntoATrayThatStartsLaterAndShowsItsTip)
{
    control->SetInTray(true);
    // No session bus: Qt chooses at once, and there is no tray yet.
    EXPECT_EQ(area.CurrentHost(), QtNotificationArea::Host::QtChoice);
    Pump(500);
    EXPECT_TRUE(Docked().isEmpty());

    StartTrayer();
    ASSERT_TRUE(WaitDocked()) << "the icon never docked into trayer";
    const QRect icon = Docked();
    EXPECT_GT(icon.width(), 8);
    EXPECT_GE(icon.top(), 0);

    // A tip changed in the tray is the one shown.
    control->SetTrayTip(QStringLiteral("Changed tip"));
    const QPoint centre = icon.center();
    ASSERT_TRUE(RunTool(QStringLiteral("xdotool"),
                        {"mousemove", QString::number(centre.x()), QString::number(centre.y())}));
    EXPECT_TRUE(WaitFor(5000, [] { return !ShownToolTip().isEmpty(); }));
    EXPECT_EQ(ShownToolTip(), QStringLiteral("Changed tip"));

    // Leaving the tray takes the icon out: a click there raises nothing.
    control->SetInTray(false);
    Pump(300);
    log->events.clear();
    ASSERT_TRUE(RunTool(QStringLiteral("xdotool"),
                        {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"}));
    Pump(500);
    EXPECT_TRUE(log->events.isEmpty()) << log->events.join(QLatin1Char(',')).toStdString();
}

TEST_F(XEmbedTray, ClicksOnTheIconRaiseTheMouseEventsOfTheirButton)
{
    StartTrayer();
    control->SetInTray(true);
    ASSERT_TRUE(WaitDocked());

    Click(1);
    EXPECT_TRUE(EventsBecome({"MouseDown 1 0", "MouseUp 1 0"})) << log->events.join(QLatin1Char(',')).toStdString();
    Pump(600);  // apart from the next click, which is no double click then
    Click(3);
    EXPECT_TRUE(EventsBecome({"MouseDown 2 0", "MouseUp 2 0"})) << log->events.join(QLatin1Char(',')).toStdString();
    Pump(600);
    Click(2);
    EXPECT_TRUE(EventsBecome({})) << log->events.join(QLatin1Char(',')).toStdString();
    Pump(600);
    Click(1, 2);
    EXPECT_TRUE(EventsBecome({"MouseDown 1 0", "MouseUp 1 0", "MouseDblClick 1 0"}))
        << log->events.join(QLatin1Char(',')).toStdString();
}

}  // namespace
}  // namespace pellimore
